// The settings dialog from the screen saver's own resources: the edit limits
// and the texts OK copies into their fixed-size fields, which must never be
// written past, whatever the edits hold.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "framework/Afx_win.h"
#include "res/Resource.h"
#include "settings/Settings.h"
#include "tests/framework/DialogTemplate_win.h"
#include "ui/SettingsDlg_win.h"

namespace {

std::vector<std::wstring> shownMessages;
int RecordMessage(HWND, const wchar_t* text) {
    shownMessages.push_back(text);
    return IDOK;
}

std::string Folder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path);
    return folder.substr(0, folder.rfind('\\') + 1);
}

// An application whose resources are those of Glimmerax.scr, built beside
// this test.
class ResourceApp : public CWinApp {};

// The settings dialog, cancelled after the test's action unless that closed
// it.
class TestSettingsDlg : public ScriptedDialog<TestSettingsDlg, CSettingsDlg> {
public:
    TestSettingsDlg() { closeWith = IDCANCEL; }
    void SetText(int id, const std::string& text) { ::SetDlgItemTextA(m_hWnd, id, text.c_str()); }
    void PressOk() { ::SendMessageA(m_hWnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); }
};

class SettingsDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryExA((Folder() + "Glimmerax.scr").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        if (module_ == nullptr) GTEST_SKIP() << "Glimmerax.scr is not built beside the tests";
        app_.m_hInstance = module_;
        shownMessages.clear();
        AfxSetMessageBoxFunc(RecordMessage);
        LoadDefaultSettings();
        std::strcpy(Settings.TopText, "top");
        Settings.FpsShow = 1;
    }
    void TearDown() override {
        AfxSetMessageBoxFunc(nullptr);
        // OK saved beside the executable, that is beside this test.
        DeleteFileA((Folder() + "Glimmerax.ini").c_str());
        if (module_ != nullptr) FreeLibrary(module_);
    }
    void Run(std::function<void(TestSettingsDlg&)> action) {
        TestSettingsDlg dialog;
        dialog.action = action;
        app_.m_pMainWnd = &dialog;
        EXPECT_NE(-1, dialog.DoModal());
        app_.m_pMainWnd = nullptr;
    }

    ResourceApp app_;
    HMODULE module_ = nullptr;
};

TEST_F(SettingsDialogTest, EditsTakeOneByteLessThanTheirFields) {
    Run([](TestSettingsDlg& d) {
        auto limit = [&](int id) { return ::SendDlgItemMessageA(d.m_hWnd, id, EM_GETLIMITTEXT, 0, 0); };
        EXPECT_EQ(1023, limit(IDC_TOP_TEXT));
        EXPECT_EQ(1023, limit(IDC_BOTTOM_TEXT));
        EXPECT_EQ(2047, limit(IDC_MID_TEXT));
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(d.m_hWnd, IDC_TOP_TEXT)));
        char text[16] = {};
        ::GetDlgItemTextA(d.m_hWnd, IDC_TOP_TEXT, text, sizeof text);
        EXPECT_STREQ("top", text);
    });
}

struct FullCase {
    int id;
    std::string text;
    bool accepted;
};

TEST_F(SettingsDialogTest, FullEditsFitTheirFieldsAndLongerTextsAreRefused) {
    const std::string han = "\xba\xba";  // one double-byte character
    std::string halfHan;
    for (int i = 0; i < 511; ++i) halfHan += han;
    const FullCase cases[] = {
        {IDC_TOP_TEXT, std::string(1023, 'x'), true},
        {IDC_TOP_TEXT, std::string(1024, 'x'), false},
        {IDC_BOTTOM_TEXT, halfHan + "y", true},    // 1023 bytes
        {IDC_BOTTOM_TEXT, halfHan + han, false},   // 1024 bytes in 512 characters
        {IDC_MID_TEXT, std::string(2045, 'm') + "\r\n", true},
        {IDC_MID_TEXT, std::string(2048, 'm'), false},
    };
    for (const FullCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.id) + " with " + std::to_string(c.text.size()) + " bytes");
        LoadDefaultSettings();
        std::strcpy(Settings.TopText, "before");
        std::strcpy(Settings.BottomText, "before");
        std::strcpy(Settings.MidText, "before");
        shownMessages.clear();
        bool closed = false;
        Run([&](TestSettingsDlg& d) {
            d.SetText(c.id, c.text);
            d.PressOk();
            closed = !::IsWindowEnabled(d.m_hWnd) || !::IsWindowVisible(d.m_hWnd);
        });
        char* field = c.id == IDC_TOP_TEXT ? Settings.TopText
                      : c.id == IDC_BOTTOM_TEXT ? Settings.BottomText : Settings.MidText;
        if (c.accepted) {
            EXPECT_TRUE(shownMessages.empty());
            EXPECT_EQ(c.text, std::string(field));
        } else {
            EXPECT_EQ(1u, shownMessages.size());
            EXPECT_FALSE(closed);
            EXPECT_STREQ("before", field) << "nothing is copied when the exchange fails";
        }
        // Whatever happened, the byte after each field is untouched.
        EXPECT_EQ('\0', Settings.TopText[sizeof Settings.TopText - 1]);
        EXPECT_EQ('\0', Settings.BottomText[sizeof Settings.BottomText - 1]);
        EXPECT_EQ('\0', Settings.MidText[sizeof Settings.MidText - 1]);
    }
}

TEST_F(SettingsDialogTest, OkCopiesTheNumbersAndTheCheckBox) {
    Run([](TestSettingsDlg& d) {
        d.SetText(IDC_MAX_PARTICLES, "100");
        d.SetText(IDC_FPS, "100");
        ::SendDlgItemMessageA(d.m_hWnd, IDC_FPS_SHOW, BM_SETCHECK, BST_UNCHECKED, 0);
        d.PressOk();
    });
    EXPECT_TRUE(shownMessages.empty());
    EXPECT_EQ(100, Settings.MaxParticleNum);
    EXPECT_EQ(100, Settings.Fps);
    EXPECT_EQ(0, Settings.FpsShow);
    // The saved file holds the same.
    std::string ini = Folder() + "Glimmerax.ini";
    EXPECT_EQ(100u, GetPrivateProfileIntA("Set", "Fps", 0, ini.c_str()));
}

}  // namespace
