// Configure mode's dialogs: the settings dialog and the About box.
#pragma once

#include "framework/Afx_win.h"
#include "ui/LinkLabel_win.h"

// The settings dialog: edits the Settings record; OK saves it to the INI
// file, Cancel leaves the file alone.
class CSettingsDlg : public CDialog {
public:
    explicit CSettingsDlg(CWnd* parent = nullptr);
    ~CSettingsDlg() override;

    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    // Tells the user that OK could not store the settings, naming the file.
    void ReportSaveFailure();

    CLinkLabel m_linkMail;
    CLinkLabel m_linkWeb;
    CLinkLabel m_previewTop;
    CLinkLabel m_previewMid;
    CLinkLabel m_previewBottom;
    CComboBox m_comboResolution;
    UINT m_maxParticleNum;
    CString m_bottomText;
    CString m_midText;
    CString m_topText;
    BOOL m_fpsShow;
    UINT m_fps;
    HICON m_hIcon;

protected:
    void InitControls();
    void OnSysCommand(UINT id, LPARAM lParam);
    // TRUE when it painted the minimised dialog itself.
    BOOL OnPaint();
    void OnTopFont();
    void OnBottomFont();
    void OnMidFont();
    void OnTopColor();
    void OnBottomColor();
    void OnMidColor();
    void OnFpsShow();
    void OnMoreSoftware();
};

// The About box, opened from the settings dialog's system menu.
class CAboutDlg : public CDialog {
public:
    CAboutDlg();
};

// The one-letter samples the previews show: one for each text at start-up,
// and the one the bottom-right preview shows after a font change.
extern const char* const kPreviewTopLetter;
extern const char* const kPreviewBottomLetter;
extern const char* const kPreviewMidLetter;
extern const char* const kPreviewBottomChangedLetter;
