// The system's reports of the display going off and on, for run mode's
// window: DisplayIsOff (runmode/DisplayPower.h) follows them.
#pragma once

#include <windows.h>

// Asks Windows to send window the display's state (WM_POWERBROADCAST,
// PBT_POWERSETTINGCHANGE): GUID_CONSOLE_DISPLAY_STATE on Windows 8 and
// later, GUID_MONITOR_POWER_ON on Windows 7, through the system folder's
// user32. The display counts as on until a report says otherwise. Returns
// 1 when registered, 0 when the system has no such reports (run mode then
// draws whatever the display does).
int WatchDisplayPower(HWND window);
// Unregisters; the display counts as on again. Safe to call twice.
void StopWatchingDisplayPower();

// WM_POWERBROADCAST of window: a report of the display's state is taken
// and 1 returned (the message's result is then TRUE); anything else, 0.
// When the display comes back on a null message is posted to window, so a
// loop waiting for messages wakes and draws again.
int TakeDisplayPowerBroadcast(HWND window, WPARAM wParam, LPARAM lParam);
