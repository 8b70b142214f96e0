// The application object's life: registration as the one app, InitInstance,
// the message loop.
#include "framework/Afx_win.h"

#include <cstring>

namespace {
CWinApp* theOneApp = nullptr;
std::string registryKey;
}  // namespace

CWinApp::CWinApp(const char* appName)
    : m_pszAppName(appName),
      m_pszRegistryKey(nullptr),
      m_hInstance(nullptr),
      m_lpCmdLine(nullptr),
      m_nCmdShow(SW_SHOWNORMAL),
      m_pMainWnd(nullptr),
      m_exitCode(0) {
    theOneApp = this;
}

CWinApp::~CWinApp() {
    if (theOneApp == this) theOneApp = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::Run() {
    MSG msg;
    BOOL got;
    while ((got = GetMessageA(&msg, nullptr, 0, 0)) != 0) {
        if (got == -1) break;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    m_exitCode = got == 0 ? static_cast<int>(msg.wParam) : 0;
    return ExitInstance();
}

int CWinApp::ExitInstance() { return m_exitCode; }

void CWinApp::SetRegistryKey(const char* companyName) {
    registryKey = companyName != nullptr ? companyName : "";
    m_pszRegistryKey = registryKey.c_str();
}

BOOL CWinApp::Enable3dControls() { return TRUE; }

CWinApp* AfxGetApp() { return theOneApp; }

CWnd* AfxGetMainWnd() { return theOneApp != nullptr ? theOneApp->m_pMainWnd : nullptr; }

HINSTANCE AfxGetInstanceHandle() {
    return theOneApp != nullptr && theOneApp->m_hInstance != nullptr ? theOneApp->m_hInstance
                                                                      : GetModuleHandleA(nullptr);
}

void AfxEnableControlContainer() {}

int AfxWinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
    CWinApp* app = AfxGetApp();
    if (app == nullptr) return -1;
    app->m_hInstance = instance;
    app->m_lpCmdLine = commandLine;
    app->m_nCmdShow = showCommand;
    if (!app->InitInstance()) return app->ExitInstance();
    return app->Run();
}
