// The settings' INI file through the system's profile-string functions: the
// exact bytes of a file written from nothing, reading it back, files without
// font sections, and places where nothing can be written.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "SampleFont.h"
#include "engine/Geometry.h"
#include "settings/Cp936Text.h"
#include "settings/Settings.h"

namespace {

// A fresh folder under the system's temporary folder for each test.
class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        ASSERT_NE(0u, GetTempPathA(sizeof temp, temp));
        static int serial = 0;
        char name[64];
        std::snprintf(name, sizeof name, "glimmerax-settings-%lu-%d",
                      static_cast<unsigned long>(GetCurrentProcessId()), ++serial);
        folder_ = std::string(temp) + name + "\\";
        ASSERT_TRUE(CreateDirectoryA(folder_.c_str(), nullptr) ||
                    GetLastError() == ERROR_ALREADY_EXISTS);
    }

    void TearDown() override {
        for (const std::string& file : created_) {
            SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(file.c_str());
        }
        RemoveDirectoryA(folder_.c_str());
    }

    std::string PathOf(const char* name) {
        std::string path = folder_ + name;
        created_.push_back(path);
        return path;
    }

    static std::string ReadFileBytes(const std::string& path) {
        std::string bytes;
        FILE* f = std::fopen(path.c_str(), "rb");
        if (!f) return bytes;
        char chunk[4096];
        size_t n;
        while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.append(chunk, n);
        std::fclose(f);
        return bytes;
    }

    static void WriteFileBytes(const std::string& path, const std::string& bytes) {
        FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(nullptr, f);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }

    static bool Exists(const std::string& path) {
        return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    std::string folder_;
    std::vector<std::string> created_;
};

void FillWinSample() {
    FillSampleSettings({3, 1000, 15, "\xD0\xC2\xC4\xEA\xBF\xEC\xC0\xD6" /* happy new year */,
                        "Bottom", "One\r\nTwo", {-12, 700, 134, 2, "\xCB\xCE\xCC\xE5", 255},
                        {20, 400, 0, 2, "Arial", 16777215},
                        {-36, 900, 255, 2, "Courier New", 0}});
}

std::string FontSection(const char* name, const char* height, const char* weight,
                        const char* charSet, const char* face, const char* color) {
    return std::string("[") + name + "]\r\n" +
           "lfHeight=" + height + "\r\n" +
           "lfWidth=0\r\n"
           "lfEscapement=0\r\n"
           "lfOrientation=0\r\n" +
           "lfWeight=" + weight + "\r\n" +
           "lfItalic=1\r\n"
           "lfUnderline=0\r\n"
           "lfStrikeOut=0\r\n" +
           "lfCharSet=" + charSet + "\r\n" +
           "lfOutPrecision=3\r\n"
           "lfClipPrecision=2\r\n"
           "lfQuality=1\r\n"
           "lfPitchAndFamily=2\r\n" +
           "lfFaceName=" + face + "\r\n" +
           "Color=" + color + "\r\n";
}

TEST_F(SettingsFileTest, FileWrittenFromNothingHasTheFixedOrder) {
    FillWinSample();
    std::string path = PathOf("Glimmerax.ini");
    EXPECT_EQ(1, SaveSettingsToFile(path.c_str()));
    EXPECT_FALSE(Exists(path + ".tmp"));
    std::string expected =
        "[Set]\r\n"
        "Resolution=3\r\n"
        "MaxParticleNum=1000\r\n"
        "Fps=15\r\n"
        "FpsShow=0\r\n"
        "TopText=\xD0\xC2\xC4\xEA\xBF\xEC\xC0\xD6\r\n"
        "BottomText=Bottom\r\n"
        "MidText=One|@|Two\r\n" +
        FontSection("TopFont", "-12", "700", "134", "\xCB\xCE\xCC\xE5", "255") +
        FontSection("BottomFont", "20", "400", "0", "Arial", "16777215") +
        FontSection("MidFont", "-36", "900", "255", "Courier New", "0");
    EXPECT_EQ(expected, ReadFileBytes(path));
}

TEST_F(SettingsFileTest, WhatWasWrittenReadsBackTheSame) {
    FillWinSample();
    // The longest middle text the file can need: 1023 line breaks and one
    // character, 3070 bytes once written.
    std::string mid;
    for (int i = 0; i < 1023; ++i) mid += "\r\n";
    mid += "Z";
    std::strcpy(Settings.MidText, mid.c_str());
    std::string top(1021, 'T');
    top += "\xC4\xE3";
    std::strcpy(Settings.TopText, top.c_str());
    SettingsRecord saved = Settings;

    std::string path = PathOf("RoundTrip.ini");
    SaveSettingsToFile(path.c_str());
    std::memset(&Settings, 0x5A, sizeof Settings);
    LoadSettingsFromFile(path.c_str());
    EXPECT_EQ(mid, std::string(Settings.MidText));
    EXPECT_EQ(0, std::memcmp(&saved, &Settings, sizeof saved));
    SetCanvasForDisplayMode(Settings.Resolution);  // as run mode does at its start
    EXPECT_EQ(1280, screenWidth);
    EXPECT_EQ(1032, fieldHeight);
}

