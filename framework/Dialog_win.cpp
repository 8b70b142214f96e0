// Modal dialogs from templates and their data exchange: the DDX/DDV calls
// that move members to and from controls and refuse invalid input.
#include "framework/Afx_win.h"

#include <cwchar>

#include "framework/SystemDlls_win.h"

namespace {

int ShowMessageBox(HWND owner, const wchar_t* text) {
    return ::MessageBoxW(owner, text, L"Glimmerax", MB_OK | MB_ICONEXCLAMATION);
}

AfxMessageBoxFunc messageBoxFunc = ShowMessageBox;

}  // namespace

void AfxSetMessageBoxFunc(AfxMessageBoxFunc func) { messageBoxFunc = func != nullptr ? func : ShowMessageBox; }

int AfxMessageBox(HWND owner, const wchar_t* text) { return messageBoxFunc(owner, text); }

CDialog::CDialog(UINT templateId, CWnd* parent)
    : m_nIDTemplate(templateId), m_lpDialogTemplate(nullptr), m_pParentWnd(parent) {}

INT_PTR CDialog::DoModal() {
    // With no parent given the dialog belongs to the main window, unless it
    // is the main window itself.
    HWND owner = nullptr;
    if (m_pParentWnd != nullptr) {
        owner = m_pParentWnd->m_hWnd;
    } else {
        CWnd* main = AfxGetMainWnd();
        if (main != nullptr && main != this) owner = main->m_hWnd;
    }
    LPARAM self = reinterpret_cast<LPARAM>(this);
    if (m_lpDialogTemplate != nullptr)
        return ::DialogBoxIndirectParamA(AfxGetInstanceHandle(), m_lpDialogTemplate, owner, DialogProc, self);
    return ::DialogBoxParamA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(m_nIDTemplate), owner, DialogProc, self);
}

// The dialog manager calls this for every message of the dialog; once the
// dialog is subclassed at WM_INITDIALOG, its messages reach the message map
// first and only default processing comes back here, to do nothing.
INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM, LPARAM lParam) {
    if (message != WM_INITDIALOG) return FALSE;
    CDialog* dialog = reinterpret_cast<CDialog*>(lParam);
    if (dialog == nullptr || !dialog->SubclassWindow(window)) return TRUE;
    return dialog->OnInitDialog();
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    CenterWindow();
    return TRUE;
}

BOOL CDialog::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        // Also what Return, Escape and the system menu's Close send.
        if (LOWORD(wParam) == IDOK) {
            OnOK();
            *result = 0;
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            OnCancel();
            *result = 0;
            return TRUE;
        }
    }
    return CWnd::OnWndMsg(message, wParam, lParam, result);
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::EndDialog(int result) { ::EndDialog(m_hWnd, result); }

BOOL CDialog::UpdateData(BOOL save) {
    CDataExchange dx(this, save);
    DoDataExchange(&dx);
    return !dx.m_bFailed;
}

void CDialog::DoDataExchange(CDataExchange*) {}

HWND CDataExchange::PrepareCtrl(int id) {
    m_hWndLastControl = ::GetDlgItem(m_pDlgWnd->m_hWnd, id);
    m_bEditLastControl = FALSE;
    return m_hWndLastControl;
}

HWND CDataExchange::PrepareEditCtrl(int id) {
    HWND control = PrepareCtrl(id);
    m_bEditLastControl = TRUE;
    return control;
}

void CDataExchange::Fail(const wchar_t* message) {
    m_bFailed = TRUE;
    AfxMessageBox(m_pDlgWnd->m_hWnd, message);
    if (m_hWndLastControl != nullptr) {
        ::SetFocus(m_hWndLastControl);
        if (m_bEditLastControl) ::SendMessageA(m_hWndLastControl, EM_SETSEL, 0, -1);
    }
}

int ParseUnsigned(const char* text, UINT* value) {
    if (text == nullptr) return 0;
    const char* p = text;
    while (*p == ' ' || *p == '\t') ++p;
    if (*p < '0' || *p > '9') return 0;
    unsigned long long number = 0;
    while (*p >= '0' && *p <= '9') {
        number = number * 10 + static_cast<unsigned>(*p - '0');
        if (number > 0xFFFFFFFFull) return 0;
        ++p;
    }
    while (*p == ' ' || *p == '\t') ++p;
    if (*p != '\0') return 0;
    *value = static_cast<UINT>(number);
    return 1;
}

namespace {

// The control's whole text as ANSI bytes.
CString WindowText(HWND control) {
    int length = ::GetWindowTextLengthA(control);
    if (length <= 0) return CString();
    std::string buffer(static_cast<size_t>(length) + 1, '\0');
    int copied = ::GetWindowTextA(control, &buffer[0], length + 1);
    buffer.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return CString(buffer.c_str());
}

}  // namespace

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
    if (dx->m_bFailed || control.m_hWnd != nullptr) return;
    control.SubclassWindow(dx->PrepareCtrl(id));
}

