// DLLs come from the system folder only, whatever lies beside the program.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "framework/SystemDlls_win.h"

namespace {

std::wstring ModulePath(HMODULE module) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(module, path, MAX_PATH);
    return path;
}

std::wstring SystemFolder() {
    wchar_t path[MAX_PATH] = {};
    GetSystemDirectoryW(path, MAX_PATH);
    return path;
}

TEST(SystemDlls, LoadsFromTheSystemFolderAndNowhereElse) {
    // Wine reports a built-in DLL at its place in the system folder, as
    // Windows does a real one.
    for (const wchar_t* name : {L"ddraw.dll", L"winmm.dll"}) {
        HMODULE module = LoadSystemDll(name);
        ASSERT_NE(module, nullptr) << static_cast<const void*>(name);
        std::wstring path = ModulePath(module);
        EXPECT_EQ(CompareStringOrdinal(path.c_str(), static_cast<int>(SystemFolder().size()),
                                       SystemFolder().c_str(), -1, TRUE),
                  CSTR_EQUAL);
    }
    EXPECT_NE(SystemProc(L"ddraw.dll", "DirectDrawCreateEx"), nullptr);
    EXPECT_NE(SystemProc(L"winmm.dll", "timeGetTime"), nullptr);
    EXPECT_EQ(SystemProc(L"winmm.dll", "NoSuchExport"), nullptr);

    // A DLL that exists only beside the program is not found.
    std::wstring beside = ModulePath(nullptr);
    beside = beside.substr(0, beside.find_last_of(L'\\') + 1) + L"glimmerax_beside.dll";
    ASSERT_TRUE(CopyFileW((SystemFolder() + L"\\ddraw.dll").c_str(), beside.c_str(), FALSE));
    EXPECT_EQ(LoadSystemDll(L"glimmerax_beside.dll"), nullptr);
    DeleteFileW(beside.c_str());

    EXPECT_EQ(LoadSystemDll(nullptr), nullptr);
    EXPECT_EQ(LoadSystemDll(L""), nullptr);
}

}  // namespace
