// The middle message: the user's multi-line text shown one line every four
// seconds, centred and burnt into the heat field, now and then.
#include "text/MidMessage.h"

#include <cstdlib>
#include <cstring>

#include "engine/Maths.h"
#include "platform/Platform.h"
#include "settings/Cp936Text.h"
#include "settings/Settings.h"
#include "text/Overlay.h"

int32_t midLinePending = 0;
char* currentMidLine = nullptr;
char midWorkText[2048];

char* SkipLineBreaks(char* text) {
    while (*text == '\r' || *text == '\n') ++text;
    return text;
}

char* CutAtLineBreak(char* text) {
    text[std::strcspn(text, "\r\n")] = '\0';
    return text;
}

namespace {

// A new caller-owned copy of the first length bytes of text.
char* CopyLine(const char* text, size_t length) {
    char* line = static_cast<char*>(std::malloc(length + 1));
    if (line == nullptr) return nullptr;
    std::memcpy(line, text, length);
    line[length] = '\0';
    return line;
}

// Moves from (inside midWorkText) to the front; the ranges overlap.
void KeepFrom(const char* from) {
    std::memmove(midWorkText, from, std::strlen(from) + 1);
}

}  // namespace

char* NextMidLine() {
    if (midWorkText[0] == '\0') return nullptr;
    KeepFrom(SkipLineBreaks(midWorkText));
    // A text of nothing but line breaks has no line: blank lines never show.
    if (midWorkText[0] == '\0') return nullptr;

    char* lineFeed = std::strchr(midWorkText, '\n');
    if (lineFeed == nullptr) {
        // The last line is kept as it is, a trailing lone CR included.
        char* line = CopyLine(midWorkText, std::strlen(midWorkText));
        if (line != nullptr) midWorkText[0] = '\0';
        return line;
    }
    // The line runs up to its LF, but a CR before that ends it already.
    char* line = CopyLine(midWorkText, static_cast<size_t>(lineFeed - midWorkText) + 1);
    if (line == nullptr) return nullptr;
    CutAtLineBreak(line);
    KeepFrom(SkipLineBreaks(lineFeed + 1));
    return line;
}

COLORREF MidLineColour() {
    if (Settings.MidFont.Color != 0) return Settings.MidFont.Color;
    // A cell-layout colour used as a GDI colour: still bright, just mirrored.
    return RandomColour(-1, -1, -1);
}

void MidStartTick() {
    ThePlatform().StartTimer(midLineTimerId, 4000);
    // The settings keep MidText terminated; the bound is for safety only.
    CopyFieldBounded(midWorkText, sizeof midWorkText, Settings.MidText, sizeof Settings.MidText);
    midTextActive = 1;
    ThePlatform().StopTimer(midStartTimerId);
}

void MidLineTick() {
    std::free(currentMidLine);
    currentMidLine = NextMidLine();
    // Set even at the end of the message: the frame then has nothing to draw
    // and just clears it.
    midLinePending = 1;
    if (currentMidLine != nullptr) {
        DrawOverlayText(currentMidLine, -1, -1, MidLineColour(), &Settings.MidFont.logFont, 1,
                        0);
        return;
    }
    Platform& platform = ThePlatform();
    platform.StopTimer(midLineTimerId);
    platform.StartTimer(midStartTimerId, static_cast<unsigned>(RandomBetween(60, 90)) * 1000u);
    midTextActive = 0;
}

void DrawPendingMidLine() {
    if (!midLinePending) return;
    // The second draw picks its own colour, so an automatic colour changes
    // between the two draws of one line.
    if (currentMidLine != nullptr)
        DrawOverlayText(currentMidLine, -1, -1, MidLineColour(), &Settings.MidFont.logFont, 1, 0);
    midLinePending = 0;
}

void ResetMidMessage() {
    ReleaseMidLine();
    midLinePending = 0;
    midTextActive = 0;
    midWorkText[0] = '\0';
}

void ReleaseMidLine() {
    std::free(currentMidLine);
    currentMidLine = nullptr;
}
