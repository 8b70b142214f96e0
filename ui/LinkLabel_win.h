// The label control: a static that paints its own text in its own font and
// colour, and, as a link, shows a hand cursor and opens its target.
#pragma once

#include "framework/Afx_win.h"

class CLinkLabel : public CStatic {
public:
    CLinkLabel();
    ~CLinkLabel() override;

    // Takes text and repaints the label.
    void SetLabelText(const char* text);
    // Replaces the label's font with one made from logFont; no repaint. When
    // the font cannot be made the label draws in the default font.
    void SetLabelFont(LOGFONTA logFont);
    void SetLabelTextColor(COLORREF color);
    // DrawText format flags.
    void SetDrawFlags(UINT flags);
    // Makes the label a link: its colour, the cursor over it, and what a
    // click opens through the shell.
    void SetLink(COLORREF linkColor, HCURSOR cursor, const CString& target);

    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    COLORREF m_textColor;
    CString m_text;
    CFont m_font;
    HCURSOR m_hLinkCursor;
    CString m_linkTarget;
    BOOL m_mouseOutside;
    UINT m_drawFlags;

protected:
    void OnPaint();
    void OnMouseMove();
    void OnLButtonUp();
    void OnSetCursor();
};

// Opens a web page or mailto: address through the shell, maximised; what
// fails is ignored. Replaceable so tests can record instead of opening.
typedef void (*ShellOpenFunc)(const char* target);
void SetShellOpenFunc(ShellOpenFunc func);  // null: the shell again
void ShellOpen(const char* target);
