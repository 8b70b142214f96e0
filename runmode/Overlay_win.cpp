// The text overlays on Windows: GDI text on the DirectDraw back buffer, and
// the burn of a centred line, read back through a lock of the same surface.
#include <windows.h>
#include <ddraw.h>

#include <cstring>

#include "framework/Guards_win.h"
#include "runmode/Overlay_win.h"
#include "runmode/Saver_win.h"
#include "text/Overlay.h"

void DrawOverlayTextOnSurface(const char* text, int x, int y, COLORREF colour, const LOGFONTA* font,
                              int centred, int bottomRight) {
    if (backSurface == nullptr || text == nullptr) return;
    const int length = static_cast<int>(std::strlen(text));
    SIZE size = {0, 0};
    OverlayPlacement at = {x, y};
    {
        SurfaceDC dc(backSurface);
        // No context, no text: the frame goes on without it.
        if (dc.Get() == nullptr) return;
        // The font is deleted and the previous one is back when the block
        // ends, so drawing every frame for hours leaves the number of GDI
        // objects unchanged.
        OwnedGdiObject madeFont(font != nullptr ? CreateFontIndirectA(font) : nullptr);
        SelectedObject selected(dc.Get(), madeFont.Get());
        GetTextExtentPointA(dc.Get(), text, length, &size);
        at = PlaceOverlayText(size.cx, size.cy, x, y, centred, bottomRight);
        SetTextColor(dc.Get(), colour);
        SetBkMode(dc.Get(), TRANSPARENT);
        TextOutA(dc.Get(), at.x, at.y, text, length);
    }
    if (!centred) return;
    // The context is handed back before the lock: the surface allows only
    // one of the two at a time.
    SurfaceLock lock(backSurface);
    if (lock.Pixels() == nullptr) return;
    BurnTextIntoField(lock.Pixels(), lock.Pitch(), at.x, at.y, size.cx, size.cy, colour);
}
