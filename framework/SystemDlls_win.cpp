// Loading DLLs from the system folder only.
#include "framework/SystemDlls_win.h"

#include <cwchar>

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

namespace {

using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);

// kernel32 is a known DLL, mapped before the program starts: asking for its
// handle loads nothing.
FARPROC Kernel32Proc(const char* name) {
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    return kernel != nullptr ? GetProcAddress(kernel, name) : nullptr;
}

bool searchFlagsKnown = false;

// Loaded later by the system's own libraries, by bare name, for the dialogs'
// themed drawing, through a search that the limits above do not reach
// everywhere (Wine makes it from the program's folder whatever they say).
// Loaded here from the system folder first, the name is already taken when
// it is asked for, and no search happens.
const wchar_t* const kTakenEarly[] = {L"msimg32.dll"};

}  // namespace

int RestrictDllSearchToSystem() {
    int limited = 0;
    auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void (*)()>(Kernel32Proc("SetDefaultDllDirectories")));
    if (setDefault != nullptr && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        searchFlagsKnown = true;
        limited = 1;
    } else {
        // Without it the program's folder is still searched first for the
        // system's own loads; LoadSystemDll never searches at all.
        SetDllDirectoryW(L"");
    }
    for (const wchar_t* name : kTakenEarly) LoadSystemDll(name);
    return limited;
}

HMODULE LoadSystemDll(const wchar_t* name) {
    if (name == nullptr || *name == L'\0') return nullptr;
    // Windows 7 without KB2533623 rejects the flag (ERROR_INVALID_PARAMETER)
    // rather than ignoring it.
    HMODULE module = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module != nullptr) return module;
    if (searchFlagsKnown && GetLastError() != ERROR_INVALID_PARAMETER) return nullptr;

    wchar_t path[MAX_PATH];
    UINT length = GetSystemDirectoryW(path, MAX_PATH);
    size_t nameLength = std::wcslen(name);
    if (length == 0 || length + 1 + nameLength >= MAX_PATH) return nullptr;
    path[length] = L'\\';
    std::wmemcpy(path + length + 1, name, nameLength + 1);
    // A full path is loaded from there alone; its own dependencies then
    // follow the search order restricted at start-up.
    return LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

FARPROC SystemProc(const wchar_t* dll, const char* name) {
    HMODULE module = LoadSystemDll(dll);
    return module != nullptr ? GetProcAddress(module, name) : nullptr;
}