void DDX_Text(CDataExchange* dx, int id, UINT& value) {
    if (dx->m_bFailed) return;
    HWND control = dx->PrepareEditCtrl(id);
    if (!dx->m_bSaveAndValidate) {
        char text[16];
        wsprintfA(text, "%u", value);
        ::SetWindowTextA(control, text);
        return;
    }
    UINT number = 0;
    if (!ParseUnsigned(WindowText(control), &number)) {
        dx->Fail(L"请输入一个整数。");
        return;
    }
    value = number;
}

void DDX_Text(CDataExchange* dx, int id, CString& value) {
    if (dx->m_bFailed) return;
    HWND control = dx->PrepareEditCtrl(id);
    if (dx->m_bSaveAndValidate)
        value = WindowText(control);
    else
        ::SetWindowTextA(control, value);
}

void DDX_Check(CDataExchange* dx, int id, BOOL& value) {
    if (dx->m_bFailed) return;
    HWND control = dx->PrepareCtrl(id);
    if (dx->m_bSaveAndValidate)
        value = ::SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
    else
        ::SendMessageA(control, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
}

void DDV_MinMaxUInt(CDataExchange* dx, UINT value, UINT minValue, UINT maxValue) {
    if (dx->m_bFailed || !dx->m_bSaveAndValidate) return;
    if (value >= minValue && value <= maxValue) return;
    wchar_t message[128];
    std::swprintf(message, sizeof message / sizeof message[0], L"请输入一个介于 %u 和 %u 之间的整数。",
                  minValue, maxValue);
    dx->Fail(message);
}

void DDV_MaxChars(CDataExchange* dx, const CString& value, int maxChars) {
    if (dx->m_bFailed) return;
    if (!dx->m_bSaveAndValidate) {
        if (dx->m_hWndLastControl != nullptr)
            ::SendMessageA(dx->m_hWndLastControl, EM_LIMITTEXT, static_cast<WPARAM>(maxChars), 0);
        return;
    }
    // The edit limits characters, the fields hold bytes: a Chinese character
    // takes two, so a full edit can still be too long for its field.
    if (value.GetLength() <= maxChars) return;
    wchar_t message[128];
    std::swprintf(message, sizeof message / sizeof message[0],
                  L"这里最多只能输入 %d 个字节（一个汉字占两个字节）。", maxChars);
    dx->Fail(message);
}

CFontDialog::CFontDialog(const LOGFONTA* initial, DWORD flags, HDC printer, CWnd* parent)
    : m_pParentWnd(parent) {
    ZeroMemory(&m_cf, sizeof m_cf);
    ZeroMemory(&m_lf, sizeof m_lf);
    m_cf.lStructSize = sizeof m_cf;
    m_cf.lpLogFont = &m_lf;
    m_cf.Flags = flags;
    m_cf.hDC = printer;
    if (initial != nullptr) {
        m_lf = *initial;
        m_cf.Flags |= CF_INITTOLOGFONTSTRUCT;
    }
}

namespace {
// The pickers come from the system folder's comdlg32.dll, loaded when first
// asked for: imported, it would be loaded at start, and with it the
// common controls, looked for beside the saver first. A picker that cannot
// be had is a picker the user cancelled.
HWND OwnerOf(CWnd* parent) {
    if (parent != nullptr) return parent->m_hWnd;
    CWnd* main = AfxGetMainWnd();
    return main != nullptr ? main->m_hWnd : nullptr;
}
}  // namespace

INT_PTR CFontDialog::DoModal() {
    m_cf.hwndOwner = OwnerOf(m_pParentWnd);
    auto chooseFont = SystemFunction<BOOL(WINAPI*)(CHOOSEFONTA*)>(L"comdlg32.dll", "ChooseFontA");
    return chooseFont != nullptr && chooseFont(&m_cf) ? IDOK : IDCANCEL;
}

CColorDialog::CColorDialog(COLORREF initial, DWORD flags, CWnd* parent) : m_pParentWnd(parent) {
    // The sixteen custom colours live as long as the process, as the
    // picker's users expect them to stay between two openings.
    static COLORREF customColours[16];
    ZeroMemory(&m_cc, sizeof m_cc);
    m_cc.lStructSize = sizeof m_cc;
    m_cc.rgbResult = initial;
    m_cc.lpCustColors = customColours;
    m_cc.Flags = flags;
    if (initial != 0) m_cc.Flags |= CC_RGBINIT;
}

INT_PTR CColorDialog::DoModal() {
    m_cc.hwndOwner = OwnerOf(m_pParentWnd);
    auto chooseColor = SystemFunction<BOOL(WINAPI*)(CHOOSECOLORA*)>(L"comdlg32.dll", "ChooseColorA");
    return chooseColor != nullptr && chooseColor(&m_cc) ? IDOK : IDCANCEL;
}
