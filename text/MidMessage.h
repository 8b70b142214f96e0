// The middle message: its working text, the line splitter and the two timer
// ticks that show a message line by line, and the state they share with the
// frame loop and the bursts.
#pragma once

#include <cstdint>

#include "engine/Particles.h"  // midTextActive, which the ticks below set and clear
#include "platform/PlatformTypes.h"

extern int32_t midLinePending;  // the next frame draws currentMidLine once more
extern char* currentMidLine;    // owned (malloc/free); null when there is none

// The part of the message not shown yet, NUL-terminated.
extern char midWorkText[2048];

// Takes the next line off the front of midWorkText. Returns a new buffer
// that the caller owns and releases with free(), or null when no line is
// left (or the memory cannot be had). A line is never cut short, however long.
char* NextMidLine();

// The first character of text that is neither CR nor LF (the terminator
// when there is none).
char* SkipLineBreaks(char* text);

// Ends text at its first CR or LF, in place, and returns it.
char* CutAtLineBreak(char* text);

// Timer 100: starts a message (timer 101 every 4 s) and stops itself.
void MidStartTick();
// Timer 101: takes and draws the next line; with none left, ends the
// message and schedules the next one 61 to 89 s later.
void MidLineTick();

// The colour of one draw of a middle line: MidFont's, or a fresh random one
// each time when it is 0.
COLORREF MidLineColour();

// The frame's share of the message: when a line was just taken, draws it
// (centred and burnt) once more, then clears midLinePending either way.
void DrawPendingMidLine();

// Run-mode set-up: no line, no message showing, nothing left to show.
void ResetMidMessage();
// Run-mode shutdown: releases currentMidLine.
void ReleaseMidLine();
