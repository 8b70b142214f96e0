// Windows seen through the framework: subclassing, the message-map dispatch,
// default processing, and the small window helpers.
#include "framework/Afx_win.h"

namespace {
// The window property that leads from a window to its CWnd.
const char kWndProperty[] = "Glimmerax.CWnd";

// Removes and adds bits of the window long at index (the style or the
// extended style); FALSE when that changes nothing.
BOOL ModifyWindowBits(HWND window, int index, DWORD remove, DWORD add) {
    DWORD style = static_cast<DWORD>(::GetWindowLongA(window, index));
    DWORD changed = (style & ~remove) | add;
    if (changed == style) return FALSE;
    ::SetWindowLongA(window, index, static_cast<LONG>(changed));
    return TRUE;
}

}  // namespace

CWnd::CWnd() : m_hWnd(nullptr), m_oldProc(nullptr), m_msg(0), m_wParam(0), m_lParam(0) {}

CWnd::~CWnd() {
    // A window that outlives its object must not call into freed memory.
    if (m_hWnd != nullptr) UnsubclassWindow();
}

BOOL CWnd::SubclassWindow(HWND window) {
    if (m_hWnd != nullptr || window == nullptr || !::IsWindow(window)) return FALSE;
    if (::GetPropA(window, kWndProperty) != nullptr) return FALSE;
    ::SetPropA(window, kWndProperty, this);
    m_hWnd = window;
    m_oldProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::WindowProcThunk)));
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(int id, CWnd* parent) {
    if (parent == nullptr) return FALSE;
    return SubclassWindow(::GetDlgItem(parent->m_hWnd, id));
}

HWND CWnd::UnsubclassWindow() {
    HWND window = m_hWnd;
    if (window == nullptr) return nullptr;
    if (m_oldProc != nullptr) ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_oldProc));
    ::RemovePropA(window, kWndProperty);
    m_hWnd = nullptr;
    m_oldProc = nullptr;
    return window;
}

BOOL CWnd::OnWndMsg(UINT, WPARAM, LPARAM, LRESULT*) { return FALSE; }

LRESULT CWnd::Default() {
    if (m_oldProc == nullptr) return ::DefWindowProcA(m_hWnd, m_msg, m_wParam, m_lParam);
    return ::CallWindowProcA(m_oldProc, m_hWnd, m_msg, m_wParam, m_lParam);
}

LRESULT CALLBACK CWnd::WindowProcThunk(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* self = static_cast<CWnd*>(::GetPropA(window, kWndProperty));
    if (self == nullptr) return ::DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        // The window's last message: give it back its own procedure first,
        // so the object can go away with the dialog.
        WNDPROC old = self->m_oldProc;
        self->UnsubclassWindow();
        LRESULT result = old != nullptr ? ::CallWindowProcA(old, window, message, wParam, lParam)
                                        : ::DefWindowProcA(window, message, wParam, lParam);
        self->PostNcDestroy();
        return result;
    }
    // Handlers may send messages to the same window; keep the outer one.
    UINT savedMsg = self->m_msg;
    WPARAM savedWParam = self->m_wParam;
    LPARAM savedLParam = self->m_lParam;
    self->m_msg = message;
    self->m_wParam = wParam;
    self->m_lParam = lParam;
    LRESULT result = 0;
    if (!self->OnWndMsg(message, wParam, lParam, &result)) result = self->Default();
    self->m_msg = savedMsg;
    self->m_wParam = savedWParam;
    self->m_lParam = savedLParam;
    return result;
}

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add) {
    return ModifyWindowBits(m_hWnd, GWL_STYLE, remove, add);
}

BOOL CWnd::ModifyStyleEx(DWORD remove, DWORD add) {
    return ModifyWindowBits(m_hWnd, GWL_EXSTYLE, remove, add);
}

void CWnd::CenterWindow(CWnd* alternate) {
    RECT area;
    if (!::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0)) {
        area.left = 0;
        area.top = 0;
        area.right = ::GetSystemMetrics(SM_CXSCREEN);
        area.bottom = ::GetSystemMetrics(SM_CYSCREEN);
    }
    HWND over = alternate != nullptr ? alternate->m_hWnd : ::GetWindow(m_hWnd, GW_OWNER);
    RECT centre = area;
    // A hidden or minimised owner gives no place to centre on.
    if (over != nullptr && ::IsWindowVisible(over) && !::IsIconic(over)) ::GetWindowRect(over, &centre);
    RECT rect;
    ::GetWindowRect(m_hWnd, &rect);
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    int left = (centre.left + centre.right) / 2 - width / 2;
    int top = (centre.top + centre.bottom) / 2 - height / 2;
    // Keep the whole dialog, and above all its caption, on the screen.
    if (left + width > area.right) left = area.right - width;
    if (left < area.left) left = area.left;
    if (top + height > area.bottom) top = area.bottom - height;
    if (top < area.top) top = area.top;
    ::SetWindowPos(m_hWnd, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CFont::CreateFontIndirect(const LOGFONTA* logFont) {
    DeleteObject();
    if (logFont != nullptr) m_hObject = ::CreateFontIndirectA(logFont);
    return m_hObject != nullptr;
}

BOOL CFont::DeleteObject() {
    if (m_hObject == nullptr) return FALSE;
    ::DeleteObject(m_hObject);
    m_hObject = nullptr;
    return TRUE;
}
