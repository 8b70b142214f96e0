// A DLL planted beside the saver under the name of a system DLL: when any
// program loads it, it appends "PROGRAM DLL" to the file named by
// GLIMMERAX_PLANT_LOG, and then declines to load, so the program goes on
// with the system's own DLL where it can.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    char logPath[MAX_PATH] = {};
    if (GetEnvironmentVariableA("GLIMMERAX_PLANT_LOG", logPath, MAX_PATH) == 0) return FALSE;
    char program[MAX_PATH] = {};
    char dll[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, program, MAX_PATH);
    GetModuleFileNameA(self, dll, MAX_PATH);
    char line[2 * MAX_PATH + 4];
    int length = wsprintfA(line, "%s %s\r\n", program, dll);
    HANDLE log = CreateFileA(logPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(log, line, static_cast<DWORD>(length), &written, nullptr);
        CloseHandle(log);
    }
    return FALSE;
}
