// Run mode's surfaces after the display was taken from them: a program that
// changed the display mode, the secure desktop of Ctrl+Alt+Del or a UAC
// prompt, a driver reset. DirectDraw then says "surface lost" until they are
// restored, and a saver that only ignored it would show one frozen picture
// until a key.
#pragma once

// What a call on the screen's surfaces answered.
enum class SurfaceAnswer {
    ok,
    lost,       // the surface's memory is gone: restore it
    wrongMode,  // it was made in another display mode: set the mode first
    failed,     // anything else; nothing to mend
};

// The calls that present a frame and bring lost surfaces back. Run mode's
// are DirectDraw's; tests hand in stand-ins.
class ScreenSurfaces {
public:
    virtual ~ScreenSurfaces() {}
    // Restores the primary surface and, with it, its back buffer.
    virtual SurfaceAnswer Restore() = 0;
    // Sets the saver's display mode again.
    virtual SurfaceAnswer SetMode() = 0;
    // Copies the back buffer to the screen.
    virtual SurfaceAnswer Blit() = 0;
};

// Remembers that the surfaces were lost and brings them back, one attempt a
// frame: a display that stays taken costs one restore per frame, never a
// loop inside one, and the engine's state carries on meanwhile.
class SurfaceKeeper {
public:
    // What a lock, a blit or a restore of this frame answered.
    void Note(SurfaceAnswer answer) {
        if (answer == SurfaceAnswer::lost || answer == SurfaceAnswer::wrongMode) m_lost = true;
    }
    bool Lost() const { return m_lost; }
    // Once at the start of a frame: when the surfaces were lost, restores
    // them, setting the saver's mode again first where the display is in
    // another. Returns true when the surfaces can be drawn on.
    bool Restore(ScreenSurfaces& screen);
    // The frame's blit, skipped while the surfaces are lost.
    void Present(ScreenSurfaces& screen);
    // A new run starts with surfaces just made.
    void Reset() { m_lost = false; }

private:
    bool m_lost = false;
};
