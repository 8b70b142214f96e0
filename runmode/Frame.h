// The engine's share of one frame, drawn through the platform's back buffer
// so the frame can be driven without DirectDraw, and the texts over it.
#pragma once

#include <cstdint>

#include "engine/Sky.h"
#include "runmode/FrameLogic.h"

// Moves and draws every particle, then blurs the heat field into the locked
// back buffer with a fresh twinkle interval. A back buffer that will not lock
// skips the blur; the rest of the frame goes on.
void RenderFrame();
// The same for a sky beside the primary, whose 16-bit pixels (pitchInPixels
// apart, at least the sky's screenWidth) lie in memory of the caller's.
// Without pixels only the sweep is done.
void RenderSkyFrame(Sky& sky, uint16_t* pixels, int pitchInPixels);

// What the texts over the frames keep for the length of a run.
struct FrameTexts {
    uint32_t topColour;  // TopFont's colour, or one drawn at set-up
    PulseColour pulse;   // the bottom text's colour when BottomFont has none
    char topLine[256];
};

// The texts over a frame, through the platform, as run mode draws them after
// RenderFrame: the top-left line (the frame rate and particle count, or
// TopText), the bottom-right text in BottomFont's colour or the pulse's next,
// and the middle line once more when one was just shown.
void DrawFrameTexts(FrameTexts& texts, unsigned frameRate);
