// Cutting texts to their fields on whole characters, long stored values, and
// the INI path built from the executable's path.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "FakeProfileStore.h"
#include "settings/Cp936Text.h"
#include "settings/Settings.h"

namespace {

// n double-byte characters (the same one each time).
std::string Chinese(int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += "\xCB\xCE";
    return s;
}

TEST(SettingsText, CopyTextBoundedCutsOnWholeCharacters) {
    const struct {
        std::string text;
        size_t expected;
    } cases[] = {
        {std::string(31, 'a'), 31},
        {std::string(32, 'a'), 31},
        {Chinese(15), 30},
        {Chinese(16), 30},
        {Chinese(20), 30},
        {"A" + Chinese(15), 31},
        {"AB" + Chinese(15), 30},
        // A lead byte with no trail byte stands alone and fits.
        {std::string(30, 'a') + "\xCB", 31},
        // A lead byte before a byte that cannot be a trail byte.
        {std::string(30, 'a') + "\xCB" + "\x7F", 31},
        // A line break pair is not split either.
        {std::string(30, 'a') + "\r\n", 30},
        {std::string(29, 'a') + "\r\n", 31},
        {"", 0},
    };
    for (const auto& c : cases) {
        char dest[32];
        std::memset(dest, 0x77, sizeof dest);
        EXPECT_EQ(c.expected, CopyTextBounded(dest, sizeof dest, c.text.c_str())) << c.text;
        EXPECT_EQ(c.text.substr(0, c.expected), std::string(dest)) << c.text;
        for (size_t i = c.expected; i < sizeof dest; ++i) ASSERT_EQ(0, dest[i]) << c.text;
    }
}

TEST(SettingsText, LongFaceNamesAreCutToWholeCharacters) {
    const struct {
        std::string stored;
        std::string expected;
    } cases[] = {
        {std::string(31, 'F'), std::string(31, 'F')},
        {std::string(32, 'F'), std::string(31, 'F')},
        {std::string(200, 'F'), std::string(31, 'F')},
        {Chinese(20), Chinese(15)},  // 40 bytes: cut to 30, not to a lone lead
        {"A" + Chinese(20), "A" + Chinese(15)},
    };
    for (const auto& c : cases) {
        FakeProfileStore store;
        store.Put("BottomFont", "lfFaceName", c.stored);
        LoadSettingsFrom(store);
        EXPECT_EQ(c.expected, std::string(Settings.BottomFont.logFont.lfFaceName)) << c.stored;
    }
}

TEST(SettingsText, LongLineTextsAreCutToWholeCharacters) {
    const struct {
        std::string stored;
        size_t expected;
    } cases[] = {
        {std::string(1023, 't'), 1023},
        {std::string(1024, 't'), 1023},
        {std::string(1021, 't') + Chinese(1), 1023},
        {std::string(1022, 't') + Chinese(1), 1022},
        {std::string(1022, 't') + Chinese(5), 1022},
        {Chinese(600), 1022},
    };
    for (const auto& c : cases) {
        FakeProfileStore store;
        store.Put("Set", "TopText", c.stored);
        store.Put("Set", "BottomText", c.stored);
        LoadSettingsFrom(store);
        EXPECT_EQ(c.stored.substr(0, c.expected), std::string(Settings.TopText));
        EXPECT_EQ(c.stored.substr(0, c.expected), std::string(Settings.BottomText));
    }
}

TEST(SettingsText, LongMidTextsKeepAtMost2047WholeBytes) {
    std::string markers;  // 1023 line breaks
    for (int i = 0; i < 1023; ++i) markers += "|@|";
    std::string many;
    for (int i = 0; i < 3000; ++i) many += "ab|@|";
    const struct {
        std::string stored;
        std::string expected;
    } cases[] = {
        // 2047 bytes once unescaped, and one more character.
        {"x|@|" + Chinese(1022), "x\r\n" + Chinese(1022)},
        {"x|@|" + Chinese(1023), "x\r\n" + Chinese(1022)},
        // A cut that would leave half of the last character.
        {"|@|" + Chinese(1023), "\r\n" + Chinese(1022)},
        {"|@|" + Chinese(1022) + "y", "\r\n" + Chinese(1022) + "y"},
        // The cut falls on a line break: it goes, as trailing breaks do.
        {"a" + markers + "b", "a"},
    };
    for (const auto& c : cases) {
        FakeProfileStore store;
        store.Put("Set", "MidText", c.stored);
        LoadSettingsFrom(store);
        EXPECT_EQ(c.expected, std::string(Settings.MidText));
    }
    // Far more than fits: 2047 bytes of whole lines, the last break dropped.
    FakeProfileStore store;
    store.Put("Set", "MidText", many);
    LoadSettingsFrom(store);
    std::string expected;
    for (int i = 0; i < 511; ++i) expected += "ab\r\n";
    expected += "ab";
    EXPECT_EQ(expected, std::string(Settings.MidText));
}

bool NoLeadBytes(unsigned char) { return false; }

TEST(SettingsText, IniPathIsTheModuleFolderPlusFileName) {
    const unsigned long capacity = 260;
    std::string longest = "C:\\" + std::string(capacity - 1 - 3 - 4, 'd') + "\\a.s";
    const struct {
        std::string module;
        long copied;  // -1: the length of module
        bool (*isLeadByte)(unsigned char);
        size_t outSize;
        std::string expected;  // empty: refused
    } cases[] = {
        {"C:\\Windows\\System32\\Glimmerax.scr", -1, nullptr, 300,
         "C:\\Windows\\System32\\Glimmerax.ini"},
        {"C:\\x.scr", -1, nullptr, 300, "C:\\Glimmerax.ini"},
        {"\\\\server\\share\\x.scr", -1, nullptr, 300, "\\\\server\\share\\Glimmerax.ini"},
        // The query failed, or its buffer was filled: the name may be cut.
        {"C:\\x.scr", 0, nullptr, 300, ""},
        {longest, static_cast<long>(capacity), nullptr, 300, ""},
        {longest.substr(0, capacity - 1), static_cast<long>(capacity - 1), nullptr, 300,
         longest.substr(0, capacity - 1 - 3) + "Glimmerax.ini"},
        {"Glimmerax.scr", -1, nullptr, 300, ""},
        // The result must fit in the caller's buffer, terminator included.
        {"C:\\x.scr", -1, nullptr, 17, "C:\\Glimmerax.ini"},
        {"C:\\x.scr", -1, nullptr, 16, ""},
        // 0xD5 0x5C is one character whose second byte looks like '\'.
        {"C:\\\xD5\\\\x.scr", -1, nullptr, 300, "C:\\\xD5\\\\Glimmerax.ini"},
        {"C:\\d\\\xD5\\.scr", -1, nullptr, 300, "C:\\d\\Glimmerax.ini"},
        // A single-byte code page: every backslash is one.
        {"C:\\d\\\xD5\\.scr", -1, NoLeadBytes, 300, "C:\\d\\\xD5\\Glimmerax.ini"},
    };
    for (const auto& c : cases) {
        char out[300];
        std::memset(out, 0x77, sizeof out);
        unsigned long copied =
            c.copied < 0 ? static_cast<unsigned long>(c.module.size()) : c.copied;
        int ok = BuildIniPath(c.module.c_str(), copied, capacity, out, c.outSize, c.isLeadByte);
        EXPECT_EQ(c.expected.empty() ? 0 : 1, ok) << c.module;
        EXPECT_EQ(c.expected, std::string(out)) << c.module;
    }
}

}  // namespace
