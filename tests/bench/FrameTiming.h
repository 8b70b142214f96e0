// Whole frames of run mode in the self-timing report.
#pragma once

// Times whole frames at every display mode and prints one line for each:
//   <width>x<height> frame <ns per visible cell> <ms per frame> <particles>
// and one for the frame of another sky beside it (a 1920x1080 monitor's):
//   <width>x<height> sky <ns per sky cell> <ms per frame> <particles>
// Returns 0, or 1 when the engine cannot be set up.
int TimeWholeFrames();
