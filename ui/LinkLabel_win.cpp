// The label control's painting, hover tracking and shell opening.
#include "ui/LinkLabel_win.h"

#include <cstring>

#include "framework/Guards_win.h"
#include "framework/SystemDlls_win.h"

namespace {

// The shell comes from the system folder's shell32.dll, loaded at the first
// click: imported, it would be loaded at start, and with it the theme
// library, looked for beside the saver first. Without it a link does nothing.
using ShellExecuteFn = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);

void OpenThroughShell(const char* target) {
    auto shellExecute = SystemFunction<ShellExecuteFn>(L"shell32.dll", "ShellExecuteA");
    if (shellExecute != nullptr) shellExecute(nullptr, nullptr, target, nullptr, nullptr, SW_SHOWMAXIMIZED);
}

ShellOpenFunc shellOpenFunc = OpenThroughShell;

}  // namespace

void SetShellOpenFunc(ShellOpenFunc func) { shellOpenFunc = func != nullptr ? func : OpenThroughShell; }

void ShellOpen(const char* target) { shellOpenFunc(target); }

CLinkLabel::CLinkLabel()
    : m_textColor(0), m_hLinkCursor(nullptr), m_mouseOutside(TRUE), m_drawFlags(DT_CENTER) {}

CLinkLabel::~CLinkLabel() {}

void CLinkLabel::SetLabelText(const char* text) {
    m_text = text;
    InvalidateRect(nullptr, TRUE);
}

void CLinkLabel::SetLabelFont(LOGFONTA logFont) {
    m_font.DeleteObject();
    m_font.CreateFontIndirect(&logFont);
}

void CLinkLabel::SetLabelTextColor(COLORREF color) { m_textColor = color; }

void CLinkLabel::SetDrawFlags(UINT flags) { m_drawFlags = flags; }

void CLinkLabel::SetLink(COLORREF linkColor, HCURSOR cursor, const CString& target) {
    // A static of a template starts a group; a link must not, and the
    // dialog should hear of its clicks.
    ModifyStyle(WS_GROUP, 0);
    ModifyStyleEx(WS_EX_NOPARENTNOTIFY, 0);
    m_textColor = linkColor;
    m_hLinkCursor = cursor;
    m_linkTarget = target;
}

BOOL CLinkLabel::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    switch (message) {
        case WM_PAINT:
            OnPaint();
            *result = 0;
            return TRUE;
        case WM_ERASEBKGND:
            // The label lies on whatever the dialog painted behind it.
            *result = TRUE;
            return TRUE;
        case WM_MOUSEMOVE:
            OnMouseMove();
            *result = 0;
            return TRUE;
        case WM_LBUTTONUP:
            OnLButtonUp();
            *result = 0;
            return TRUE;
        case WM_SETCURSOR:
            OnSetCursor();
            *result = TRUE;
            return TRUE;
        default:
            return CStatic::OnWndMsg(message, wParam, lParam, result);
    }
}

void CLinkLabel::OnPaint() {
    CPaintDC dc(this);
    RECT client;
    GetClientRect(&client);
    // The label's font, when it has one, for the length of the painting.
    SelectedObject font(dc.m_hDC, m_font.GetSafeHandle());
    ::SetTextColor(dc.m_hDC, m_textColor);
    ::SetBkMode(dc.m_hDC, TRANSPARENT);
    ::DrawTextA(dc.m_hDC, m_text, m_text.GetLength(), &client, m_drawFlags);
}

void CLinkLabel::OnMouseMove() {
    POINT pointer;
    RECT rect;
    ::GetCursorPos(&pointer);
    GetWindowRect(&rect);
    if (::PtInRect(&rect, pointer)) {
        // Hold the capture while over the label, so the move that leaves it
        // still comes here.
        ::SetCapture(m_hWnd);
        if (m_mouseOutside) {
            InvalidateRect(nullptr, TRUE);
            UpdateWindow();
        }
        m_mouseOutside = FALSE;
    } else {
        ::ReleaseCapture();
        if (m_mouseOutside != TRUE) {
            InvalidateRect(nullptr, TRUE);
            UpdateWindow();
        }
        m_mouseOutside = TRUE;
    }
}

void CLinkLabel::OnLButtonUp() { ShellOpen(m_linkTarget); }

void CLinkLabel::OnSetCursor() { ::SetCursor(m_hLinkCursor); }