TEST_F(SettingsFileTest, FileWithoutFontSectionsGivesZeroFonts) {
    std::string path = PathOf("NoFonts.ini");
    WriteFileBytes(path,
                   "[Set]\r\nResolution=2\r\nFps=101\r\nFpsShow=abc\r\n"
                   "MidText=First|@|Second|@|\r\n");
    std::memset(&Settings, 0x5A, sizeof Settings);
    LoadSettingsFromFile(path.c_str());
    EXPECT_EQ(2, Settings.Resolution);
    SetCanvasForDisplayMode(Settings.Resolution);  // as run mode does at its start
    EXPECT_EQ(1024, screenWidth);
    EXPECT_EQ(1032, fieldWidth);
    EXPECT_EQ(776, fieldHeight);
    EXPECT_EQ(300, Settings.MaxParticleNum);
    EXPECT_EQ(30, Settings.Fps);
    EXPECT_EQ(0, Settings.FpsShow);
    EXPECT_STREQ("", Settings.TopText);
    EXPECT_STREQ("First\r\nSecond", Settings.MidText);
    TextStyle zero;
    std::memset(&zero, 0, sizeof zero);
    EXPECT_EQ(0, std::memcmp(&zero, &Settings.TopFont, sizeof zero));
    EXPECT_EQ(0, std::memcmp(&zero, &Settings.BottomFont, sizeof zero));
    EXPECT_EQ(0, std::memcmp(&zero, &Settings.MidFont, sizeof zero));
}

TEST_F(SettingsFileTest, NoFileGivesTheDefaultsAndCreatesNothing) {
    std::string path = PathOf("Absent.ini");
    std::memset(&Settings, 0x5A, sizeof Settings);
    LoadSettingsFromFile(path.c_str());
    EXPECT_FALSE(Exists(path));
    const SettingsRecord defaults = DefaultRecord();
    EXPECT_EQ(0, std::memcmp(&defaults, &Settings, sizeof defaults));
    SetCanvasForDisplayMode(Settings.Resolution);  // as run mode does at its start
    EXPECT_EQ(800, screenWidth);
}

TEST_F(SettingsFileTest, ReadOnlyFileIsLeftAsItWas) {
    std::string path = PathOf("ReadOnly.ini");
    const std::string before = "[Set]\r\nResolution=0\r\n";
    WriteFileBytes(path, before);
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    // Under Wine run by the superuser the attribute is only advice.
    HANDLE probe = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe != INVALID_HANDLE_VALUE) {
        CloseHandle(probe);
        GTEST_SKIP() << "read-only files can be written here";
    }
    FillWinSample();
    SettingsRecord record = Settings;
    EXPECT_EQ(0, SaveSettingsToFile(path.c_str()));
    EXPECT_EQ(before, ReadFileBytes(path));
    EXPECT_EQ(0, std::memcmp(&record, &Settings, sizeof record));
}

// Another program holds the file open without sharing it.
TEST_F(SettingsFileTest, LockedFileIsLeftAsItWas) {
    std::string path = PathOf("Locked.ini");
    const std::string before = "[Set]\r\nResolution=0\r\n";
    WriteFileBytes(path, before);
    HANDLE lock = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);
    FillWinSample();
    SettingsRecord record = Settings;
    EXPECT_EQ(0, SaveSettingsToFile(path.c_str()));
    // Reading meets the same lock: the defaults, as for a missing file.
    LoadSettingsFromFile(path.c_str());
    EXPECT_EQ(1, Settings.Resolution);
    CloseHandle(lock);
    EXPECT_EQ(before, ReadFileBytes(path));
    Settings = record;
}

TEST_F(SettingsFileTest, FolderThatCannotBeWrittenStoresNothing) {
    std::string missingFolder = folder_ + "no-such-folder\\";
    std::string path = missingFolder + "Glimmerax.ini";
    FillWinSample();
    EXPECT_EQ(0, SaveSettingsToFile(path.c_str()));
    EXPECT_FALSE(Exists(path));
    EXPECT_FALSE(Exists(missingFolder));
    LoadSettingsFromFile(path.c_str());
    EXPECT_EQ(1, Settings.Resolution);
    EXPECT_EQ(30, Settings.Fps);
}

// A store between the save and the file's copy that refuses one write.
struct RefusingStore : ProfileStore {
    ProfileStore* copy = nullptr;
    int refused = -1;
    int seen = 0;
    unsigned long ReadString(const char* section, const char* key, char* buffer,
                             unsigned long size) override {
        return copy->ReadString(section, key, buffer, size);
    }
    bool WriteString(const char* section, const char* key, const char* value) override {
        if (seen++ == refused) return false;
        return copy->WriteString(section, key, value);
    }
};
RefusingStore refusingStore;
ProfileStore* InterposeRefusing(ProfileStore& copy) {
    refusingStore.copy = &copy;
    refusingStore.seen = 0;
    return &refusingStore;
}

