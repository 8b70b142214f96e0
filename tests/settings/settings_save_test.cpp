// Saving the settings record: the key order, how each value is written, a
// store that refuses writes, and what a save followed by a load gives back.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "FakeProfileStore.h"
#include "SampleFont.h"
#include "engine/Geometry.h"
#include "settings/Cp936Text.h"
#include "settings/Settings.h"

namespace {

const char* const kFontKeys[] = {"lfHeight", "lfWidth", "lfEscapement", "lfOrientation",
                                 "lfWeight", "lfItalic", "lfUnderline", "lfStrikeOut",
                                 "lfCharSet", "lfOutPrecision", "lfClipPrecision", "lfQuality",
                                 "lfPitchAndFamily", "lfFaceName", "Color"};

// A record as the dialog leaves it, with every kind of value.
void FillSample() {
    FillSampleSettings({2, 450, 60, "\xD0\xC2\xC4\xEA\xBF\xEC\xC0\xD6 top", "bottom text",
                        "Line one\r\nLine two\r\n\r\nLine four",
                        {-12, 700, 134, 0xFF, "\xCB\xCE\xCC\xE5", 255},
                        {24, 400, 0, 0xFF, "Arial", 16777215},
                        {-48, 900, 1, 0xFF, "Courier New", 0}});
}

TEST(SettingsSave, WritesEveryKeyInFileOrder) {
    FillSample();
    FakeProfileStore store;
    SaveSettingsTo(store);
    ASSERT_EQ(7u + 3u * 15u, store.writes.size());
    const char* setKeys[] = {"Resolution", "MaxParticleNum", "Fps", "FpsShow",
                             "TopText", "BottomText", "MidText"};
    size_t w = 0;
    for (const char* key : setKeys) {
        EXPECT_EQ("Set", store.writes[w].section) << w;
        EXPECT_EQ(key, store.writes[w].key) << w;
        ++w;
    }
    for (const char* section : {"TopFont", "BottomFont", "MidFont"}) {
        for (const char* key : kFontKeys) {
            EXPECT_EQ(section, store.writes[w].section) << w;
            EXPECT_EQ(key, store.writes[w].key) << w;
            ++w;
        }
    }
    EXPECT_EQ(4u, store.SectionCount());
}

TEST(SettingsSave, WritesNumbersAsDecimalAndBytesUnsigned) {
    FillSample();
    FakeProfileStore store;
    SaveSettingsTo(store);
    const struct {
        const char* section;
        const char* key;
        const char* value;
    } cases[] = {
        {"Set", "Resolution", "2"},
        {"Set", "MaxParticleNum", "450"},
        {"Set", "Fps", "60"},
        {"Set", "FpsShow", "0"},
        {"Set", "TopText", "\xD0\xC2\xC4\xEA\xBF\xEC\xC0\xD6 top"},
        {"Set", "BottomText", "bottom text"},
        {"Set", "MidText", "Line one|@|Line two|@||@|Line four"},
        {"TopFont", "lfHeight", "-12"},
        {"TopFont", "lfWidth", "0"},
        {"TopFont", "lfWeight", "700"},
        {"TopFont", "lfItalic", "1"},
        {"TopFont", "lfCharSet", "134"},
        {"TopFont", "lfPitchAndFamily", "255"},
        {"TopFont", "lfFaceName", "\xCB\xCE\xCC\xE5"},
        {"TopFont", "Color", "255"},
        {"BottomFont", "lfHeight", "24"},
        {"BottomFont", "lfCharSet", "0"},
        {"BottomFont", "lfFaceName", "Arial"},
        {"BottomFont", "Color", "16777215"},
        {"MidFont", "lfHeight", "-48"},
        {"MidFont", "lfWeight", "900"},
        {"MidFont", "lfFaceName", "Courier New"},
        {"MidFont", "Color", "0"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.value, store.Get(c.section, c.key)) << c.section << "/" << c.key;
    }
}

TEST(SettingsSave, EveryLineBreakBecomesOneMarker) {
    const struct {
        const char* text;
        const char* written;
    } cases[] = {
        {"a\r\nb", "a|@|b"},
        {"a\r\n\r\nb", "a|@||@|b"},
        // A lone CR or LF would end the INI line: it is written as a marker.
        {"a\rb", "a|@|b"},
        {"a\nb", "a|@|b"},
        {"a\n\rb", "a|@||@|b"},
        {"a\r\n", "a|@|"},
        {"", ""},
        {"no breaks", "no breaks"},
    };
    for (const auto& c : cases) {
        std::memset(&Settings, 0, sizeof Settings);
        std::strcpy(Settings.MidText, c.text);
        FakeProfileStore store;
        SaveSettingsTo(store);
        std::string written = store.Get("Set", "MidText");
        EXPECT_EQ(c.written, written);
        EXPECT_EQ(std::string::npos, written.find_first_of("\r\n"));
    }
}

TEST(SettingsSave, RefusedWritesChangeNothing) {
    FillSample();
    SettingsRecord before = Settings;
    FakeProfileStore store;
    store.refuseWrites = true;
    EXPECT_FALSE(SaveSettingsTo(store));
    // Every write is still attempted, none is stored, and the record stays.
    EXPECT_EQ(52u, store.writes.size());
    EXPECT_EQ(0u, store.SectionCount());
    EXPECT_EQ(0, std::memcmp(&before, &Settings, sizeof before));
}

TEST(SettingsSave, EachRefusedWriteIsReported) {
    FillSample();
    FakeProfileStore complete;
    EXPECT_TRUE(SaveSettingsTo(complete));
    for (size_t refused = 0; refused < 52; ++refused) {
        FakeProfileStore store;
        store.refuseWriteNumber = refused;
        EXPECT_FALSE(SaveSettingsTo(store)) << "write " << refused;
        // The writes after it are still made, so the caller decides.
        EXPECT_EQ(52u, store.writes.size()) << "write " << refused;
    }
}

// The platform's reader drops blanks at both ends and one pair of quotes:
// texts with those at an end go out inside one more pair of double quotes.
TEST(SettingsSave, TextsComeBackAsTyped) {
    const struct {
        const char* text;
        const char* written;
    } cases[] = {
        {"  hello  ", "\"  hello  \""},
        {"\"quoted\"", "\"\"quoted\"\""},
        {"'single'", "\"'single'\""},
        {"\tTabbed", "\"\tTabbed\""},
        {"trailing ", "\"trailing \""},
        {"'", "\"'\""},
        {"\"", "\"\"\""},
        {" ", "\" \""},
        // Nothing at an end: written as ever.
        {"in \"the\" middle", "in \"the\" middle"},
        {"\xC4\xE3 \xBA\xC3", "\xC4\xE3 \xBA\xC3"},
        {"", ""},
    };
    for (const auto& c : cases) {
        for (char* field : {Settings.TopText, Settings.BottomText}) {
            FillSample();
            CopyTextBounded(field, sizeof Settings.TopText, c.text);
            FakeProfileStore store;
            SaveSettingsTo(store);
            EXPECT_EQ(c.written, store.Get("Set", field == Settings.TopText ? "TopText" : "BottomText"));
            SettingsRecord saved = Settings;
            std::memset(&Settings, 0x5A, sizeof Settings);
            LoadSettingsFrom(store);
            EXPECT_EQ(0, std::memcmp(&saved, &Settings, sizeof saved)) << "'" << c.text << "'";
        }
    }
    // The middle text's first and last lines are the value's two ends.
    const struct {
        const char* text;
        const char* written;
    } mid[] = {
        {" first\r\nlast ", "\" first|@|last \""},
        {"'first\r\nlast\"", "\"'first|@|last\"\""},
        {"first\r\n\tlast", "first|@|\tlast"},
    };
    for (const auto& c : mid) {
        FillSample();
        std::strcpy(Settings.MidText, c.text);
        FakeProfileStore store;
        SaveSettingsTo(store);
        EXPECT_EQ(c.written, store.Get("Set", "MidText"));
        std::memset(Settings.MidText, 0x5A, sizeof Settings.MidText);
        LoadSettingsFrom(store);
        EXPECT_STREQ(c.text, Settings.MidText);
    }
}

TEST(SettingsSave, SaveThenLoadGivesTheRecordBack) {
    FillSample();
    SettingsRecord saved = Settings;
    FakeProfileStore store;
    SaveSettingsTo(store);
    std::memset(&Settings, 0x5A, sizeof Settings);
    LoadSettingsFrom(store);
    EXPECT_EQ(0, std::memcmp(&saved, &Settings, sizeof saved));
    SetCanvasForDisplayMode(Settings.Resolution);  // as run mode does at its start
    EXPECT_EQ(1024, screenWidth);
    EXPECT_EQ(776, fieldHeight);
}

TEST(SettingsSave, FullTextsRoundTripWhole) {
    std::memset(&Settings, 0, sizeof Settings);
    // 1023 bytes ending in a double-byte character.
    std::string top(1021, 'T');
    top += "\xC4\xE3";
    std::strcpy(Settings.TopText, top.c_str());
    // 2047 bytes: 1023 line breaks and one character, 3070 bytes once written.
    std::string mid;
    for (int i = 0; i < 1023; ++i) mid += "\r\n";
    mid += "Z";
    std::strcpy(Settings.MidText, mid.c_str());
    // 2047 bytes of lines.
    std::string lines;
    for (int i = 0; i < 682; ++i) lines += "A\r\n";
    lines += "B";
    ASSERT_EQ(2047u, lines.size());

    FakeProfileStore store;
    SaveSettingsTo(store);
    EXPECT_EQ(3070u, store.Get("Set", "MidText").size());
    std::memset(&Settings, 0, sizeof Settings);
    LoadSettingsFrom(store);
    EXPECT_EQ(top, Settings.TopText);
    EXPECT_EQ(mid, Settings.MidText);

    std::strcpy(Settings.MidText, lines.c_str());
    SaveSettingsTo(store);
    std::memset(&Settings, 0, sizeof Settings);
    LoadSettingsFrom(store);
    EXPECT_EQ(lines, Settings.MidText);
}

TEST(SettingsSave, FieldsWithoutTerminatorAreWrittenBounded) {
    std::memset(&Settings, 0, sizeof Settings);
    std::memset(Settings.TopText, 'x', sizeof Settings.TopText);
    std::memset(Settings.MidText, '\n', sizeof Settings.MidText);
    // 32 bytes of a double-byte face name, no terminator.
    for (size_t i = 0; i < sizeof Settings.MidFont.logFont.lfFaceName; i += 2) {
        Settings.MidFont.logFont.lfFaceName[i] = '\xCB';
        Settings.MidFont.logFont.lfFaceName[i + 1] = '\xCE';
    }
    FakeProfileStore store;
    SaveSettingsTo(store);
    EXPECT_EQ(std::string(1023, 'x'), store.Get("Set", "TopText"));
    EXPECT_EQ(2047u * 3u, store.Get("Set", "MidText").size());
    EXPECT_EQ(30u, store.Get("MidFont", "lfFaceName").size());
}

}  // namespace
