// Start-up: the settings, then one of the three modes.
#include "app/SaverApp_win.h"

#include "app/Preview_win.h"
#include "app/Switch.h"
#include "engine/Random.h"
#include "runmode/Saver_win.h"
#include "settings/Settings.h"
#include "ui/SettingsDlg_win.h"

const char* FirstArgument() {
    if (__argc < 2 || __argv == nullptr) return nullptr;
    return __argv[1];
}

const char* SecondArgument() {
    if (__argc < 3 || __argv == nullptr) return nullptr;
    return __argv[2];
}

CSSApp::CSSApp() : CWinApp(nullptr) {
    // The C runtime's generator for anything that asks it, and the engine's
    // own generator, which every draw of the fireworks goes through.
    SeedRandomFromTime();
}

BOOL CSSApp::InitInstance() {
    SetRegistryKey("Zantic Screen Savers");
    const char* arg = FirstArgument();
    if (arg != nullptr && MatchSwitch(arg, "c")) {
        Configure();
        return FALSE;
    }
    if (arg != nullptr && MatchSwitch(arg, "p")) return Preview();
    if (arg != nullptr && MatchSwitch(arg, "s")) return RunSaver();
    RunSaver();
    return FALSE;
}

// Never called: the application object's overrides replace them.
int CSSApp::Configure() { return 0; }
int CSSApp::Preview() { return 1; }
int CSSApp::RunSaver() { return 0; }

BOOL CRocketSaverApp::InitInstance() {
    AfxEnableControlContainer();
    Enable3dControls();
    LoadSettings();
    return CSSApp::InitInstance();
}

// The settings dialog, as the main window while it is open. Whichever
// button closed it, configure mode then ends.
int CRocketSaverApp::Configure() {
    CSettingsDlg dialog;
    m_pMainWnd = &dialog;
    dialog.DoModal();
    m_pMainWnd = nullptr;
    return 0;
}

// Nothing of the fireworks is drawn in the host's preview window. When the
// host names a window, an empty child goes into it, and preview ends with
// that child: the settings close it when they are done with the preview.
// Without a window the process idles in the message loop until it is ended.
int CRocketSaverApp::Preview() {
    unsigned long handle = SwitchWindowHandle(FirstArgument(), SecondArgument());
    HWND parent = reinterpret_cast<HWND>(static_cast<UINT_PTR>(handle));
    if (handle == 0 || !IsWindow(parent)) return 1;
    // A preview the host could never stop would outlive it: end at once.
    return CreatePreviewWindow(parent, AfxGetInstanceHandle()) != nullptr ? 1 : 0;
}

int CRocketSaverApp::RunSaver() { return ::RunSaver(); }
