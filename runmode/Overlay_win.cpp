// The text overlays on Windows: GDI text on the DirectDraw back buffer, and
// the burn of a centred line, read back through a lock of the same surface.
#include <windows.h>
#include <ddraw.h>

#include <cstring>

#include "text/Overlay.h"
#include "runmode/Overlay_win.h"
#include "runmode/Saver_win.h"

namespace {

// The back buffer's device context for the length of one call.
class SurfaceDC {
public:
    explicit SurfaceDC(IDirectDrawSurface7* surface) : m_surface(surface), m_dc(nullptr) {
        if (m_surface != nullptr && FAILED(m_surface->GetDC(&m_dc))) m_dc = nullptr;
    }
    ~SurfaceDC() {
        if (m_dc != nullptr) m_surface->ReleaseDC(m_dc);
    }
    HDC Get() const { return m_dc; }

private:
    IDirectDrawSurface7* m_surface;
    HDC m_dc;
};

// A font made from a LOGFONT and selected into a context; the previous font
// goes back and the new one is deleted when the guard ends, so drawing every
// frame for hours leaves the number of GDI objects unchanged.
class SelectedFont {
public:
    SelectedFont(HDC dc, const LOGFONTA* font) : m_dc(dc), m_font(nullptr), m_previous(nullptr) {
        if (font != nullptr) m_font = CreateFontIndirectA(font);
        if (m_font != nullptr) m_previous = SelectObject(m_dc, m_font);
    }
    ~SelectedFont() {
        if (m_previous != nullptr) SelectObject(m_dc, m_previous);
        if (m_font != nullptr) DeleteObject(m_font);
    }

private:
    HDC m_dc;
    HFONT m_font;
    HGDIOBJ m_previous;
};

// The whole surface locked for reading its pixels.
class SurfaceLock {
public:
    explicit SurfaceLock(IDirectDrawSurface7* surface) : m_surface(surface), m_locked(false) {
        std::memset(&m_desc, 0, sizeof m_desc);
        m_desc.dwSize = sizeof m_desc;
        m_locked = m_surface != nullptr &&
                   SUCCEEDED(m_surface->Lock(nullptr, &m_desc, DDLOCK_WAIT, nullptr)) &&
                   m_desc.lpSurface != nullptr;
    }
    ~SurfaceLock() {
        if (m_locked) m_surface->Unlock(nullptr);
    }
    bool Locked() const { return m_locked; }
    const uint16_t* Pixels() const { return static_cast<const uint16_t*>(m_desc.lpSurface); }
    int Pitch() const { return static_cast<int>(m_desc.lPitch); }

private:
    IDirectDrawSurface7* m_surface;
    DDSURFACEDESC2 m_desc;
    bool m_locked;
};

}  // namespace

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
        SelectedFont selected(dc.Get(), font);
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
    if (!lock.Locked()) return;
    BurnTextIntoField(lock.Pixels(), lock.Pitch(), at.x, at.y, size.cx, size.cy, colour);
}
