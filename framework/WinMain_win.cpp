// The process entry point: hands over to the framework.
#include "framework/Afx_win.h"
#include "framework/SystemDlls_win.h"

namespace {

// Before everything else the program runs, global objects' constructors
// included: no later load, the program's or one the system makes for it,
// may come from the saver's folder.
__attribute__((constructor(101))) void LimitDllSearchFirst() { RestrictDllSearchToSystem(); }

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand) {
    return AfxWinMain(instance, previous, commandLine, showCommand);
}
