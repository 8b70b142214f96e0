// What a Windows user meets before the saver ever runs, read from the
// Glimmerax.scr built beside these tests: its name in the screen-saver list,
// the version information the file's properties show, and the manifest as
// the loader reads it.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "res/Resource.h"
#include "res/Version.h"

namespace {

std::wstring Wide(const char* utf8) {
    wchar_t text[256] = {};
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, text, 256);
    return text;
}

std::wstring SaverPath() {
    wchar_t path[MAX_PATH] = {};
    std::wstring self(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
    return self.substr(0, self.rfind(L'\\') + 1) + L"Glimmerax.scr";
}

class SaverResources : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryExW(SaverPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(nullptr, module_) << "Glimmerax.scr is built beside the tests";
    }
    void TearDown() override {
        if (module_ != nullptr) FreeLibrary(module_);
    }
    HMODULE module_ = nullptr;
};

TEST_F(SaverResources, StringOneNamesTheSaverBesideTheAboutItem) {
    const struct {
        UINT id;
        const char* text;
    } cases[] = {{IDS_SAVER_NAME, GLIMMERAX_SAVER_NAME}, {IDS_ABOUTBOX, "关于 Glimmerax(&A)..."}};
    for (const auto& c : cases) {
        wchar_t text[64] = {};
        int length = LoadStringW(module_, c.id, text, 64);
        EXPECT_EQ(Wide(c.text), text) << "string " << c.id;
        // The screen-saver list shows 24 characters at the most.
        if (c.id == IDS_SAVER_NAME) {
            EXPECT_LE(length, 24);
        }
    }
}

TEST(SaverVersion, TheVersionResourceHoldsTheProjectVersionInBothLanguages) {
    std::wstring path = SaverPath();
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, info.data()));
    auto query = [&](const wchar_t* key, UINT* length) {
        void* value = nullptr;
        *length = 0;
        return VerQueryValueW(info.data(), key, &value, length) ? value : nullptr;
    };

    int major = -1, minor = -1, patch = -1;
    ASSERT_EQ(3, std::sscanf(GLIMMERAX_VERSION, "%d.%d.%d", &major, &minor, &patch));
    UINT length = 0;
    auto* fixed = static_cast<VS_FIXEDFILEINFO*>(query(L"\\", &length));
    ASSERT_NE(nullptr, fixed);
    EXPECT_EQ(0xFEEF04BDu, fixed->dwSignature);
    EXPECT_EQ(static_cast<DWORD>(MAKELONG(minor, major)), fixed->dwFileVersionMS);
    EXPECT_EQ(static_cast<DWORD>(MAKELONG(0, patch)), fixed->dwFileVersionLS);
    EXPECT_EQ(fixed->dwFileVersionMS, fixed->dwProductVersionMS);
    EXPECT_EQ(fixed->dwFileVersionLS, fixed->dwProductVersionLS);
    EXPECT_EQ(static_cast<DWORD>(VFT_APP), fixed->dwFileType);

    // Chinese (PRC) in code page 936 first, then English in Unicode.
    auto* languages = static_cast<WORD*>(query(L"\\VarFileInfo\\Translation", &length));
    ASSERT_NE(nullptr, languages);
    ASSERT_EQ(8u, length);
    EXPECT_EQ(0x0804, languages[0]);
    EXPECT_EQ(936, languages[1]);
    EXPECT_EQ(0x0409, languages[2]);
    EXPECT_EQ(1200, languages[3]);

    const struct {
        const wchar_t* key;
        const char* text;
    } strings[] = {
        {L"080403a8\\FileVersion", GLIMMERAX_VERSION},
        {L"080403a8\\ProductVersion", GLIMMERAX_VERSION},
        {L"080403a8\\FileDescription", GLIMMERAX_DESCRIPTION_ZH},
        {L"080403a8\\ProductName", GLIMMERAX_SAVER_NAME},
        {L"080403a8\\OriginalFilename", "Glimmerax.scr"},
        {L"080403a8\\LegalCopyright", GLIMMERAX_COPYRIGHT_ZH},
        {L"040904b0\\FileVersion", GLIMMERAX_VERSION},
        {L"040904b0\\FileDescription", GLIMMERAX_DESCRIPTION_EN},
        {L"040904b0\\OriginalFilename", "Glimmerax.scr"},
        {L"040904b0\\LegalCopyright", GLIMMERAX_COPYRIGHT_EN},
    };
    for (const auto& s : strings) {
        std::wstring key = std::wstring(L"\\StringFileInfo\\") + s.key;
        auto* text = static_cast<const wchar_t*>(query(key.c_str(), &length));
        ASSERT_NE(nullptr, text) << "no " << s.text;
        EXPECT_EQ(Wide(s.text), text) << s.text;
    }
}

TEST_F(SaverResources, TheManifestIsSystemDpiAwareWithNoExecutionLevelNorSupportedOS) {
    HRSRC found = FindResourceW(module_, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(nullptr, found);
    std::string manifest(static_cast<const char*>(LockResource(LoadResource(module_, found))),
                         SizeofResource(module_, found));
    EXPECT_NE(std::string::npos, manifest.find("version=\"" GLIMMERAX_VERSION ".0\""));
    // A program that declares Windows 7 or later loses DirectDraw's old
    // behaviour, and from Windows 8 on its 16-bit display modes.
    for (const char* declared : {"<supportedOS", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
                                 "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
                                 "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}) {
        EXPECT_EQ(std::string::npos, manifest.find(declared)) << declared;
    }
    // Without an execution level Windows virtualises the writes of a copy in
    // a system folder, so its INI file can still be saved.
    EXPECT_EQ(std::string::npos, manifest.find("requestedExecutionLevel"));
    EXPECT_EQ(std::string::npos, manifest.find("trustInfo"));

    // The loader takes the manifest as it is: an activation context made from
    // it gives the DPI settings back.
    std::wstring path = SaverPath();
    ACTCTXW request = {};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = path.c_str();
    request.lpResourceName = MAKEINTRESOURCEW(1);
    HANDLE context = CreateActCtxW(&request);
    ASSERT_NE(INVALID_HANDLE_VALUE, context) << "error " << GetLastError();
    const struct {
        const wchar_t* space;
        const wchar_t* name;
        const wchar_t* value;
    } settings[] = {
        {L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware", L"true"},
        {L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness", L"system"},
    };
    for (const auto& s : settings) {
        wchar_t value[64] = {};
        SIZE_T written = 0;
        EXPECT_TRUE(QueryActCtxSettingsW(0, context, s.space, s.name, value, 64, &written))
            << "no setting " << testing::PrintToString(std::wstring(s.name));
        EXPECT_EQ(std::wstring(s.value), value);
    }
    ReleaseActCtx(context);
}

}  // namespace
