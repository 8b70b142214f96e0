// Globals of the middle message shared with the frame loop and the bursts.
#include "engine/MidMessage.h"

int32_t midLinePending = 0;
int32_t midTextActive = 0;
char* currentMidLine = nullptr;
