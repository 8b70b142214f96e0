// The engine's share of one frame, drawn through the platform's back buffer
// so the frame can be driven without DirectDraw.
#pragma once

// Moves and draws every particle, then blurs the heat field into the locked
// back buffer with a fresh twinkle interval. A back buffer that will not lock
// skips the blur; the rest of the frame goes on.
void RenderFrame();
