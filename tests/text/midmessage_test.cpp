// The middle message: splitting the text into lines, and the timer cycle
// that shows them, driven by fake window timers on a fake clock.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "engine/Random.h"
#include "runmode/Ticks.h"
#include "settings/Settings.h"
#include "tests/platform/RecordingPlatform.h"
#include "text/MidMessage.h"
#include "text/Overlay.h"

namespace {

void SetWorkText(const std::string& text) {
    ASSERT_LT(text.size(), sizeof midWorkText);
    std::memcpy(midWorkText, text.c_str(), text.size() + 1);
}

// Every line NextMidLine gives for text, up to the first none.
std::vector<std::string> LinesOf(const std::string& text) {
    SetWorkText(text);
    std::vector<std::string> lines;
    for (int i = 0; i < 100; ++i) {
        char* line = NextMidLine();
        if (line == nullptr) break;
        lines.push_back(line);
        std::free(line);
    }
    return lines;
}

TEST(MidLines, SplitAtLineBreaks) {
    const std::string longLine(1500, 'x');
    const std::string longest(2047, 'y');
    struct Case {
        const char* name;
        std::string text;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"blank lines skipped", "Hello\r\n\r\nWorld", {"Hello", "World"}},
        {"last line unchanged", "A\r\nB\r", {"A", "B\r"}},
        {"lone trailing CR kept", "Hello\r", {"Hello\r"}},
        {"CR ends the line before its LF", "A\rjunk\nB", {"A", "B"}},
        {"bare LF", "A\nB\nC", {"A", "B", "C"}},
        {"LF CR runs", "A\n\r\n\rB", {"A", "B"}},
        {"leading breaks dropped", "\r\n\n\rA", {"A"}},
        {"trailing breaks", "A\r\n\r\n", {"A"}},
        {"empty", "", {}},
        {"nothing but breaks", "\r\n\r\n", {}},
        {"double-byte text", "\xc4\xe3\xba\xc3\r\n\xca\xc0\xbd\xe7", {"\xc4\xe3\xba\xc3", "\xca\xc0\xbd\xe7"}},
        {"1500-byte line kept whole", longLine + "\r\nZ", {longLine, "Z"}},
        {"1500-byte last line", "Z\r\n" + longLine, {"Z", longLine}},
        {"a full buffer in one line", longest, {longest}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LinesOf(c.text), c.lines) << c.name;
        EXPECT_EQ(midWorkText[0], '\0') << c.name;
    }
}

TEST(MidLines, TheRestStaysInTheWorkText) {
    SetWorkText("\r\nOne\r\n\r\nTwo\r\nThree");
    char* line = NextMidLine();
    ASSERT_NE(line, nullptr);
    EXPECT_STREQ(line, "One");
    EXPECT_STREQ(midWorkText, "Two\r\nThree");
    std::free(line);
}

TEST(MidLines, SkipAndCut) {
    char text[] = "\r\n\rAB\r\nC";
    EXPECT_EQ(SkipLineBreaks(text), text + 3);
    EXPECT_EQ(SkipLineBreaks(text + 3), text + 3);
    char none[] = "\r\n";
    EXPECT_EQ(*SkipLineBreaks(none), '\0');
    EXPECT_EQ(CutAtLineBreak(text + 3), text + 3);
    EXPECT_STREQ(text + 3, "AB");
    char lf[] = "A\nB\rC";
    EXPECT_STREQ(CutAtLineBreak(lf), "A");
    char plain[] = "ABC";
    EXPECT_STREQ(CutAtLineBreak(plain), "ABC");
}

// Window timers on a fake millisecond clock: setting a running id replaces
// it, and due ticks fire in time order (start order on a tie). Texts drawn
// are recorded at the clock's time.
struct FakeTimers : RecordingPlatform {
    struct Timer {
        unsigned id;
        unsigned period;
        uint64_t due;
        uint64_t order;
    };
    struct Event {
        uint64_t at;
        bool start;
        unsigned id;
        unsigned period;
    };
    uint64_t now = 0;
    uint64_t starts = 0;
    std::vector<Timer> running;
    std::vector<Event> events;

    void StartTimer(unsigned id, unsigned period) override { Start(id, period); }
    void StopTimer(unsigned id) override { Stop(id); }
    uint64_t Now() const override { return now; }

    void Start(unsigned id, unsigned period) {
        Remove(id);
        running.push_back({id, period, now + period, starts++});
        events.push_back({now, true, id, period});
    }
    void Stop(unsigned id) {
        Remove(id);
        events.push_back({now, false, id, 0});
    }
    void Remove(unsigned id) {
        for (size_t i = 0; i < running.size(); ++i) {
            if (running[i].id == id) {
                running.erase(running.begin() + static_cast<long>(i));
                return;
            }
        }
    }
    bool IsRunning(unsigned id) const {
        for (const Timer& t : running)
            if (t.id == id) return true;
        return false;
    }
    // Fires every tick due up to time, then leaves the clock at time.
    void AdvanceTo(uint64_t time) {
        for (;;) {
            Timer* next = nullptr;
            for (Timer& t : running) {
                if (t.due > time) continue;
                if (next == nullptr || t.due < next->due ||
                    (t.due == next->due && t.order < next->order))
                    next = &t;
            }
            if (next == nullptr) break;
            now = next->due;
            next->due += next->period;
            DispatchSaverTimer(next->id);
        }
        now = time;
    }
};

