// A small Win32 probe for the end-to-end tests: it looks at the windows of
// the desktop it runs in and writes what it finds, in UTF-8, to a file.
//   probe OUT window CLASS TITLE   -> "found L T R B visible" or "none";
//                                     TITLE "*" stands for any title
//   probe OUT screen               -> "W H" of the current display mode
//   probe OUT mode W H             -> sets the display mode W x H through
//                                     Windows, as a user's display settings
//                                     would; writes "W H" of the mode after
//   probe OUT acp                  -> the ANSI code page
//   probe OUT message TITLE        -> the text of a message box with TITLE
//   probe OUT close CLASS TITLE    -> sends WM_CLOSE to that window
//   probe OUT controls TITLE       -> one line per control of the dialog
//                                     TITLE: "ID CLASS enabled|disabled
//                                     checked|unchecked L T R B TEXT"
//   probe OUT texts TITLE          -> for every window titled TITLE, the
//                                     texts of its static controls on one line
//   probe OUT capture TITLE        -> the id of the control of that window's
//                                     thread holding the mouse, 0 for none
//   probe OUT syscommand TITLE N [L] -> posts WM_SYSCOMMAND N (lParam L) to
//                                     that window
//   probe OUT runs N GAP EXE [ARGS] -> starts N copies of EXE ARGS in EXE's
//                                     folder, all at once (GAP "now") or each
//                                     once the first has its run-mode window
//                                     and display mode (GAP "window"); writes,
//                                     as it happens, "window" when a run-mode
//                                     window first shows, "box Error" when a
//                                     message box captioned Error first shows,
//                                     and "exit I N MS"
//                                     when copy I ends with code N, MS after
//                                     its start; last "max W", the most
//                                     run-mode windows seen at once (every
//                                     5 ms). Also as they change: "saver L T
//                                     R B" of the run-mode window, "covers N
//                                     L T R B ..." of the cover windows and
//                                     "active CLASS" of the active window;
//                                     at the end "left N", the run-mode and
//                                     cover windows still there.
//                                     Started from inside the desktop, so
//                                     that nothing else starts there while
//                                     a saver runs.
//   probe OUT preview ROUTE APPEAR END EXE -> plays the screen-saver settings:
//                                     a window "Preview host" holding a
//                                     static preview area starts "EXE /p
//                                     <area>"; writes "child L T R B" (the
//                                     child's place inside the area) once the
//                                     saver puts a window into it, or
//                                     "nochild" after APPEAR ms; then ends the
//                                     preview by ROUTE ("close": WM_CLOSE to
//                                     the child, "destroy": the host window
//                                     destroyed) and writes "exit N MS" when
//                                     the saver ends within END ms, else
//                                     "running" (and ends it)
//   probe OUT fpsglyphs FACE HEIGHT WEIGHT -> for N in 0..120, the pixels
//                                     "FPS:N" covers when drawn at (0,0) in
//                                     that font without antialiasing, as the
//                                     saver draws its frame-rate line: a line
//                                     "N W H", then H lines of W characters,
//                                     1 for ink and 0 for none
//   probe OUT record ARG           -> appends "ARG SHOW" to OUT, SHOW being
//                                     the show command it was started with
//                                     (a stand-in for a browser or mail program)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string ToUtf8(const wchar_t* text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return std::string();
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], size, nullptr, nullptr);
    out.resize(static_cast<size_t>(size - 1));
    return out;
}

// Arguments reach the probe in the ANSI code page, not in UTF-8: take them
// as UTF-8 only when they are valid UTF-8.
std::wstring FromUtf8(const char* text) {
    UINT codePage = CP_UTF8;
    DWORD flags = MB_ERR_INVALID_CHARS;
    int size = MultiByteToWideChar(codePage, flags, text, -1, nullptr, 0);
    if (size == 0) {
        codePage = CP_ACP;
        flags = 0;
        size = MultiByteToWideChar(codePage, flags, text, -1, nullptr, 0);
    }
    if (size <= 1) return std::wstring();
    std::wstring out(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(codePage, flags, text, -1, &out[0], size);
    out.resize(static_cast<size_t>(size - 1));
    return out;
}

struct MessageSearch {
    std::wstring title;
    std::string text;
};

BOOL CALLBACK CollectStatic(HWND child, LPARAM param) {
    auto* search = reinterpret_cast<MessageSearch*>(param);
    wchar_t cls[64] = {};
    GetClassNameW(child, cls, 64);
    if (lstrcmpiW(cls, L"Static") == 0) {
        wchar_t text[512] = {};
        GetWindowTextW(child, text, 512);
        if (text[0] != 0) search->text = ToUtf8(text);
    }
    return TRUE;
}

std::string WindowTextOf(HWND window) {
    // WM_GETTEXT, not GetWindowText: the latter does not ask a window of
    // another process, and an edit keeps its text to itself.
    wchar_t text[4096] = {};
    SendMessageTimeoutW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000,
                        nullptr);
    std::string out = ToUtf8(text);
    for (char& c : out) {
        if (c == '\r') c = '|';
        if (c == '\n') c = '/';
    }
    return out;
}

