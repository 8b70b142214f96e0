// The application framework: the least of an MFC-style class library that
// the screen saver needs, written over raw Win32. No exceptions.
#pragma once

#include <windows.h>
#include <commdlg.h>

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
    CString& operator+=(const char* text) {
        m_text += text != nullptr ? text : "";
        return *this;
    }
    operator const char*() const { return m_text.c_str(); }
    const char* GetString() const { return m_text.c_str(); }
    // Length in bytes, so a double-byte character counts twice.
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

// A GDI font owned by the object: deleted with it or by DeleteObject.
class CFont {
public:
    CFont() : m_hObject(nullptr) {}
    ~CFont() { DeleteObject(); }
    CFont(const CFont&) = delete;
    CFont& operator=(const CFont&) = delete;
    // 1 when the font was made; 0 leaves the object without a font.
    BOOL CreateFontIndirect(const LOGFONTA* logFont);
    BOOL DeleteObject();
    HFONT GetSafeHandle() const { return m_hObject; }

    HFONT m_hObject;
};

// A window seen through the framework. A CWnd either wraps a window it was
// attached to by subclassing (SubclassWindow, SubclassDlgItem) or one its
// dialog made; its messages then go to OnWndMsg, the class's message map.
class CWnd {
public:
    CWnd();
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND GetSafeHwnd() const { return m_hWnd; }

    // Routes window's messages through this object's message map. Returns 0
    // when the object is already attached or the window is not there.
    BOOL SubclassWindow(HWND window);
    BOOL SubclassDlgItem(int id, CWnd* parent);
    // Gives the window back its own procedure.
    HWND UnsubclassWindow();

    // The message map: handles message and returns TRUE with *result set, or
    // returns FALSE for default processing. Derived classes handle theirs and
    // pass the rest to their base.
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // Default processing of the message being handled now.
    LRESULT Default();

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
    void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, erase); }
    void InvalidateRect(const RECT* rect, BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, rect, erase); }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    void GetClientRect(RECT* rect) const { ::GetClientRect(m_hWnd, rect); }
    void GetWindowRect(RECT* rect) const { ::GetWindowRect(m_hWnd, rect); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(m_hWnd, enable); }
    HMENU GetSystemMenu(BOOL revert) const { return ::GetSystemMenu(m_hWnd, revert); }
    HICON SetIcon(HICON icon, BOOL big) {
        return reinterpret_cast<HICON>(SendMessage(WM_SETICON, big ? ICON_BIG : ICON_SMALL,
                                                   reinterpret_cast<LPARAM>(icon)));
    }
    // Removes and then adds style bits; returns 0 when nothing changed.
    BOOL ModifyStyle(DWORD remove, DWORD add);
    BOOL ModifyStyleEx(DWORD remove, DWORD add);
    // Centres the window over alternate (null: its owner, or the screen's
    // work area when it has none), kept inside the work area.
    void CenterWindow(CWnd* alternate = nullptr);

    HWND m_hWnd;

protected:
    // Called with the last message a window gets; detaches the object.
    virtual void PostNcDestroy() {}

private:
    static LRESULT CALLBACK WindowProcThunk(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    WNDPROC m_oldProc;
    // The message being handled, for Default().
    UINT m_msg;
    WPARAM m_wParam;
    LPARAM m_lParam;
};

// A static control; the base of the labels.
class CStatic : public CWnd {};

// A combo box of the dialog.
class CComboBox : public CWnd {
public:
    int AddString(const char* text) {
        return static_cast<int>(SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
    }
    int SetCurSel(int index) { return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(index))); }
    int GetCurSel() { return static_cast<int>(SendMessage(CB_GETCURSEL)); }
    int GetCount() { return static_cast<int>(SendMessage(CB_GETCOUNT)); }
};

// Begins painting in the constructor and ends it in the destructor.
class CPaintDC {
public:
    explicit CPaintDC(CWnd* window) : m_window(window->m_hWnd) { m_hDC = ::BeginPaint(m_window, &m_ps); }
    ~CPaintDC() { ::EndPaint(m_window, &m_ps); }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;

    HDC m_hDC;
    PAINTSTRUCT m_ps;

private:
    HWND m_window;
};

class CDataExchange;

