// The process entry point: hands over to the framework.
#include "framework/Afx_win.h"
#include "framework/SystemDlls_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand) {
    // Before any window or dialog makes Windows load a DLL of its own
    // (uxtheme, comdlg32's helpers): none may come from the saver's folder.
    RestrictDllSearchToSystem();
    return AfxWinMain(instance, previous, commandLine, showCommand);
}