class MidCycle : public ::testing::Test {
protected:
    void SetUp() override {
        savedSettings = Settings;
        InstallPlatform(&clock);
        SeedRandom(2024);
        Settings.MidFont.Color = 0x00345678;
    }
    void TearDown() override {
        ReleaseMidLine();
        saverReady = 0;
        InstallPlatform(nullptr);
        midLinePending = 0;
        midTextActive = 0;
        Settings = savedSettings;
    }

    // What run mode does at set-up, at time 0.
    void BeginRun(const char* midText) {
        std::strcpy(Settings.MidText, midText);
        ResetMidMessage();
        ThePlatform().StartTimer(midStartTimerId, 1000);
        saverReady = 1;
    }

    // Period of the last start of id, or 0.
    unsigned LastPeriodOf(unsigned id) const {
        unsigned period = 0;
        for (const FakeTimers::Event& e : clock.events)
            if (e.start && e.id == id) period = e.period;
        return period;
    }

    FakeTimers clock;
    std::vector<DrawCall>& draws = clock.draws;
    SettingsRecord savedSettings;
};

TEST_F(MidCycle, ATwoLineMessageShowsALineEveryFourSeconds) {
    BeginRun("First\r\nSecond");
    clock.AdvanceTo(999);
    EXPECT_EQ(midTextActive, 0);
    clock.AdvanceTo(1000);
    EXPECT_EQ(midTextActive, 1);
    EXPECT_FALSE(clock.IsRunning(midStartTimerId));
    EXPECT_TRUE(clock.IsRunning(midLineTimerId));
    EXPECT_EQ(LastPeriodOf(midLineTimerId), 4000u);
    EXPECT_TRUE(draws.empty());

    clock.AdvanceTo(4999);
    EXPECT_TRUE(draws.empty());
    clock.AdvanceTo(5000);
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].text, "First");
    EXPECT_EQ(draws[0].x, -1);
    EXPECT_EQ(draws[0].y, -1);
    EXPECT_EQ(draws[0].colour, 0x00345678u);
    EXPECT_EQ(draws[0].font, &Settings.MidFont.logFont);
    EXPECT_EQ(draws[0].centred, 1);
    EXPECT_EQ(draws[0].bottomRight, 0);
    EXPECT_EQ(midLinePending, 1);
    ASSERT_NE(currentMidLine, nullptr);
    EXPECT_STREQ(currentMidLine, "First");

    // The next frame draws the line once more and clears the flag.
    DrawPendingMidLine();
    DrawPendingMidLine();
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[1].text, "First");
    EXPECT_EQ(draws[1].centred, 1);
    EXPECT_EQ(midLinePending, 0);

    clock.AdvanceTo(9000);
    ASSERT_EQ(draws.size(), 3u);
    EXPECT_EQ(draws[2].at, 9000u);
    EXPECT_EQ(draws[2].text, "Second");
    DrawPendingMidLine();
    EXPECT_EQ(midTextActive, 1);

    clock.AdvanceTo(12999);
    EXPECT_EQ(midTextActive, 1);
    clock.AdvanceTo(13000);
    EXPECT_EQ(midTextActive, 0);
    EXPECT_EQ(currentMidLine, nullptr);
    EXPECT_EQ(midLinePending, 1);
    EXPECT_EQ(draws.size(), 4u);
    DrawPendingMidLine();  // nothing left to draw; the flag still clears
    EXPECT_EQ(draws.size(), 4u);
    EXPECT_EQ(midLinePending, 0);
    EXPECT_FALSE(clock.IsRunning(midLineTimerId));
    ASSERT_TRUE(clock.IsRunning(midStartTimerId));
    unsigned pause = LastPeriodOf(midStartTimerId);
    EXPECT_GE(pause, 61000u);
    EXPECT_LE(pause, 89000u);
    EXPECT_EQ(pause % 1000, 0u);

    // The next message starts after the pause and shows from the top.
    clock.AdvanceTo(13000 + pause - 1);
    EXPECT_EQ(midTextActive, 0);
    clock.AdvanceTo(13000 + pause);
    EXPECT_EQ(midTextActive, 1);
    clock.AdvanceTo(13000 + pause + 4000);
    ASSERT_EQ(draws.size(), 5u);
    EXPECT_EQ(draws[4].text, "First");
}

