// A small Win32 probe for the end-to-end tests: it looks at the windows of
// the desktop it runs in and writes what it finds, in UTF-8, to a file.
//   probe OUT window CLASS TITLE   -> "found L T R B visible" or "none"
//   probe OUT screen               -> "W H" of the current display mode
//   probe OUT acp                  -> the ANSI code page
//   probe OUT message TITLE        -> the text of a message box with TITLE
//   probe OUT close CLASS TITLE    -> sends WM_CLOSE to that window
#include <windows.h>

#include <cstdio>
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

std::wstring FromUtf8(const char* text) {
    int size = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    if (size <= 1) return std::wstring();
    std::wstring out(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text, -1, &out[0], size);
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

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    FILE* out = std::fopen(argv[1], "wb");
    if (out == nullptr) return 2;
    const char* what = argv[2];
    int rc = 0;
    if (std::strcmp(what, "window") == 0 && argc >= 5) {
        HWND window = FindWindowW(FromUtf8(argv[3]).c_str(), FromUtf8(argv[4]).c_str());
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
    } else {
        rc = 2;
    }
    std::fclose(out);
    return rc;
}
