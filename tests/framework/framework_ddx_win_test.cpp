// The framework's dialogs and data exchange: loading fills the controls and
// sets the edit limits; saving stops at the first invalid field with one
// message, the focus and a whole-text selection on it, later members kept.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/Afx_win.h"
#include "tests/framework/DialogTemplate_win.h"

namespace {

std::vector<std::wstring> ddxShownMessages;

int RecordDdxMessage(HWND, const wchar_t* text) {
    ddxShownMessages.push_back(text);
    return IDOK;
}

const int kFirst = 100, kText = 101, kCheck = 102, kSecond = 103;

// A dialog of four fields; its test action runs once the dialog shows.
class ExchangeDialog : public ScriptedDialog<ExchangeDialog> {
public:
    ExchangeDialog() : ScriptedDialog(0u) {
        builder.Control(kFirst, L"Edit", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 5, 5, 60, 14);
        builder.Control(kText, L"Edit", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 5, 25, 60, 14);
        builder.Control(kCheck, L"Button", BS_AUTOCHECKBOX | WS_TABSTOP, 5, 45, 60, 10, L"check");
        builder.Control(kSecond, L"Edit", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 5, 60, 60, 14);
        InitModalIndirect(builder.Get());
    }

    void DoDataExchange(CDataExchange* dx) override {
        DDX_Text(dx, kFirst, first);
        DDV_MinMaxUInt(dx, first, 100, 1000);
        DDX_Text(dx, kText, text);
        DDV_MaxChars(dx, text, 10);
        DDX_Check(dx, kCheck, check);
        DDX_Text(dx, kSecond, second);
        DDV_MinMaxUInt(dx, second, 15, 100);
    }

    HWND Item(int id) const { return ::GetDlgItem(m_hWnd, id); }
    void Type(int id, const char* value) const { ::SetDlgItemTextA(m_hWnd, id, value); }
    std::string TextOf(int id) const {
        char buffer[64] = {};
        ::GetDlgItemTextA(m_hWnd, id, buffer, sizeof buffer);
        return buffer;
    }

    DialogTemplateBuilder builder{WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_MODALFRAME, 120, 90,
                                  L"Exchange"};
    UINT first = 300;
    CString text = "members";
    BOOL check = TRUE;
    UINT second = 30;
};

class DataExchangeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ddxShownMessages.clear();
        AfxSetMessageBoxFunc(RecordDdxMessage);
    }
    void TearDown() override { AfxSetMessageBoxFunc(nullptr); }

    // Runs the dialog with action; fails the test when it could not open.
    void Run(ExchangeDialog& dialog, std::function<void(ExchangeDialog&)> action) {
        bool ran = false;
        dialog.action = [&](ExchangeDialog& d) {
            ran = true;
            action(d);
        };
        EXPECT_EQ(IDOK, dialog.DoModal());
        EXPECT_TRUE(ran);
        EXPECT_EQ(nullptr, dialog.m_hWnd) << "the object is detached when its window goes";
    }
};

TEST_F(DataExchangeTest, LoadingFillsTheControlsAndSetsTheTextLimit) {
    ExchangeDialog dialog;
    Run(dialog, [](ExchangeDialog& d) {
        EXPECT_EQ("300", d.TextOf(kFirst));
        EXPECT_EQ("members", d.TextOf(kText));
        EXPECT_EQ(BST_CHECKED, ::SendMessageA(d.Item(kCheck), BM_GETCHECK, 0, 0));
        EXPECT_EQ("30", d.TextOf(kSecond));
        EXPECT_EQ(10, ::SendMessageA(d.Item(kText), EM_GETLIMITTEXT, 0, 0));
        // The number edits have no limit of their own.
        EXPECT_NE(10, ::SendMessageA(d.Item(kFirst), EM_GETLIMITTEXT, 0, 0));
    });
    EXPECT_TRUE(ddxShownMessages.empty()) << "loading checks no range";
}

struct DdxNumberCase {
    int id;
    const char* typed;
    bool accepted;
    UINT stored;  // when accepted
    const wchar_t* message;  // a part of the message when refused
};

