// The application framework: the least of an MFC-style class library that
// the screen saver needs, written over raw Win32. No exceptions.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// A byte string in the ANSI code page.
class CString {
public:
    CString() {}
    CString(const char* text) : m_text(text != nullptr ? text : "") {}
    CString(const CString& other) = default;
    CString& operator=(const CString& other) = default;
    CString& operator=(const char* text) {
        m_text = text != nullptr ? text : "";
        return *this;
    }
    operator const char*() const { return m_text.c_str(); }
    int GetLength() const { return static_cast<int>(m_text.size()); }
    bool IsEmpty() const { return m_text.empty(); }
    void Empty() { m_text.clear(); }
    bool operator==(const char* text) const { return m_text == (text != nullptr ? text : ""); }

private:
    std::string m_text;
};

// A growable array of strings.
class CStringArray {
public:
    int GetSize() const { return static_cast<int>(m_items.size()); }
    const CString& GetAt(int index) const { return m_items[static_cast<size_t>(index)]; }
    const CString& operator[](int index) const { return GetAt(index); }
    // Stores text at index, growing the array with empty strings as needed.
    void SetAtGrow(int index, const char* text) {
        if (index < 0) return;
        if (static_cast<size_t>(index) >= m_items.size()) m_items.resize(static_cast<size_t>(index) + 1);
        m_items[static_cast<size_t>(index)] = text;
    }
    int Add(const char* text) {
        SetAtGrow(GetSize(), text);
        return GetSize() - 1;
    }
    void RemoveAll() { m_items.clear(); }

private:
    std::vector<CString> m_items;
};

// A window owned by the framework's classes.
class CWnd {
public:
    CWnd() : m_hWnd(nullptr) {}
    virtual ~CWnd() {}
    HWND GetSafeHwnd() const { return m_hWnd; }

    HWND m_hWnd;
};

// The application: one global object derived from this class is built before
// WinMain runs; the framework then calls InitInstance. FALSE ends the
// process at once, TRUE runs the message loop until WM_QUIT.
class CWinApp {
public:
    explicit CWinApp(const char* appName = nullptr);
    virtual ~CWinApp();

    virtual BOOL InitInstance();
    virtual int Run();
    virtual int ExitInstance();

    // The registry key under which an application would keep its profile.
    void SetRegistryKey(const char* companyName);
    // Kept for the dialogs' look; common controls draw in 3-D already.
    BOOL Enable3dControls();

    const char* m_pszAppName;
    const char* m_pszRegistryKey;
    HINSTANCE m_hInstance;
    LPSTR m_lpCmdLine;
    int m_nCmdShow;
    CWnd* m_pMainWnd;

protected:
    int m_exitCode;
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();
// Allows dialogs to host ActiveX controls; nothing needs setting up here.
void AfxEnableControlContainer();
// The framework's entry: called by WinMain with its arguments.
int AfxWinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);
