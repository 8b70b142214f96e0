// DLLs from the system folder only. The saver usually sits where it was
// unpacked (the Downloads folder), where anything can be dropped beside it;
// Windows would look there first for every DLL that is not one of its known
// DLLs, so the process never lets a DLL come from its own folder.
#pragma once

#include <windows.h>

// Limits the search of every later load, the system's own included, to the
// system folder:
// SetDefaultDllDirectories where Windows has it (Windows 8, or 7 with
// KB2533623), else SetDllDirectoryW(L""), which at least takes the current
// folder out of the order; and loads the DLLs the system's libraries ask for
// by bare name later (msimg32) from the system folder at once. Call it first
// thing, before anything uses the display.
// Returns 1 when the search is limited to the system folder, 0 when only
// the fallback could be applied.
int RestrictDllSearchToSystem();

// Loads a DLL by file name from the system folder and nowhere else
// (LoadLibraryExW with LOAD_LIBRARY_SEARCH_SYSTEM32, or the full path under
// GetSystemDirectoryW where that flag is unknown). Null when it is not
// there or will not load. The module stays loaded for the process.
HMODULE LoadSystemDll(const wchar_t* name);

// The address of an export of a system DLL (loaded as above), or null.
FARPROC SystemProc(const wchar_t* dll, const char* name);

// SystemProc as a pointer of the export's own type, Fn.
template <typename Fn>
Fn SystemFunction(const wchar_t* dll, const char* name) {
    // Through void (*)(), the one function type any other converts from
    // without a warning.
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(SystemProc(dll, name)));
}