TEST_F(MidCycle, TimerStartsAndStopsComeInTheirOrder) {
    BeginRun("Only");
    clock.AdvanceTo(9000);
    // set-up; timer 100: start 101, stop 100; 101 at 5 s draws; 101 at 9 s
    // finds no line: stop 101, start 100.
    ASSERT_EQ(clock.events.size(), 5u);
    const bool starts[] = {true, true, false, false, true};
    const unsigned ids[] = {100, 101, 100, 101, 100};
    const uint64_t at[] = {0, 1000, 1000, 9000, 9000};
    for (size_t i = 0; i < clock.events.size(); ++i) {
        EXPECT_EQ(clock.events[i].start, starts[i]) << i;
        EXPECT_EQ(clock.events[i].id, ids[i]) << i;
        EXPECT_EQ(clock.events[i].at, at[i]) << i;
    }
}

TEST_F(MidCycle, PausesBetweenMessagesSpanSixtyOneToEightyNineSeconds) {
    BeginRun("");
    unsigned shortest = 100000;
    unsigned longest = 0;
    uint64_t time = 1000;
    for (int cycle = 0; cycle < 400; ++cycle) {
        clock.AdvanceTo(time);  // a message starts
        ASSERT_EQ(midTextActive, 1);
        time += 4000;
        clock.AdvanceTo(time);  // and ends
        ASSERT_EQ(midTextActive, 0);
        unsigned pause = LastPeriodOf(midStartTimerId);
        if (pause < shortest) shortest = pause;
        if (pause > longest) longest = pause;
        time += pause;
    }
    EXPECT_EQ(shortest, 61000u);
    EXPECT_EQ(longest, 89000u);
}

TEST_F(MidCycle, AnEmptyMessageIsActiveForOnePeriodAndDrawsNothing) {
    BeginRun("");
    clock.AdvanceTo(1000);
    EXPECT_EQ(midTextActive, 1);
    clock.AdvanceTo(4999);
    EXPECT_EQ(midTextActive, 1);
    clock.AdvanceTo(5000);
    EXPECT_EQ(midTextActive, 0);
    DrawPendingMidLine();
    EXPECT_TRUE(draws.empty());
    EXPECT_TRUE(clock.IsRunning(midStartTimerId));
}

TEST_F(MidCycle, AutomaticColourIsDrawnAfreshForEachDraw) {
    Settings.MidFont.Color = 0;
    std::string text;
    for (int i = 0; i < 12; ++i) text += "line\r\n";
    BeginRun(text.c_str());
    int differing = 0;
    std::set<COLORREF> firsts, seconds;
    for (int i = 0; i < 12; ++i) {
        clock.AdvanceTo(5000 + 4000 * static_cast<uint64_t>(i));
        DrawPendingMidLine();
        ASSERT_EQ(draws.size(), 2u * (i + 1));
        const DrawCall& first = draws[draws.size() - 2];
        const DrawCall& second = draws.back();
        EXPECT_NE(first.colour, 0u);
        differing += first.colour != second.colour;
        firsts.insert(first.colour);
        seconds.insert(second.colour);
    }
    EXPECT_GT(firsts.size(), 1u);
    EXPECT_GT(seconds.size(), 1u);
    // White comes up a third of the time, so a few pairs may match.
    EXPECT_GE(differing, 6);
}

TEST_F(MidCycle, ALongLineIsDrawnWhole) {
    std::string line(1500, 'w');
    BeginRun((line + "\r\nend").c_str());
    clock.AdvanceTo(5000);
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].text, line);
    EXPECT_EQ(std::strlen(currentMidLine), 1500u);
}

TEST_F(MidCycle, TicksBeforeSetUpHasFinishedAreIgnored) {
    BeginRun("Hello");
    saverReady = 0;
    clock.AdvanceTo(6000);
    EXPECT_EQ(midTextActive, 0);
    EXPECT_TRUE(draws.empty());
    EXPECT_EQ(currentMidLine, nullptr);
    EXPECT_EQ(midWorkText[0], '\0');
    EXPECT_TRUE(clock.IsRunning(midStartTimerId));
    EXPECT_FALSE(clock.IsRunning(midLineTimerId));
    // Once ready, the next tick starts the message as usual.
    saverReady = 1;
    clock.AdvanceTo(7000);
    EXPECT_EQ(midTextActive, 1);
}

TEST_F(MidCycle, ANewRunStartsClean) {
    BeginRun("One\r\nTwo\r\nThree");
    clock.AdvanceTo(5000);
    ASSERT_NE(currentMidLine, nullptr);
    // Run mode ends mid-message and starts again in the same process.
    saverReady = 0;
    ReleaseMidLine();
    EXPECT_EQ(currentMidLine, nullptr);
    ReleaseMidLine();  // twice is harmless
    clock = FakeTimers();
    draws.clear();
    BeginRun("Again");
    EXPECT_EQ(midLinePending, 0);
    EXPECT_EQ(midTextActive, 0);
    EXPECT_EQ(midWorkText[0], '\0');
    clock.AdvanceTo(5000);
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].text, "Again");
    // Reset also releases a line still held.
    ResetMidMessage();
    EXPECT_EQ(currentMidLine, nullptr);
    EXPECT_EQ(midLinePending, 0);
}

}  // namespace
