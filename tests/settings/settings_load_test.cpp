// Loading the settings record from a profile store: ranges, defaults, the
// number and text rules, the three font sections and the read order.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "FakeProfileStore.h"
#include "SampleFont.h"
#include "engine/Geometry.h"
#include "settings/Settings.h"

namespace {

// Fills the record with noise first, so every test also shows that loading
// sets each field rather than leaving what was there.
void Scramble() {
    std::memset(&Settings, 0xAB, sizeof Settings);
    screenWidth = screenHeight = fieldWidth = fieldHeight = -1;
}

void LoadFrom(FakeProfileStore& store) {
    Scramble();
    LoadSettingsFrom(store);
}

// A value that is not stored at all, as opposed to an empty one.
const char* const kMissing = nullptr;

struct NumberCase {
    const char* stored;
    int32_t expected;
};

void ExpectSetNumber(const char* key, const NumberCase* cases, size_t count,
                     int32_t SettingsRecord::*field) {
    for (size_t i = 0; i < count; ++i) {
        FakeProfileStore store;
        if (cases[i].stored) store.Put("Set", key, cases[i].stored);
        LoadFrom(store);
        EXPECT_EQ(cases[i].expected, Settings.*field)
            << key << "=" << (cases[i].stored ? cases[i].stored : "(missing)");
    }
}

TEST(SettingsLoad, ResolutionTakesZeroToThreeElseOne) {
    const NumberCase cases[] = {
        {"0", 0}, {"1", 1}, {"2", 2}, {"3", 3}, {"-1", 1}, {"4", 1}, {"7", 1},
        {"", 1}, {kMissing, 1},
        // atoi reads "abc" as 0, which is in range.
        {"abc", 0}, {" 2x", 2},
        // Too large for 32 bits: saturates and falls out of range instead of
        // wrapping around to 2.
        {"4294967298", 1}, {"99999999999", 1}, {"-4294967294", 1},
    };
    ExpectSetNumber("Resolution", cases, sizeof cases / sizeof cases[0],
                    &SettingsRecord::Resolution);
}

TEST(SettingsLoad, MaxParticleNumTakesHundredToThousandElse300) {
    const NumberCase cases[] = {
        {"99", 300}, {"100", 100}, {"500", 500}, {"1000", 1000}, {"1001", 300},
        {"-300", 300}, {"", 300}, {kMissing, 300}, {"4294967796", 300},
    };
    ExpectSetNumber("MaxParticleNum", cases, sizeof cases / sizeof cases[0],
                    &SettingsRecord::MaxParticleNum);
}

TEST(SettingsLoad, FpsTakesFifteenToHundredElseThirty) {
    const NumberCase cases[] = {
        {"14", 30}, {"15", 15}, {"60", 60}, {"100", 100}, {"101", 30},
        {"0", 30}, {"", 30}, {kMissing, 30}, {"+15", 15},
    };
    ExpectSetNumber("Fps", cases, sizeof cases / sizeof cases[0], &SettingsRecord::Fps);
}

TEST(SettingsLoad, FpsShowIsOneWhenEmptyElseNonZeroness) {
    const NumberCase cases[] = {
        {kMissing, 1}, {"", 1}, {"0", 0}, {"1", 1}, {"5", 1}, {"-1", 1},
        {"abc", 0}, {" 0x1", 0}, {"00", 0}, {"99999999999", 1},
    };
    ExpectSetNumber("FpsShow", cases, sizeof cases / sizeof cases[0], &SettingsRecord::FpsShow);
}

TEST(SettingsLoad, OtherMonitorsIsZeroOnlyForZero) {
    const NumberCase cases[] = {
        {kMissing, 1}, {"", 1}, {"0", 0}, {" 0 ", 0}, {"1", 1}, {"2", 1}, {"-1", 1},
        {"00", 1}, {"0x", 1}, {"abc", 1}, {"off", 1},
    };
    for (const NumberCase& c : cases) {
        FakeProfileStore store;
        if (c.stored) store.Put("Monitors", "OtherMonitors", c.stored);
        store.Put("Set", "OtherMonitors", "0");  // only its own section counts
        LoadFrom(store);
        EXPECT_EQ(c.expected, Settings.OtherMonitors) << "OtherMonitors=" << (c.stored ? c.stored : "(missing)");
    }
}

TEST(SettingsLoad, ScreenSizesFollowResolution) {
    const struct {
        const char* resolution;
        int32_t width, height;
    } cases[] = {
        {"0", 640, 480}, {"1", 800, 600}, {"2", 1024, 768}, {"3", 1280, 1024},
        {"7", 800, 600}, {"-1", 800, 600},
    };
    for (const auto& c : cases) {
        FakeProfileStore store;
        store.Put("Set", "Resolution", c.resolution);
        LoadFrom(store);
        SetCanvasForDisplayMode(Settings.Resolution);  // as run mode does at its start
        EXPECT_EQ(c.width, screenWidth) << c.resolution;
        EXPECT_EQ(c.height, screenHeight) << c.resolution;
        EXPECT_EQ(c.width + 8, fieldWidth) << c.resolution;
        EXPECT_EQ(c.height + 8, fieldHeight) << c.resolution;
    }
}

// A record set by other means than the loader never indexes past the modes.
TEST(SettingsLoad, ScreenSizesOfAnUnknownResolutionAreTheDefaultMode) {
    for (int32_t resolution : {-1, 4, 9, INT_MIN}) {
        SetCanvasForDisplayMode(resolution);
        EXPECT_EQ(800, screenWidth) << resolution;
        EXPECT_EQ(608, fieldHeight) << resolution;
    }
}

TEST(SettingsLoad, NoStoreAtAllGivesTheDefaults) {
    FakeProfileStore store;
    LoadFrom(store);
    EXPECT_EQ(1, Settings.Resolution);
    EXPECT_EQ(300, Settings.MaxParticleNum);
    EXPECT_EQ(30, Settings.Fps);
    EXPECT_EQ(1, Settings.FpsShow);
    SetCanvasForDisplayMode(Settings.Resolution);  // as run mode does at its start
    EXPECT_EQ(800, screenWidth);
    EXPECT_EQ(600, screenHeight);
    EXPECT_EQ(808, fieldWidth);
    EXPECT_EQ(608, fieldHeight);
    // Texts are cleared whole, and the fonts are all zero.
    const SettingsRecord expected = DefaultRecord();
    EXPECT_EQ(0, std::memcmp(&expected, &Settings, sizeof expected));

    // The record set without any store is the same.
    Scramble();
    LoadDefaultSettings();
    EXPECT_EQ(0, std::memcmp(&expected, &Settings, sizeof expected));
    SetCanvasForDisplayMode(Settings.Resolution);
    EXPECT_EQ(808, fieldWidth);
}

TEST(SettingsLoad, LineTextsAreCopiedOrCleared) {
    FakeProfileStore store;
    store.Put("Set", "TopText", "Happy new year \xD0\xC2\xC4\xEA");
    store.Put("Set", "BottomText", "");
    LoadFrom(store);
    EXPECT_STREQ("Happy new year \xD0\xC2\xC4\xEA", Settings.TopText);
    // The rest of the field is zero, not what was there before.
    EXPECT_EQ(0, Settings.TopText[sizeof Settings.TopText - 1]);
    for (char c : Settings.BottomText) ASSERT_EQ(0, c);
}

TEST(SettingsLoad, MidTextMarkersBecomeLineBreaksWithoutTrailingOnes) {
    const struct {
        const char* stored;
        const char* expected;
    } cases[] = {
        {"First line|@|Second line|@|", "First line\r\nSecond line"},
        {"First line|@|Second line", "First line\r\nSecond line"},
        {"a|@||@|b", "a\r\n\r\nb"},
        {"|@|a", "\r\na"},
        {"a|@||@||@|", "a"},
        {"|@|", ""},
        {"", ""},
        // Near misses of the marker stay as they are.
        {"a|@b", "a|@b"},
        {"a@|b", "a@|b"},
        {"a||@|b", "a|\r\nb"},
        // Line breaks stored raw at the end are removed as well.
        {"a\r", "a"},
        // 0x81 0x7C is one character whose second byte is '|': what follows
        // it is not a marker.
        {"\x81|@|x", "\x81|@|x"},
        {"\x81||@|x", "\x81|\r\nx"},
    };
    for (const auto& c : cases) {
        FakeProfileStore store;
        store.Put("Set", "MidText", c.stored);
        LoadFrom(store);
        EXPECT_STREQ(c.expected, Settings.MidText) << c.stored;
        EXPECT_EQ(0, Settings.MidText[sizeof Settings.MidText - 1]);
    }
}

// atoi's forms, seen through lfHeight, which takes the number unchanged.
TEST(SettingsLoad, NumbersAreReadAsAtoiReadsThemAndSaturate) {
    const NumberCase cases[] = {
        {"42", 42}, {"  42abc", 42}, {"\t\r\n\v\f-12x", -12}, {"+7", 7}, {"007", 7},
        {"-", 0}, {"+", 0}, {"", 0}, {kMissing, 0}, {"abc", 0}, {"+-5", 0}, {" - 5", 0},
        {"0x10", 0}, {"1e3", 1}, {"3.9", 3},
        {"2147483647", INT_MAX}, {"2147483648", INT_MAX}, {"99999999999", INT_MAX},
        {"4294967338", INT_MAX}, {"-2147483648", INT_MIN}, {"-2147483649", INT_MIN},
        {"-99999999999999999999999999", INT_MIN},
        {"000000000000000000000000012", 12},
    };
    for (const auto& c : cases) {
        FakeProfileStore store;
        if (c.stored) store.Put("TopFont", "lfHeight", c.stored);
        LoadFrom(store);
        EXPECT_EQ(c.expected, Settings.TopFont.logFont.lfHeight)
            << (c.stored ? c.stored : "(missing)");
    }
}

TEST(SettingsLoad, ByteFieldsKeepTheLowEightBits) {
    const struct {
        const char* stored;
        unsigned expected;
    } cases[] = {
        {"0", 0}, {"1", 1}, {"134", 134}, {"255", 255}, {"256", 0}, {"257", 1},
        {"511", 255}, {"-1", 255}, {"-256", 0}, {"99999999999", 255}, {"", 0},
    };
    for (const auto& c : cases) {
        FakeProfileStore store;
        store.Put("MidFont", "lfItalic", c.stored);
        store.Put("MidFont", "lfCharSet", c.stored);
        store.Put("MidFont", "lfPitchAndFamily", c.stored);
        LoadFrom(store);
        const LOGFONTA& f = Settings.MidFont.logFont;
        EXPECT_EQ(c.expected, static_cast<unsigned>(f.lfItalic)) << c.stored;
        EXPECT_EQ(c.expected, static_cast<unsigned>(f.lfCharSet)) << c.stored;
        EXPECT_EQ(c.expected, static_cast<unsigned>(f.lfPitchAndFamily)) << c.stored;
    }
}

TEST(SettingsLoad, ColorTakesTwentyFourBitsElseZero) {
    const struct {
        const char* stored;
        COLORREF expected;
    } cases[] = {
        {"255", 255}, {"0", 0}, {"16777215", 16777215}, {"16777216", 0}, {"-5", 0},
        {"-1", 0}, {"", 0}, {kMissing, 0}, {"4278190335", 0}, {"65280 green", 65280},
    };
    for (const auto& c : cases) {
        FakeProfileStore store;
        if (c.stored) store.Put("BottomFont", "Color", c.stored);
        LoadFrom(store);
        EXPECT_EQ(c.expected, Settings.BottomFont.Color) << (c.stored ? c.stored : "(missing)");
    }
}

TEST(SettingsLoad, EachFontSectionFillsItsOwnStyle) {
    FakeProfileStore store;
    const char* sections[] = {"TopFont", "BottomFont", "MidFont"};
    for (int s = 0; s < 3; ++s) {
        std::string base = std::to_string(s + 1);
        store.Put(sections[s], "lfHeight", "-1" + base);
        store.Put(sections[s], "lfWidth", "2" + base);
        store.Put(sections[s], "lfEscapement", "3" + base);
        store.Put(sections[s], "lfOrientation", "4" + base);
        store.Put(sections[s], "lfWeight", "70" + base);
        store.Put(sections[s], "lfItalic", "1");
        store.Put(sections[s], "lfUnderline", "0");
        store.Put(sections[s], "lfStrikeOut", "1");
        store.Put(sections[s], "lfCharSet", "13" + base);
        store.Put(sections[s], "lfOutPrecision", "3");
        store.Put(sections[s], "lfClipPrecision", "2");
        store.Put(sections[s], "lfQuality", "1");
        store.Put(sections[s], "lfPitchAndFamily", "4" + base);
        store.Put(sections[s], "lfFaceName", "Face " + base);
        store.Put(sections[s], "Color", "25" + base);
    }
    LoadFrom(store);
    const TextStyle* styles[] = {&Settings.TopFont, &Settings.BottomFont, &Settings.MidFont};
    for (int s = 0; s < 3; ++s) {
        const LOGFONTA& f = styles[s]->logFont;
        int n = s + 1;
        SCOPED_TRACE(sections[s]);
        EXPECT_EQ(-10 - n, f.lfHeight);
        EXPECT_EQ(20 + n, f.lfWidth);
        EXPECT_EQ(30 + n, f.lfEscapement);
        EXPECT_EQ(40 + n, f.lfOrientation);
        EXPECT_EQ(700 + n, f.lfWeight);
        EXPECT_EQ(1, f.lfItalic);
        EXPECT_EQ(0, f.lfUnderline);
        EXPECT_EQ(1, f.lfStrikeOut);
        EXPECT_EQ(130 + n, f.lfCharSet);
        EXPECT_EQ(3, f.lfOutPrecision);
        EXPECT_EQ(2, f.lfClipPrecision);
        EXPECT_EQ(1, f.lfQuality);
        EXPECT_EQ(40 + n, f.lfPitchAndFamily);
        EXPECT_EQ("Face " + std::to_string(n), std::string(f.lfFaceName));
        EXPECT_EQ(static_cast<COLORREF>(250 + n), styles[s]->Color);
    }
}

TEST(SettingsLoad, NoFontSectionsGiveZeroFonts) {
    FakeProfileStore store;
    store.Put("Set", "Resolution", "2");
    store.Put("Set", "TopText", "hello");
    LoadFrom(store);
    EXPECT_EQ(2, Settings.Resolution);
    const TextStyle* styles[] = {&Settings.TopFont, &Settings.BottomFont, &Settings.MidFont};
    TextStyle zero;
    std::memset(&zero, 0, sizeof zero);
    for (const TextStyle* style : styles) {
        EXPECT_EQ(0, std::memcmp(&zero, style, sizeof zero));
        EXPECT_STREQ("", style->logFont.lfFaceName);
    }
}

TEST(SettingsLoad, KeysAreReadInFileOrderWithTheirBuffers) {
    FakeProfileStore store;
    LoadFrom(store);
    const char* setKeys[] = {"Resolution", "MaxParticleNum", "Fps", "FpsShow",
                             "TopText", "BottomText", "MidText"};
    const char* fontKeys[] = {"lfHeight", "lfWidth", "lfEscapement", "lfOrientation",
                              "lfWeight", "lfItalic", "lfUnderline", "lfStrikeOut",
                              "lfCharSet", "lfOutPrecision", "lfClipPrecision", "lfQuality",
                              "lfPitchAndFamily", "lfFaceName", "Color"};
    ASSERT_EQ(7u + 3u * 15u + 1u, store.reads.size());
    size_t r = 0;
    for (const char* key : setKeys) {
        EXPECT_EQ("Set", store.reads[r].section);
        EXPECT_EQ(key, store.reads[r].key);
        ++r;
    }
    for (const char* section : {"TopFont", "BottomFont", "MidFont"}) {
        for (const char* key : fontKeys) {
            EXPECT_EQ(section, store.reads[r].section);
            EXPECT_EQ(key, store.reads[r].key);
            EXPECT_EQ(128u, store.reads[r].size) << section << "/" << key;
            ++r;
        }
    }
    EXPECT_EQ("Monitors", store.reads[r].section);
    EXPECT_EQ("OtherMonitors", store.reads[r].key);
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(250u, store.reads[i].size) << setKeys[i];
    // The texts are read wide enough to find a character boundary, and the
    // middle text wide enough for 2047 line breaks written as "|@|".
    EXPECT_GT(store.reads[4].size, 1024u);
    EXPECT_GT(store.reads[5].size, 1024u);
    EXPECT_GE(store.reads[6].size, 2047u * 3u + 1u);
}

}  // namespace
