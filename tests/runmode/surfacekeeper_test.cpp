// Lost surfaces: restored between frames, the mode set again where the
// display was left in another, no blit while they are lost, and one attempt
// a frame whatever the display says.
#include <gtest/gtest.h>

#include <deque>
#include <string>

#include "runmode/SurfaceKeeper.h"

namespace {

// Answers each call with the next of its script (ok once it runs out) and
// writes the calls down in order.
class ScriptedScreen : public ScreenSurfaces {
public:
    std::deque<SurfaceAnswer> restores, modes, blits;
    std::string calls;

    SurfaceAnswer Restore() override { return Next("restore ", restores); }
    SurfaceAnswer SetMode() override { return Next("mode ", modes); }
    SurfaceAnswer Blit() override { return Next("blit ", blits); }

private:
    SurfaceAnswer Next(const char* call, std::deque<SurfaceAnswer>& script) {
        calls += call;
        if (script.empty()) return SurfaceAnswer::ok;
        SurfaceAnswer answer = script.front();
        script.pop_front();
        return answer;
    }
};

// Frames as run mode makes them: a restore at the start, a blit at the end.
std::string Frames(SurfaceKeeper& keeper, ScriptedScreen& screen, int frames) {
    for (int i = 0; i < frames; ++i) {
        screen.calls += "| ";
        keeper.Restore(screen);
        keeper.Present(screen);
    }
    return screen.calls;
}

using A = SurfaceAnswer;

TEST(SurfaceKeeper, BringsLostSurfacesBackOneAttemptAFrame) {
    const struct {
        const char* what;
        std::deque<A> restores, modes, blits;
        const char* calls;  // over four frames
    } cases[] = {
        {"surfaces that stay", {}, {}, {}, "| blit | blit | blit | blit "},
        {"a failed blit that is no loss", {}, {}, {A::failed}, "| blit | blit | blit | blit "},
        {"lost, restored at once", {}, {}, {A::lost}, "| blit | restore blit | blit | blit "},
        {"lost, then the wrong mode, then back", {A::wrongMode}, {}, {A::lost},
         "| blit | restore mode restore blit | blit | blit "},
        {"the display stays taken for two frames", {A::lost, A::failed}, {}, {A::lost},
         "| blit | restore | restore | restore blit "},
        {"the mode cannot be set for a frame", {A::wrongMode, A::wrongMode}, {A::failed}, {A::lost},
         "| blit | restore mode | restore mode restore blit | blit "},
    };
    for (const auto& c : cases) {
        SurfaceKeeper keeper;
        ScriptedScreen screen;
        screen.restores = c.restores;
        screen.modes = c.modes;
        screen.blits = c.blits;
        EXPECT_EQ(Frames(keeper, screen, 4), c.calls) << c.what;
        EXPECT_FALSE(keeper.Lost()) << c.what;
    }
}

TEST(SurfaceKeeper, ALockThatFindsTheSurfaceLostHoldsTheBlitUntilRestored) {
    const struct {
        A lock;
        const char* calls;
    } cases[] = {
        {A::ok, "blit | blit "},
        {A::failed, "blit | blit "},
        {A::lost, "| restore blit "},
        {A::wrongMode, "| restore blit "},
    };
    for (const auto& c : cases) {
        SurfaceKeeper keeper;
        ScriptedScreen screen;
        keeper.Note(c.lock);
        keeper.Present(screen);
        EXPECT_EQ(Frames(keeper, screen, 1), c.calls) << static_cast<int>(c.lock);
    }
    // A new run starts with its surfaces just made.
    SurfaceKeeper keeper;
    keeper.Note(A::lost);
    keeper.Reset();
    EXPECT_FALSE(keeper.Lost());
}

}  // namespace
