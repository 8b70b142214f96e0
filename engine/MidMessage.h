// State of the middle message shared with the frame loop and the particles.
#pragma once

#include <cstdint>

extern int32_t midLinePending;  // the next frame draws currentMidLine once more
extern int32_t midTextActive;   // a message is showing: rockets burst differently
extern char* currentMidLine;    // owned; null when there is none