const char kUserFile[] =
    "; the user's own notes\r\n"
    "[Set]\r\nResolution=0\r\nFps=20\r\n"
    "[Mine]\r\nKept=yes\r\n"
    "[Monitors]\r\nOtherMonitors=0\r\n";

// A save that fails at any one of its writes leaves the file byte for byte
// and no copy beside it; a save that succeeds keeps what the user added.
TEST_F(SettingsFileTest, SaveReplacesTheWholeFileOrNothing) {
    std::string path = PathOf("Glimmerax.ini");
    std::string copy = PathOf("Glimmerax.ini.tmp");
    FillWinSample();
    Settings.OtherMonitors = 0;  // as the user's file has it
    for (int refused = 0; refused < 52; ++refused) {
        WriteFileBytes(path, kUserFile);
        refusingStore.refused = refused;
        EXPECT_EQ(0, SaveSettingsToFile(path.c_str(), InterposeRefusing)) << "write " << refused;
        EXPECT_EQ(kUserFile, ReadFileBytes(path)) << "write " << refused;
        EXPECT_FALSE(Exists(copy)) << "write " << refused;
    }
    EXPECT_EQ(52, refusingStore.seen);

    refusingStore.refused = -1;
    EXPECT_EQ(1, SaveSettingsToFile(path.c_str(), InterposeRefusing));
    EXPECT_FALSE(Exists(copy));
    std::string saved = ReadFileBytes(path);
    EXPECT_EQ(0u, saved.find("; the user's own notes\r\n[Set]\r\nResolution=3\r\nFps=15\r\n"));
    EXPECT_NE(std::string::npos, saved.find("[Mine]\r\nKept=yes\r\n"));
    EXPECT_NE(std::string::npos, saved.find("[Monitors]\r\nOtherMonitors=0\r\n"));
    SettingsRecord record = Settings;
    LoadSettingsFromFile(path.c_str());
    EXPECT_EQ(0, std::memcmp(&record, &Settings, sizeof record));

    // A copy left behind by a save that never finished is no obstacle.
    WriteFileBytes(copy, "half a fi");
    EXPECT_EQ(1, SaveSettingsToFile(path.c_str()));
    EXPECT_EQ(saved, ReadFileBytes(path));
    EXPECT_FALSE(Exists(copy));
}

// Blanks and quotes at the ends of a text survive the profile functions.
TEST_F(SettingsFileTest, TextsComeBackAsTyped) {
    const std::string longest = " " + std::string(1021, 'x') + " ";
    const char* const texts[] = {"  hello  ", "\"quoted\"", "'single'", "\tTab\t", "end ",
                                 " start", "\"open", "close'", "'", "\"", " ", longest.c_str()};
    const char* const mids[] = {" first\r\nlast ", "\"first\r\nmiddle\r\nlast'",
                                "\tfirst\r\nlast", "first\r\nlast\t"};
    std::string path = PathOf("Texts.ini");
    for (size_t i = 0; i < sizeof texts / sizeof *texts; ++i) {
        FillWinSample();
        CopyTextBounded(Settings.TopText, sizeof Settings.TopText, texts[i]);
        CopyTextBounded(Settings.BottomText, sizeof Settings.BottomText,
                        texts[(i + 1) % (sizeof texts / sizeof *texts)]);
        CopyTextBounded(Settings.MidText, sizeof Settings.MidText, mids[i % (sizeof mids / sizeof *mids)]);
        SettingsRecord saved = Settings;
        ASSERT_EQ(1, SaveSettingsToFile(path.c_str()));
        std::memset(&Settings, 0x5A, sizeof Settings);
        LoadSettingsFromFile(path.c_str());
        EXPECT_EQ(std::string(saved.TopText), Settings.TopText);
        EXPECT_EQ(std::string(saved.BottomText), Settings.BottomText);
        EXPECT_EQ(std::string(saved.MidText), Settings.MidText);
        EXPECT_EQ(0, std::memcmp(&saved, &Settings, sizeof saved)) << i;
    }
}

// LoadSettings reads the file beside the running executable; whatever is
// there (or nothing), it gives what that path gives.
TEST_F(SettingsFileTest, LoadSettingsReadsTheFileBesideTheExecutable) {
    char module[MAX_PATH];
    DWORD copied = GetModuleFileNameA(nullptr, module, sizeof module);
    ASSERT_GT(copied, 0u);
    ASSERT_LT(copied, sizeof module);
    std::string path(module, copied);
    path = path.substr(0, path.rfind('\\') + 1) + "Glimmerax.ini";

    LoadSettingsFromFile(path.c_str());
    SettingsRecord expected = Settings;
    std::memset(&Settings, 0x5A, sizeof Settings);
    LoadSettings();
    EXPECT_EQ(0, std::memcmp(&expected, &Settings, sizeof expected));
}

}  // namespace
