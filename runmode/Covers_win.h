// Run mode's covers on Windows: a black, borderless, topmost window over each
// monitor the saver's window does not fill. A cover never takes the
// activation and shows no pointer; a key or a left or right click on it
// ends run mode as on the saver's window.
#pragma once

#include <windows.h>

#include <vector>

#include "runmode/Covers.h"

extern const char kCoverClassName[];

// Covers every monitor but the one saver fills, as the monitors are laid out
// now, until HideCovers. onEnd runs when a cover takes a key, a left or right
// click or a close. With one monitor no window is made. A cover that cannot
// be made leaves its monitor showing; run mode goes on.
void ShowCovers(HINSTANCE instance, HWND saver, void (*onEnd)());
// Reads the monitors again and moves, makes or removes covers to match
// (after a display change); does nothing unless covers are shown.
void UpdateCovers();
// Destroys every cover. Safe to call from a cover's own message.
void HideCovers();

// The monitors' rectangles as the system has them now, the primary first.
std::vector<ScreenRect> MonitorRects();
// Makes, moves or destroys covers until there is one over each rectangle,
// in order. Returns 1 when every one exists, 0 when one could not be made.
int PlaceCovers(const std::vector<ScreenRect>& rects);
// The covers there are now, in the order of their rectangles.
const std::vector<HWND>& CoverWindows();
