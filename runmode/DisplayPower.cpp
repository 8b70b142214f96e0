// The display's last reported power state.
#include "runmode/DisplayPower.h"

namespace {
int displayOff = 0;
}  // namespace

int DisplayIsOff() { return displayOff; }

int NoteDisplayState(uint32_t state) {
    int wasOff = displayOff;
    displayOff = state == 0 ? 1 : 0;
    return wasOff && !displayOff ? 1 : 0;
}