// A modal dialog from a dialog template of the executable's resources.
class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    // A dialog from a template in memory instead (kept alive by the caller
    // while the dialog runs).
    void InitModalIndirect(const DLGTEMPLATE* dialogTemplate) { m_lpDialogTemplate = dialogTemplate; }

    // Runs the dialog until EndDialog; returns the value given to it, or -1
    // when the dialog could not be made.
    virtual INT_PTR DoModal();
    // Loads the controls from the members and centres the dialog. Returns
    // TRUE: the focus goes to the first tab stop.
    virtual BOOL OnInitDialog();
    // Saves the controls and, when they are valid, ends with IDOK.
    virtual void OnOK();
    virtual void OnCancel();
    // save FALSE loads the controls from the members; TRUE saves them into
    // the members, stopping at the first invalid field. Returns FALSE then.
    BOOL UpdateData(BOOL save = TRUE);
    void EndDialog(int result);
    // Moves the members to and from the controls with DDX_ and DDV_ calls.
    virtual void DoDataExchange(CDataExchange* dx);

    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    UINT m_nIDTemplate;
    const DLGTEMPLATE* m_lpDialogTemplate;
    CWnd* m_pParentWnd;

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

// One run of a dialog's data exchange. Once a field fails, every later DDX
// and DDV call of the run does nothing.
class CDataExchange {
public:
    CDataExchange(CDialog* dialog, BOOL saveAndValidate)
        : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog), m_hWndLastControl(nullptr),
          m_bEditLastControl(FALSE), m_bFailed(FALSE) {}
    // The control of id, remembered as the one later DDV calls check.
    HWND PrepareCtrl(int id);
    HWND PrepareEditCtrl(int id);
    // Shows message, puts the focus on the last control (its text selected)
    // and stops the exchange.
    void Fail(const wchar_t* message);

    BOOL m_bSaveAndValidate;
    CDialog* m_pDlgWnd;
    HWND m_hWndLastControl;
    BOOL m_bEditLastControl;
    BOOL m_bFailed;
};

void DDX_Control(CDataExchange* dx, int id, CWnd& control);
void DDX_Text(CDataExchange* dx, int id, UINT& value);
void DDX_Text(CDataExchange* dx, int id, CString& value);
void DDX_Check(CDataExchange* dx, int id, BOOL& value);
void DDV_MinMaxUInt(CDataExchange* dx, UINT value, UINT minValue, UINT maxValue);
// Loading sets the edit's limit to maxChars; saving refuses a text longer
// than maxChars bytes.
void DDV_MaxChars(CDataExchange* dx, const CString& value, int maxChars);

// Parses an unsigned decimal number with optional surrounding blanks.
// Returns 1 with *value set, or 0 for anything else (no digits, a sign,
// other characters, more than 32 bits).
int ParseUnsigned(const char* text, UINT* value);

// How the framework shows a message to the user (a message box owned by
// owner); replaceable so tests can record messages instead of blocking on
// them. Passing null restores the message box.
typedef int (*AfxMessageBoxFunc)(HWND owner, const wchar_t* text);
void AfxSetMessageBoxFunc(AfxMessageBoxFunc func);
int AfxMessageBox(HWND owner, const wchar_t* text);

// The font picker over ChooseFontA.
class CFontDialog {
public:
    // initial (may be null) becomes the dialog's starting font.
    CFontDialog(const LOGFONTA* initial = nullptr, DWORD flags = CF_EFFECTS | CF_SCREENFONTS,
                HDC printer = nullptr, CWnd* parent = nullptr);
    virtual ~CFontDialog() {}
    INT_PTR DoModal();
    void GetCurrentFont(LOGFONTA* logFont) const { *logFont = m_lf; }

    CHOOSEFONTA m_cf;
    LOGFONTA m_lf;
    CWnd* m_pParentWnd;
};

// The colour picker over ChooseColorA.
class CColorDialog {
public:
    CColorDialog(COLORREF initial = 0, DWORD flags = 0, CWnd* parent = nullptr);
    virtual ~CColorDialog() {}
    INT_PTR DoModal();
    COLORREF GetColor() const { return m_cc.rgbResult; }

    CHOOSECOLORA m_cc;
    CWnd* m_pParentWnd;
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
// The application's main window, or null.
CWnd* AfxGetMainWnd();
HINSTANCE AfxGetInstanceHandle();
// Allows dialogs to host ActiveX controls; nothing needs setting up here.
void AfxEnableControlContainer();
// The framework's entry: called by WinMain with its arguments.
int AfxWinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);