BOOL CALLBACK ListControl(HWND child, LPARAM param) {
    FILE* out = reinterpret_cast<FILE*>(param);
    wchar_t cls[64] = {};
    GetClassNameW(child, cls, 64);
    RECT rect;
    GetWindowRect(child, &rect);
    DWORD_PTR checked = 0;
    SendMessageTimeoutW(child, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &checked);
    std::fprintf(out, "%d %s %s %s %ld %ld %ld %ld %s\n", GetDlgCtrlID(child), ToUtf8(cls).c_str(),
                 IsWindowEnabled(child) ? "enabled" : "disabled",
                 lstrcmpiW(cls, L"Button") == 0 && checked == BST_CHECKED ? "checked" : "unchecked", rect.left,
                 rect.top, rect.right, rect.bottom, WindowTextOf(child).c_str());
    return TRUE;
}

struct TextsSearch {
    std::wstring title;
    FILE* out;
};

BOOL CALLBACK CollectStatics(HWND child, LPARAM param) {
    std::string* line = reinterpret_cast<std::string*>(param);
    wchar_t cls[64] = {};
    GetClassNameW(child, cls, 64);
    if (lstrcmpiW(cls, L"Static") == 0) *line += WindowTextOf(child) + " ";
    return TRUE;
}

BOOL CALLBACK ListTexts(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<TextsSearch*>(param);
    wchar_t title[256] = {};
    GetWindowTextW(window, title, 256);
    if (search->title != title) return TRUE;
    std::string line;
    EnumChildWindows(window, CollectStatics, reinterpret_cast<LPARAM>(&line));
    std::fprintf(search->out, "%s\n", line.c_str());
    return TRUE;
}

struct WindowCount {
    std::wstring cls;
    std::wstring title;
    int count;
};

BOOL CALLBACK CountWindow(HWND window, LPARAM param) {
    WindowCount* search = reinterpret_cast<WindowCount*>(param);
    wchar_t cls[64] = {};
    wchar_t title[64] = {};
    GetClassNameW(window, cls, 64);
    GetWindowTextW(window, title, 64);
    if (search->cls == cls && search->title == title) ++search->count;
    return TRUE;
}

// Starts a program in its own folder; a null handle when it cannot start.
HANDLE Start(int argc, char** argv, int first) {
    std::string command = std::string("\"") + argv[first] + "\"";
    for (int i = first + 1; i < argc; ++i) command += std::string(" ") + argv[i];
    std::string folder = argv[first];
    size_t slash = folder.find_last_of("\\/");
    folder = slash == std::string::npos ? std::string(".") : folder.substr(0, slash + 1);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &process))
        return nullptr;
    CloseHandle(process.hThread);
    return process.hProcess;
}

std::string RectText(HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    char text[64];
    std::snprintf(text, sizeof text, " %ld %ld %ld %ld", rect.left, rect.top, rect.right, rect.bottom);
    return text;
}

BOOL CALLBACK AddCover(HWND window, LPARAM param) {
    wchar_t cls[64] = {};
    GetClassNameW(window, cls, 64);
    if (lstrcmpW(cls, L"GlimmeraxCover") == 0) {
        auto* covers = reinterpret_cast<std::pair<int, std::string>*>(param);
        ++covers->first;
        covers->second += RectText(window);
    }
    return TRUE;
}

// Writes what a run shows when it differs from what was last written.
struct RunWatch {
    std::string saver, covers, active;

