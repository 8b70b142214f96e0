// Builds dialog templates in memory for the tests of the framework's dialogs,
// and runs such dialogs with a test's action.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/Afx_win.h"

class DialogTemplateBuilder {
public:
    DialogTemplateBuilder(DWORD style, short cx, short cy, const wchar_t* caption) {
        Align(4);
        DLGTEMPLATE head = {};
        head.style = style | DS_SETFONT;
        head.cx = cx;
        head.cy = cy;
        headOffset_ = Append(&head, sizeof head);
        Word(0);  // no menu
        Word(0);  // the standard dialog class
        Text(caption);
        Word(9);
        Text(L"MS Shell Dlg");
    }

    void Control(WORD id, const wchar_t* cls, DWORD style, short x, short y, short cx, short cy,
                 const wchar_t* text = L"") {
        Align(4);
        DLGITEMTEMPLATE item = {};
        item.style = style | WS_CHILD | WS_VISIBLE;
        item.x = x;
        item.y = y;
        item.cx = cx;
        item.cy = cy;
        item.id = id;
        Append(&item, sizeof item);
        Text(cls);
        Text(text);
        Word(0);  // no creation data
        auto* head = reinterpret_cast<DLGTEMPLATE*>(&bytes_[headOffset_]);
        head->cdit++;
    }

    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(bytes_.data()); }

private:
    size_t Append(const void* data, size_t size) {
        size_t at = bytes_.size();
        const auto* p = static_cast<const unsigned char*>(data);
        bytes_.insert(bytes_.end(), p, p + size);
        return at;
    }
    void Word(WORD value) { Append(&value, sizeof value); }
    void Text(const wchar_t* text) { Append(text, (std::wstring(text).size() + 1) * sizeof(wchar_t)); }
    void Align(size_t to) {
        while (bytes_.size() % to != 0) bytes_.push_back(0);
    }

    std::vector<unsigned char> bytes_;
    size_t headOffset_ = 0;
};

// A dialog that runs a test's action once it shows, then closes with
// closeWith unless the action closed it itself. Base is the dialog class
// under test (CDialog for one built from a template here, whose Derived
// calls InitModalIndirect); the arguments go to its constructor.
template <typename Derived, typename Base = CDialog>
class ScriptedDialog : public Base {
public:
    template <typename... Arguments>
    explicit ScriptedDialog(Arguments... arguments) : Base(arguments...) {}

    BOOL OnInitDialog() override {
        Base::OnInitDialog();
        ::PostMessageA(this->m_hWnd, WM_APP, 0, 0);
        return TRUE;
    }

    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override {
        if (message == WM_APP) {
            action(static_cast<Derived&>(*this));
            if (!endedByAction && ::IsWindow(this->m_hWnd)) this->EndDialog(closeWith);
            return TRUE;
        }
        return Base::OnWndMsg(message, wParam, lParam, result);
    }

    std::function<void(Derived&)> action;
    bool endedByAction = false;  // the action closed the dialog itself
    int closeWith = IDOK;
};
