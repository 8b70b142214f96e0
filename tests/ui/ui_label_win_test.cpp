// The label control on a real static: its font, its link set-up, the
// messages it answers itself, hover capture and the shell opening.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/framework/DialogTemplate_win.h"
#include "ui/LinkLabel_win.h"

namespace {

std::vector<std::string> opened;
void RecordOpen(const char* target) { opened.push_back(target); }

const int kLink = 200, kPreview = 201;

class LabelDialog : public ScriptedDialog<LabelDialog> {
public:
    LabelDialog() : ScriptedDialog(0u) {
        builder.Control(kLink, L"Static", SS_LEFT | SS_NOTIFY | WS_GROUP, 10, 10, 100, 12, L"Static");
        builder.Control(kPreview, L"Static", SS_CENTER | WS_GROUP, 10, 40, 40, 30, L"Static");
        InitModalIndirect(builder.Get());
    }
    void DoDataExchange(CDataExchange* dx) override {
        DDX_Control(dx, kLink, link);
        DDX_Control(dx, kPreview, preview);
    }

    DialogTemplateBuilder builder{WS_POPUP | WS_CAPTION | WS_VISIBLE | DS_MODALFRAME, 160, 90, L"Labels"};
    CLinkLabel link;
    CLinkLabel preview;
};

void RunLabels(std::function<void(LabelDialog&)> action) {
    LabelDialog dialog;
    bool ran = false;
    dialog.action = [&](LabelDialog& d) {
        ran = true;
        action(d);
    };
    ASSERT_EQ(IDOK, dialog.DoModal());
    EXPECT_TRUE(ran);
}

TEST(LinkLabel, StartsAsAnEmptyCentredBlackLabel) {
    CLinkLabel label;
    EXPECT_EQ(0u, label.m_textColor);
    EXPECT_TRUE(label.m_text.IsEmpty());
    EXPECT_EQ(nullptr, label.m_font.GetSafeHandle());
    EXPECT_TRUE(label.m_mouseOutside);
    EXPECT_EQ(static_cast<UINT>(DT_CENTER), label.m_drawFlags);
}

TEST(LinkLabel, ASecondFontReplacesTheFirst) {
    RunLabels([](LabelDialog& d) {
        LOGFONTA font = {};
        font.lfHeight = -40;
        lstrcpyA(font.lfFaceName, "Arial");
        d.preview.SetLabelFont(font);
        HFONT first = d.preview.m_font.GetSafeHandle();
        ASSERT_NE(nullptr, first);
        font.lfHeight = -12;
        d.preview.SetLabelFont(font);
        HFONT second = d.preview.m_font.GetSafeHandle();
        ASSERT_NE(nullptr, second);
        EXPECT_EQ(0u, ::GetObjectType(first)) << "the first font is deleted";
        EXPECT_EQ(static_cast<DWORD>(OBJ_FONT), ::GetObjectType(second));
    });
}

TEST(LinkLabel, SetLinkDropsTheGroupAndNoNotifyStylesOnly) {
    RunLabels([](LabelDialog& d) {
        d.link.ModifyStyleEx(0, WS_EX_NOPARENTNOTIFY | WS_EX_TRANSPARENT);
        LONG style = ::GetWindowLongA(d.link.m_hWnd, GWL_STYLE);
        d.link.SetLink(0xFF0000, nullptr, "http://www.example.com/");
        LONG after = ::GetWindowLongA(d.link.m_hWnd, GWL_STYLE);
        LONG exAfter = ::GetWindowLongA(d.link.m_hWnd, GWL_EXSTYLE);
        EXPECT_EQ(style & ~WS_GROUP, after);
        EXPECT_EQ(0, exAfter & WS_EX_NOPARENTNOTIFY);
        EXPECT_NE(0, exAfter & WS_EX_TRANSPARENT) << "nothing else changes";
        EXPECT_EQ(0xFF0000u, d.link.m_textColor);
        EXPECT_EQ(std::string("http://www.example.com/"), static_cast<const char*>(d.link.m_linkTarget));
    });
}

TEST(LinkLabel, PaintsItsOwnTextNeverTheTemplateText) {
    RunLabels([](LabelDialog& d) {
        d.preview.SetLabelTextColor(RGB(255, 0, 0));
        d.preview.SetDrawFlags(DT_SINGLELINE | DT_VCENTER | DT_CENTER);
        LOGFONTA font = {};
        font.lfHeight = -24;
        font.lfWeight = FW_BOLD;
        lstrcpyA(font.lfFaceName, "Arial");
        d.preview.SetLabelFont(font);
        d.preview.SetLabelText("W");
        d.preview.UpdateWindow();
        RECT rect;
        d.preview.GetClientRect(&rect);
        HDC dc = ::GetDC(d.preview.m_hWnd);
        int red = 0, redLeft = 0;
        for (int y = rect.top; y < rect.bottom; ++y) {
            for (int x = rect.left; x < rect.right; ++x) {
                COLORREF pixel = ::GetPixel(dc, x, y);
                if (GetRValue(pixel) > 200 && GetGValue(pixel) < 80 && GetBValue(pixel) < 80) {
                    ++red;
                    if (x < (rect.right - rect.left) / 4) ++redLeft;
                }
            }
        }
        ::ReleaseDC(d.preview.m_hWnd, dc);
        EXPECT_GT(red, 20) << "the letter is drawn in the label's colour";
        EXPECT_EQ(0, redLeft) << "and centred, not at the left edge";

        // An empty text shows nothing: no red, and no template text in the
        // default black either.
        d.preview.SetLabelText("");
        d.Invalidate(TRUE);
        d.UpdateWindow();
        dc = ::GetDC(d.preview.m_hWnd);
        int dark = 0;
        for (int y = rect.top; y < rect.bottom; ++y)
            for (int x = rect.left; x < rect.right; ++x)
                if (GetRValue(::GetPixel(dc, x, y)) < 128) ++dark;
        ::ReleaseDC(d.preview.m_hWnd, dc);
        EXPECT_EQ(0, dark);
    });
}

TEST(LinkLabel, AnswersCursorEraseAndClickItself) {
    opened.clear();
    SetShellOpenFunc(RecordOpen);
    RunLabels([](LabelDialog& d) {
        HCURSOR hand = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32649));  // IDC_HAND
        d.link.SetLink(0xFF0000, hand, "mailto:me@example.com");
        EXPECT_EQ(TRUE, d.link.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(d.link.m_hWnd),
                                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
        EXPECT_EQ(hand, ::GetCursor());
        EXPECT_EQ(TRUE, d.link.SendMessage(WM_ERASEBKGND, 0, 0));
        EXPECT_TRUE(opened.empty());
        d.link.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
        ASSERT_EQ(1u, opened.size());
        EXPECT_EQ("mailto:me@example.com", opened[0]);
    });
    SetShellOpenFunc(nullptr);
}

TEST(LinkLabel, HoldsTheCaptureExactlyWhileThePointerIsOverIt) {
    RunLabels([](LabelDialog& d) {
        RECT rect;
        d.link.GetWindowRect(&rect);
        ::SetCursorPos(rect.left + 3, rect.top + 3);
        d.link.SendMessage(WM_MOUSEMOVE, 0, 0);
        EXPECT_EQ(d.link.m_hWnd, ::GetCapture());
        EXPECT_FALSE(d.link.m_mouseOutside);
        ::SetCursorPos(rect.left + 5, rect.top + 4);
        d.link.SendMessage(WM_MOUSEMOVE, 0, 0);
        EXPECT_EQ(d.link.m_hWnd, ::GetCapture()) << "moving within keeps it";
        ::SetCursorPos(rect.right + 40, rect.bottom + 40);
        d.link.SendMessage(WM_MOUSEMOVE, 0, 0);
        EXPECT_EQ(nullptr, ::GetCapture());
        EXPECT_TRUE(d.link.m_mouseOutside);
    });
}

}  // namespace