    void Look(FILE* out) {
        HWND window = FindWindowW(L"rippleful", L"Particle");
        Report(out, saver, window != nullptr ? "saver" + RectText(window) : std::string());
        std::pair<int, std::string> found(0, std::string());
        EnumWindows(AddCover, reinterpret_cast<LPARAM>(&found));
        Report(out, covers, "covers " + std::to_string(found.first) + found.second);
        wchar_t cls[64] = {};
        HWND foreground = GetForegroundWindow();
        if (foreground != nullptr) GetClassNameW(foreground, cls, 64);
        Report(out, active, "active " + (foreground != nullptr ? ToUtf8(cls) : std::string("none")));
    }
    static void Report(FILE* out, std::string& last, const std::string& now) {
        if (now == last) return;
        last = now;
        if (now.empty()) return;
        std::fprintf(out, "%s\n", now.c_str());
        std::fflush(out);
    }
};

int RunModeWindows() {
    WindowCount search{L"rippleful", L"Particle", 0};
    EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&search));
    return search.count;
}

void Runs(FILE* out, int argc, char** argv) {
    const int asked = std::atoi(argv[3]);
    const int count = asked < 1 ? 1 : (asked > 8 ? 8 : asked);
    const bool afterWindow = std::strcmp(argv[4], "window") == 0;
    const int firstScreen = GetSystemMetrics(SM_CXSCREEN);
    HANDLE processes[8] = {};
    DWORD started[8] = {};
    int running = 0, launched = 0, most = 0;
    bool windowSeen = false;
    RunWatch watch;
    bool errorSeen = false;
    while (launched < count || running > 0) {
        // The next copy: at once, or once the first has set itself up.
        bool firstReady = windowSeen && GetSystemMetrics(SM_CXSCREEN) != firstScreen;
        if (launched < count && (launched == 0 || !afterWindow || firstReady ||
                                 GetTickCount() - started[0] > 30000)) {
            started[launched] = GetTickCount();
            processes[launched] = Start(argc, argv, 5);
            if (processes[launched] == nullptr) {
                std::fprintf(out, "exit %d -1 0\n", launched + 1);
                std::fflush(out);
            } else {
                ++running;
            }
            ++launched;
            continue;
        }
        Sleep(5);
        watch.Look(out);
        int windows = RunModeWindows();
        if (windows > most) most = windows;
        if (!errorSeen && FindWindowW(L"#32770", L"Error") != nullptr) {
            errorSeen = true;
            std::fprintf(out, "box Error\n");
            std::fflush(out);
        }
        if (windows > 0 && !windowSeen) {
            windowSeen = true;
            std::fprintf(out, "window\n");
            std::fflush(out);
        }
        for (int i = 0; i < launched; ++i) {
            if (processes[i] == nullptr || WaitForSingleObject(processes[i], 0) != WAIT_OBJECT_0) continue;
            DWORD code = 0;
            GetExitCodeProcess(processes[i], &code);
            std::fprintf(out, "exit %d %lu %lu\n", i + 1, static_cast<unsigned long>(code),
                         static_cast<unsigned long>(GetTickCount() - started[i]));
            std::fflush(out);
            CloseHandle(processes[i]);
            processes[i] = nullptr;
            --running;
        }
    }
    // Once every copy has ended: the run-mode and cover windows still there.
    std::pair<int, std::string> covers(0, std::string());
    EnumWindows(AddCover, reinterpret_cast<LPARAM>(&covers));
    std::fprintf(out, "left %d\n", RunModeWindows() + covers.first);
    std::fprintf(out, "max %d\n", most);
}

// Waits up to ms for a process while the thread's windows go on taking
// their messages (a child window of another process in ours sends to them).
bool PumpUntil(HANDLE process, DWORD ms, HWND* childOf) {
    DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        if (childOf != nullptr && GetWindow(*childOf, GW_CHILD) != nullptr) return true;
        if (process != nullptr && childOf == nullptr && WaitForSingleObject(process, 0) == WAIT_OBJECT_0)
            return true;
        DWORD spent = GetTickCount() - start;
        if (spent >= ms) return false;
        MsgWaitForMultipleObjects(process != nullptr ? 1 : 0, &process, FALSE, ms - spent > 20 ? 20 : ms - spent,
                                  QS_ALLINPUT);
    }
}

