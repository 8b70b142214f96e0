// Start-up: the settings, then one of the three modes.
#include "app/SaverApp_win.h"

#include "app/Switch.h"
#include "engine/Random.h"
#include "runmode/Saver_win.h"
#include "settings/Settings.h"
#include "ui/SettingsDlg_win.h"

const char* FirstArgument() {
    if (__argc < 2 || __argv == nullptr) return nullptr;
    return __argv[1];
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

// The host's preview window is not drawn on; the process idles in the
// message loop until the host ends it.
int CRocketSaverApp::Preview() { return 1; }

int CRocketSaverApp::RunSaver() { return ::RunSaver(); }
