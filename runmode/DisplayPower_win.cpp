// Registration for the display's power reports, and the reports themselves.
#include "runmode/DisplayPower_win.h"

#include <cstring>

#include "framework/SystemDlls_win.h"
#include "runmode/DisplayPower.h"

namespace {

// Spelt out here rather than taken from the SDK's import library.
const GUID consoleDisplayState = {0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
const GUID monitorPowerOn = {0x02731015, 0x4510, 0x4526, {0x99, 0xe6, 0xe5, 0xa1, 0x7e, 0xbd, 0x1a, 0xea}};

using RegisterFn = HANDLE(WINAPI*)(HANDLE, const GUID*, DWORD);
using UnregisterFn = BOOL(WINAPI*)(HANDLE);

HANDLE registration = nullptr;

// Windows 8 and later report the console's display (off, on, dimmed);
// Windows 7 has only the monitors' power (off, on), which 8 replaced.
bool WindowsEightOrLater() {
    OSVERSIONINFOEXW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    version.dwMajorVersion = 6;
    version.dwMinorVersion = 2;
    DWORDLONG condition = 0;
    condition = VerSetConditionMask(condition, VER_MAJORVERSION, VER_GREATER_EQUAL);
    condition = VerSetConditionMask(condition, VER_MINORVERSION, VER_GREATER_EQUAL);
    return VerifyVersionInfoW(&version, VER_MAJORVERSION | VER_MINORVERSION, condition) != FALSE;
}

}  // namespace

int WatchDisplayPower(HWND window) {
    StopWatchingDisplayPower();
    auto registerFor = SystemFunction<RegisterFn>(L"user32.dll", "RegisterPowerSettingNotification");
    if (registerFor == nullptr || window == nullptr) return 0;
    const GUID* setting = WindowsEightOrLater() ? &consoleDisplayState : &monitorPowerOn;
    registration = registerFor(window, setting, DEVICE_NOTIFY_WINDOW_HANDLE);
    return registration != nullptr ? 1 : 0;
}

void StopWatchingDisplayPower() {
    if (registration != nullptr) {
        auto unregister = SystemFunction<UnregisterFn>(L"user32.dll", "UnregisterPowerSettingNotification");
        if (unregister != nullptr) unregister(registration);
        registration = nullptr;
    }
    NoteDisplayState(1);
}

int TakeDisplayPowerBroadcast(HWND window, WPARAM wParam, LPARAM lParam) {
    if (wParam != PBT_POWERSETTINGCHANGE || lParam == 0) return 0;
    const auto* report = reinterpret_cast<const POWERBROADCAST_SETTING*>(lParam);
    if (!IsEqualGUID(report->PowerSetting, consoleDisplayState) &&
        !IsEqualGUID(report->PowerSetting, monitorPowerOn))
        return 0;
    // A report too short to hold its state is taken and ignored.
    if (report->DataLength < sizeof(DWORD)) return 1;
    DWORD state = 0;
    std::memcpy(&state, report->Data, sizeof state);
    if (NoteDisplayState(state)) PostMessageA(window, WM_NULL, 0, 0);
    return 1;
}
