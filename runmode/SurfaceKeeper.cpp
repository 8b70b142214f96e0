// Bringing lost surfaces back between frames.
#include "runmode/SurfaceKeeper.h"

bool SurfaceKeeper::Restore(ScreenSurfaces& screen) {
    if (!m_lost) return true;
    SurfaceAnswer answer = screen.Restore();
    // Surfaces made in another mode come back only in theirs: another
    // program left the display in its own, or it never got ours back.
    if (answer == SurfaceAnswer::wrongMode && screen.SetMode() == SurfaceAnswer::ok) answer = screen.Restore();
    m_lost = answer != SurfaceAnswer::ok;
    return !m_lost;
}

void SurfaceKeeper::Present(ScreenSurfaces& screen) {
    if (m_lost) return;
    Note(screen.Blit());
}
