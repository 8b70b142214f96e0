// The settings dialog: data exchange with the Settings record, the font and
// colour pickers with their previews, the links and the About box.
#include "ui/SettingsDlg_win.h"

#include "res/Resource.h"
#include "settings/Cp936Text.h"
#include "settings/DisplayModes.h"
#include "settings/Settings.h"

const char* const kPreviewTopLetter = "T";
const char* const kPreviewBottomLetter = "B";
const char* const kPreviewMidLetter = "M";
const char* const kPreviewBottomChangedLetter = "b";

namespace {

const COLORREF kLinkColor = 0xFF0000;  // blue: red sits in the low byte
const UINT kLinkDrawFlags = DT_SINGLELINE;
const UINT kPreviewDrawFlags = DT_SINGLELINE | DT_VCENTER | DT_CENTER;

// The edits hold one byte less than their fields, which keep a terminator.
const int kTopTextLimit = sizeof Settings.TopText - 1;
const int kBottomTextLimit = sizeof Settings.BottomText - 1;
const int kMidTextLimit = sizeof Settings.MidText - 1;

}  // namespace

CSettingsDlg::CSettingsDlg(CWnd* parent)
    : CDialog(IDD_SETTINGS, parent), m_maxParticleNum(0), m_fpsShow(FALSE), m_fps(0) {
    m_hIcon = ::LoadIconA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
}

CSettingsDlg::~CSettingsDlg() {}

void CSettingsDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_LINK_MAIL, m_linkMail);
    DDX_Control(dx, IDC_LINK_WEB, m_linkWeb);
    DDX_Control(dx, IDC_PREVIEW_TOP, m_previewTop);
    DDX_Control(dx, IDC_PREVIEW_MID, m_previewMid);
    DDX_Control(dx, IDC_PREVIEW_BOTTOM, m_previewBottom);
    DDX_Control(dx, IDC_RESOLUTION, m_comboResolution);
    DDX_Text(dx, IDC_MAX_PARTICLES, m_maxParticleNum);
    DDV_MinMaxUInt(dx, m_maxParticleNum, 100, 1000);
    DDX_Text(dx, IDC_BOTTOM_TEXT, m_bottomText);
    DDV_MaxChars(dx, m_bottomText, kBottomTextLimit);
    DDX_Text(dx, IDC_MID_TEXT, m_midText);
    DDV_MaxChars(dx, m_midText, kMidTextLimit);
    DDX_Text(dx, IDC_TOP_TEXT, m_topText);
    DDV_MaxChars(dx, m_topText, kTopTextLimit);
    DDX_Check(dx, IDC_FPS_SHOW, m_fpsShow);
    DDX_Text(dx, IDC_FPS, m_fps);
    DDV_MinMaxUInt(dx, m_fps, 15, 100);
}

// The message map.
BOOL CSettingsDlg::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    switch (message) {
        case WM_SYSCOMMAND:
            // Only the About item is ours; move, close and the rest are not.
            if ((wParam & 0xFFF0 & 0xFFFF) != IDM_ABOUTBOX) return FALSE;
            OnSysCommand(static_cast<UINT>(wParam), lParam);
            *result = 0;
            return TRUE;
        case WM_PAINT:
            *result = 0;
            return OnPaint();
        case WM_QUERYDRAGICON:
            *result = reinterpret_cast<LRESULT>(m_hIcon);
            return TRUE;
        case WM_COMMAND:
            if (HIWORD(wParam) != BN_CLICKED) break;
            switch (LOWORD(wParam)) {
                case IDC_TOP_FONT: OnTopFont(); break;
                case IDC_BOTTOM_FONT: OnBottomFont(); break;
                case IDC_MID_FONT: OnMidFont(); break;
                case IDC_BOTTOM_COLOR: OnBottomColor(); break;
                case IDC_MID_COLOR: OnMidColor(); break;
                case IDC_TOP_COLOR: OnTopColor(); break;
                case IDC_FPS_SHOW: OnFpsShow(); break;
                case IDC_MORE_SOFTWARE: OnMoreSoftware(); break;
                default: return CDialog::OnWndMsg(message, wParam, lParam, result);
            }
            *result = 0;
            return TRUE;
        default:
            break;
    }
    return CDialog::OnWndMsg(message, wParam, lParam, result);
}

BOOL CSettingsDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    InitControls();

    HMENU menu = GetSystemMenu(FALSE);
    if (menu != nullptr) {
        // The About item's text is a wide string resource: read it wide so
        // its Chinese survives whatever the code page.
        wchar_t about[64];
        if (::LoadStringW(AfxGetInstanceHandle(), IDS_ABOUTBOX, about, 64) > 0 && about[0] != 0) {
            ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            ::AppendMenuW(menu, MF_STRING, IDM_ABOUTBOX, about);
        }
    }
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);
    return TRUE;
}