// Every case in one dialog: opening and closing a window is the slow part
// under Wine.
TEST_F(DataExchangeTest, NumbersAreCheckedAgainstTheirRanges) {
    const DdxNumberCase cases[] = {
        {kFirst, "99", false, 99, L"100 和 1000"},     {kFirst, "100", true, 100, nullptr},
        {kFirst, "1000", true, 1000, nullptr},         {kFirst, "1001", false, 1001, L"100 和 1000"},
        {kFirst, " 250 ", true, 250, nullptr},         {kFirst, "", false, 300, L"整数"},
        {kFirst, "12x", false, 300, L"整数"},          {kFirst, "-5", false, 300, L"整数"},
        {kFirst, "4294967296", false, 300, L"整数"},   {kFirst, "4294967295", false, 4294967295u, L"100 和 1000"},
        {kSecond, "14", false, 14, L"15 和 100"},      {kSecond, "15", true, 15, nullptr},
        {kSecond, "100", true, 100, nullptr},          {kSecond, "101", false, 101, L"15 和 100"},
        {kSecond, "abc", false, 30, L"整数"},
    };
    ExchangeDialog dialog;
    Run(dialog, [&](ExchangeDialog& d) {
        for (const DdxNumberCase& c : cases) {
            SCOPED_TRACE(std::string(c.id == kFirst ? "first " : "second ") + c.typed);
            ddxShownMessages.clear();
            d.first = 300;
            d.text = "members";
            d.check = TRUE;
            d.second = 30;
            d.UpdateData(FALSE);
            d.Type(kText, "typed");
            ::SendMessageA(d.Item(kCheck), BM_SETCHECK, BST_UNCHECKED, 0);
            d.Type(c.id, c.typed);
            ::SetFocus(d.Item(kCheck));
            BOOL saved = d.UpdateData(TRUE);
            HWND control = d.Item(c.id);
            DWORD selStart = 1, selEnd = 0;
            ::SendMessageA(control, EM_GETSEL, reinterpret_cast<WPARAM>(&selStart),
                           reinterpret_cast<LPARAM>(&selEnd));
            UINT member = c.id == kFirst ? d.first : d.second;
            // A number that parses is stored before its range is checked;
            // one that does not leaves the member as it was.
            EXPECT_EQ(c.stored, member);
            if (c.accepted) {
                EXPECT_TRUE(saved);
                EXPECT_TRUE(ddxShownMessages.empty());
                continue;
            }
            EXPECT_FALSE(saved);
            ASSERT_EQ(1u, ddxShownMessages.size()) << "one message, not one per field";
            EXPECT_NE(std::wstring::npos, ddxShownMessages[0].find(c.message));
            EXPECT_EQ(control, ::GetFocus());
            EXPECT_EQ(0u, selStart);
            EXPECT_EQ(std::string(c.typed).size(), selEnd) << "the whole text is selected";
            if (c.id == kFirst) {
                // The fields after the failure keep their values.
                EXPECT_EQ(std::string("members"), static_cast<const char*>(d.text));
                EXPECT_TRUE(d.check);
                EXPECT_EQ(30u, d.second);
            } else {
                // The fields before it were saved.
                EXPECT_EQ(std::string("typed"), static_cast<const char*>(d.text));
                EXPECT_FALSE(d.check);
            }
        }
    });
}

TEST_F(DataExchangeTest, ATextLongerThanItsLimitInBytesIsRefused) {
    struct TextCase {
        const char* typed;
        bool accepted;
    };
    const TextCase cases[] = {
        {"0123456789", true},
        {"0123456789a", false},
        {"01234567\xba\xba", true},    // 8 bytes and one double-byte character: 10 bytes
        {"012345678\xba\xba", false},  // 11 bytes though only 10 characters
    };
    ExchangeDialog dialog;
    Run(dialog, [&](ExchangeDialog& d) {
        for (const TextCase& c : cases) {
            SCOPED_TRACE(c.typed);
            ddxShownMessages.clear();
            d.text = "members";
            d.second = 30;
            d.UpdateData(FALSE);
            d.Type(kSecond, "50");
            d.Type(kText, c.typed);
            ::SetFocus(d.Item(kCheck));
            BOOL saved = d.UpdateData(TRUE);
            if (c.accepted) {
                EXPECT_TRUE(saved);
                EXPECT_EQ(std::string(c.typed), static_cast<const char*>(d.text));
                EXPECT_EQ(50u, d.second);
            } else {
                EXPECT_FALSE(saved);
                ASSERT_EQ(1u, ddxShownMessages.size());
                EXPECT_NE(std::wstring::npos, ddxShownMessages[0].find(L"10"));
                EXPECT_EQ(d.Item(kText), ::GetFocus());
                EXPECT_EQ(30u, d.second) << "the field after the failure is kept";
            }
        }
    });
}

TEST_F(DataExchangeTest, OkEndsOnlyWhenTheFieldsAreValid) {
    ExchangeDialog dialog;
    BOOL stillOpen = FALSE;
    Run(dialog, [&](ExchangeDialog& d) {
        d.Type(kFirst, "5");
        ::SendMessageA(d.m_hWnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        stillOpen = ::IsWindow(d.m_hWnd) && ::IsWindowEnabled(d.m_hWnd);
    });
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(1u, ddxShownMessages.size());

    ExchangeDialog valid;
    valid.action = [](ExchangeDialog& d) {
        d.Type(kFirst, "500");
        d.endedByAction = true;
        ::SendMessageA(d.m_hWnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    };
    EXPECT_EQ(IDOK, valid.DoModal());
    EXPECT_EQ(500u, valid.first);
}

TEST_F(DataExchangeTest, CancelAndCloseEndWithoutSaving) {
    for (int how = 0; how < 2; ++how) {
        ExchangeDialog dialog;
        dialog.action = [how](ExchangeDialog& d) {
            d.Type(kFirst, "700");
            d.endedByAction = true;
            if (how == 0)
                ::SendMessageA(d.m_hWnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            else
                ::SendMessageA(d.m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        };
        EXPECT_EQ(IDCANCEL, dialog.DoModal()) << (how == 0 ? "Cancel" : "Close");
        EXPECT_EQ(300u, dialog.first);
    }
}

TEST(ParseUnsigned, DigitsWithBlanksOnly) {
    struct Case {
        const char* text;
        int ok;
        UINT value;
    };
    const Case cases[] = {
        {"0", 1, 0},      {"42", 1, 42},          {"\t7 ", 1, 7},       {"4294967295", 1, 4294967295u},
        {"", 0, 0},       {" ", 0, 0},            {"+1", 0, 0},         {"-1", 0, 0},
        {"1 2", 0, 0},    {"4294967296", 0, 0},   {"99999999999999999999", 0, 0}, {"0x10", 0, 0},
    };
    for (const Case& c : cases) {
        UINT value = 12345;
        EXPECT_EQ(c.ok, ParseUnsigned(c.text, &value)) << c.text;
        EXPECT_EQ(c.ok ? c.value : 12345u, value) << c.text;
    }
}

}  // namespace