void Preview(FILE* out, char** argv) {
    const bool destroy = std::strcmp(argv[3], "destroy") == 0;
    const DWORD appearMs = static_cast<DWORD>(std::atoi(argv[4]));
    const DWORD endMs = static_cast<DWORD>(std::atoi(argv[5]));
    HWND host = CreateWindowExA(0, "STATIC", "Preview host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 400,
                                300, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    HWND area = CreateWindowExA(WS_EX_CLIENTEDGE, "STATIC", "", WS_CHILD | WS_VISIBLE, 100, 60, 152, 112, host,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
    char handle[32];
    std::snprintf(handle, sizeof handle, "%lu", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(area)));
    char p[] = "/p";
    char* args[] = {argv[0], argv[6], p, handle};
    HANDLE process = Start(4, args, 1);
    if (process == nullptr) {
        std::fprintf(out, "nostart\n");
        return;
    }
    if (PumpUntil(process, appearMs, &area)) {
        HWND child = GetWindow(area, GW_CHILD);
        RECT rect;
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, area, reinterpret_cast<POINT*>(&rect), 2);
        std::fprintf(out, "child %ld %ld %ld %ld\n", rect.left, rect.top, rect.right, rect.bottom);
        std::fflush(out);
        if (destroy) {
            DestroyWindow(host);
        } else {
            SendMessageTimeoutA(child, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 2000, nullptr);
        }
    } else {
        std::fprintf(out, "nochild\n");
        std::fflush(out);
    }
    DWORD closed = GetTickCount();
    if (PumpUntil(process, endMs, nullptr)) {
        DWORD code = 0;
        GetExitCodeProcess(process, &code);
        std::fprintf(out, "exit %lu %lu\n", static_cast<unsigned long>(code),
                     static_cast<unsigned long>(GetTickCount() - closed));
    } else {
        std::fprintf(out, "running\n");
        TerminateProcess(process, 9);
    }
    CloseHandle(process);
    if (IsWindow(host)) DestroyWindow(host);
}

}  // namespace