void CSettingsDlg::InitControls() {
    m_maxParticleNum = static_cast<UINT>(Settings.MaxParticleNum);
    m_fps = static_cast<UINT>(Settings.Fps);
    m_fpsShow = Settings.FpsShow;
    m_topText = Settings.TopText;
    m_bottomText = Settings.BottomText;
    m_midText = Settings.MidText;
    UpdateData(FALSE);

    HCURSOR hand = ::LoadCursorA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDC_HAND_CURSOR));
    m_linkWeb.SetLink(kLinkColor, hand, MAKER_WEB_PAGE);
    m_linkWeb.SetLabelText(MAKER_WEB_PAGE);
    m_linkWeb.SetDrawFlags(kLinkDrawFlags);
    m_linkMail.SetLink(kLinkColor, hand, "mailto:" MAKER_MAIL);
    m_linkMail.SetLabelText(MAKER_MAIL);
    m_linkMail.SetDrawFlags(kLinkDrawFlags);

    for (const DisplayMode& mode : displayModes) m_comboResolution.AddString(mode.name);
    m_comboResolution.SetCurSel(Settings.Resolution);

    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_TOP_TEXT), m_fpsShow == 0);

    struct Preview {
        CLinkLabel* label;
        const TextStyle* style;
        const char* letter;
    };
    const Preview previews[] = {
        {&m_previewTop, &Settings.TopFont, kPreviewTopLetter},
        {&m_previewBottom, &Settings.BottomFont, kPreviewBottomLetter},
        {&m_previewMid, &Settings.MidFont, kPreviewMidLetter},
    };
    for (const Preview& preview : previews) {
        preview.label->SetLabelFont(preview.style->logFont);
        preview.label->SetLabelText(preview.letter);
        preview.label->SetLabelTextColor(preview.style->Color);
        preview.label->SetDrawFlags(kPreviewDrawFlags);
    }
}

namespace {

// Lets the user pick a font for style; on OK the style and its preview
// change at once, and the whole dialog repaints, since the preview has no
// background of its own to wipe the old letter with.
void ChooseStyleFont(CDialog* dialog, TextStyle& style, CLinkLabel& preview, const char* letter) {
    CFontDialog picker(&style.logFont, CF_SCREENFONTS | CF_EFFECTS, nullptr, nullptr);
    if (picker.DoModal() != IDOK) return;
    picker.GetCurrentFont(&style.logFont);
    preview.SetLabelText(letter);
    preview.SetLabelFont(style.logFont);
    preview.InvalidateRect(nullptr, TRUE);
    dialog->InvalidateRect(nullptr, TRUE);
}

// Black is stored as 0, which run mode takes for an automatic colour.
void ChooseStyleColor(TextStyle& style, CLinkLabel& preview) {
    CColorDialog picker(style.Color, 0, nullptr);
    if (picker.DoModal() != IDOK) return;
    style.Color = picker.GetColor();
    preview.SetLabelTextColor(style.Color);
    preview.InvalidateRect(nullptr, TRUE);
}

}  // namespace

void CSettingsDlg::OnTopFont() { ChooseStyleFont(this, Settings.TopFont, m_previewTop, kPreviewTopLetter); }
void CSettingsDlg::OnBottomFont() {
    ChooseStyleFont(this, Settings.BottomFont, m_previewBottom, kPreviewBottomChangedLetter);
}
void CSettingsDlg::OnMidFont() { ChooseStyleFont(this, Settings.MidFont, m_previewMid, kPreviewMidLetter); }
void CSettingsDlg::OnTopColor() { ChooseStyleColor(Settings.TopFont, m_previewTop); }
void CSettingsDlg::OnBottomColor() { ChooseStyleColor(Settings.BottomFont, m_previewBottom); }
void CSettingsDlg::OnMidColor() { ChooseStyleColor(Settings.MidFont, m_previewMid); }

void CSettingsDlg::OnFpsShow() {
    // A failed exchange has shown its message; the edit follows whatever
    // the check box's member holds by then.
    UpdateData(TRUE);
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_TOP_TEXT), m_fpsShow == 0);
}

void CSettingsDlg::OnMoreSoftware() { ShellOpen(MAKER_WEB_PAGE); }

void CSettingsDlg::OnSysCommand(UINT, LPARAM) {
    CAboutDlg about;
    about.DoModal();
}

BOOL CSettingsDlg::OnPaint() {
    if (!IsIconic()) return FALSE;
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.m_hDC), 0);
    int iconWidth = ::GetSystemMetrics(SM_CXICON);
    int iconHeight = ::GetSystemMetrics(SM_CYICON);
    RECT client;
    GetClientRect(&client);
    int x = (client.right - client.left - iconWidth + 1) / 2;
    int y = (client.bottom - client.top - iconHeight + 1) / 2;
    ::DrawIcon(dc.m_hDC, x, y, m_hIcon);
    return TRUE;
}

void CSettingsDlg::OnOK() {
    if (!UpdateData(TRUE)) return;
    Settings.FpsShow = m_fpsShow;
    Settings.Fps = static_cast<int32_t>(m_fps);
    Settings.MaxParticleNum = static_cast<int32_t>(m_maxParticleNum);
    int selected = m_comboResolution.GetCurSel();
    if (selected >= 0) Settings.Resolution = selected;
    // The exchange already refused longer texts; the bounded copy keeps a
    // double-byte character whole even so.
    CopyTextBounded(Settings.TopText, sizeof Settings.TopText, m_topText);
    CopyTextBounded(Settings.MidText, sizeof Settings.MidText, m_midText);
    CopyTextBounded(Settings.BottomText, sizeof Settings.BottomText, m_bottomText);
    if (!SaveSettings()) {
        // The file was left as it was: say so, and stay open so that the
        // user can make the folder writable and press OK again, or cancel.
        ReportSaveFailure();
        return;
    }
    CDialog::OnOK();
}

void CSettingsDlg::ReportSaveFailure() {
    char path[MAX_PATH + 32];
    if (!SettingsIniPath(path, sizeof path)) lstrcpyA(path, "Glimmerax.ini");
    wchar_t widePath[sizeof path];
    if (MultiByteToWideChar(CP_ACP, 0, path, -1, widePath, sizeof path) == 0)
        lstrcpyW(widePath, L"Glimmerax.ini");
    wchar_t text[MAX_PATH + 256];
    wsprintfW(text, L"无法写入设置文件：\n%s\n\n设置没有保存。请确认该文件和它所在的文件夹可以写入，"
                    L"然后按“确定”重试，或者按“取消”放弃修改。",
              widePath);
    AfxMessageBox(m_hWnd, text);
}

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX, nullptr) {}