// The ink of "FPS:0" to "FPS:120" in a font of the saver's INI file (the
// fields it sets; every other one 0, as the saver reads a missing key).
void FpsGlyphs(FILE* out, char** argv) {
    LOGFONTA font = {};
    font.lfHeight = std::atoi(argv[4]);
    font.lfWeight = std::atoi(argv[5]);
    font.lfQuality = NONANTIALIASED_QUALITY;
    lstrcpynA(font.lfFaceName, argv[3], LF_FACESIZE);
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT made = CreateFontIndirectA(&font);
    HGDIOBJ previousFont = SelectObject(dc, made);
    for (int rate = 0; rate <= 120; ++rate) {
        char text[16];
        const int length = std::snprintf(text, sizeof text, "FPS:%d", rate);
        SIZE size = {0, 0};
        GetTextExtentPoint32A(dc, text, length, &size);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = size.cx;
        info.bmiHeader.biHeight = -size.cy;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (bitmap == nullptr || bits == nullptr) continue;
        HGDIOBJ previous = SelectObject(dc, bitmap);
        std::memset(bits, 0, static_cast<size_t>(size.cx) * size.cy * 4);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(255, 255, 255));
        TextOutA(dc, 0, 0, text, length);
        GdiFlush();
        std::fprintf(out, "%d %ld %ld\n", rate, size.cx, size.cy);
        const DWORD* pixel = static_cast<const DWORD*>(bits);
        for (long y = 0; y < size.cy; ++y) {
            for (long x = 0; x < size.cx; ++x) std::fputc((pixel[y * size.cx + x] & 0xFFFFFF) != 0 ? '1' : '0', out);
            std::fputc('\n', out);
        }
        SelectObject(dc, previous);
        DeleteObject(bitmap);
    }
    SelectObject(dc, previousFont);
    DeleteObject(made);
    DeleteDC(dc);
}

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    if (std::strcmp(argv[2], "record") == 0) {
        FILE* log = std::fopen(argv[1], "ab");
        if (log == nullptr) return 2;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        GetStartupInfoA(&startup);
        int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1;
        std::fprintf(log, "%s %d\n", argc >= 4 ? argv[3] : "", show);
        std::fclose(log);
        return 0;
    }
    FILE* out = std::fopen(argv[1], "wb");
    if (out == nullptr) return 2;
    const char* what = argv[2];
    int rc = 0;
    if (std::strcmp(what, "window") == 0 && argc >= 5) {
        // A title of "*" matches any title.
        std::wstring title = FromUtf8(argv[4]);
        HWND window = FindWindowW(FromUtf8(argv[3]).c_str(), title == L"*" ? nullptr : title.c_str());
        if (window == nullptr) {
            std::fprintf(out, "none\n");
            rc = 1;
        } else {
            RECT rect;
            GetWindowRect(window, &rect);
            std::fprintf(out, "found %ld %ld %ld %ld %s\n", rect.left, rect.top, rect.right, rect.bottom,
                         IsWindowVisible(window) ? "visible" : "hidden");
        }
    } else if (std::strcmp(what, "screen") == 0) {
        std::fprintf(out, "%d %d\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    } else if (std::strcmp(what, "mode") == 0 && argc >= 5) {
        DEVMODEW mode = {};
        mode.dmSize = sizeof mode;
        mode.dmPelsWidth = static_cast<DWORD>(std::atoi(argv[3]));
        mode.dmPelsHeight = static_cast<DWORD>(std::atoi(argv[4]));
        mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
        if (ChangeDisplaySettingsExW(nullptr, &mode, nullptr, 0, nullptr) != DISP_CHANGE_SUCCESSFUL) rc = 1;
        std::fprintf(out, "%d %d\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    } else if (std::strcmp(what, "acp") == 0) {
        std::fprintf(out, "%u\n", GetACP());
    } else if (std::strcmp(what, "message") == 0 && argc >= 4) {
        MessageSearch search;
        search.title = FromUtf8(argv[3]);
        HWND box = FindWindowW(L"#32770", search.title.c_str());
        if (box == nullptr) {
            std::fprintf(out, "none\n");
            rc = 1;
        } else {
            EnumChildWindows(box, CollectStatic, reinterpret_cast<LPARAM>(&search));
            std::fprintf(out, "%s\n", search.text.c_str());
        }
    } else if (std::strcmp(what, "close") == 0 && argc >= 5) {
        HWND window = FindWindowW(FromUtf8(argv[3]).c_str(), FromUtf8(argv[4]).c_str());
        if (window == nullptr) {
            rc = 1;
        } else {
            PostMessageW(window, WM_CLOSE, 0, 0);
            std::fprintf(out, "closed\n");
        }
    } else if (std::strcmp(what, "controls") == 0 && argc >= 4) {
        HWND dialog = FindWindowW(L"#32770", FromUtf8(argv[3]).c_str());
        if (dialog == nullptr) {
            std::fprintf(out, "none\n");
            rc = 1;
        } else {
            EnumChildWindows(dialog, ListControl, reinterpret_cast<LPARAM>(out));
        }
    } else if (std::strcmp(what, "texts") == 0 && argc >= 4) {
        TextsSearch search{FromUtf8(argv[3]), out};
        EnumWindows(ListTexts, reinterpret_cast<LPARAM>(&search));
    } else if (std::strcmp(what, "capture") == 0 && argc >= 4) {
        // The control of the dialog's thread that holds the mouse, by id.
        HWND dialog = FindWindowW(nullptr, FromUtf8(argv[3]).c_str());
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        if (dialog == nullptr ||
            !GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info)) {
            std::fprintf(out, "none\n");
            rc = 1;
        } else {
            std::fprintf(out, "%d\n", info.hwndCapture != nullptr ? GetDlgCtrlID(info.hwndCapture) : 0);
        }
    } else if (std::strcmp(what, "syscommand") == 0 && argc >= 5) {
        HWND window = FindWindowW(nullptr, FromUtf8(argv[3]).c_str());
        if (window == nullptr) {
            rc = 1;
        } else {
            LPARAM lParam = argc >= 6 ? static_cast<LPARAM>(std::strtoul(argv[5], nullptr, 0)) : 0;
            PostMessageW(window, WM_SYSCOMMAND, static_cast<WPARAM>(std::strtoul(argv[4], nullptr, 0)), lParam);
            std::fprintf(out, "posted\n");
        }
    } else if (std::strcmp(what, "preview") == 0 && argc >= 7) {
        Preview(out, argv);
    } else if (std::strcmp(what, "runs") == 0 && argc >= 6) {
        Runs(out, argc, argv);
    } else if (std::strcmp(what, "fpsglyphs") == 0 && argc >= 6) {
        FpsGlyphs(out, argv);
    } else {
        rc = 2;
    }
    std::fclose(out);
    return rc;
}
