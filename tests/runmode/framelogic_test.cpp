// Frame pacing, the frame rate shown, the frame-rate line, the pulse of the
// bottom text and the spawner's tick.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/Geometry.h"
#include "engine/Maths.h"
#include "engine/Particles.h"
#include "engine/Random.h"
#include "runmode/FrameLogic.h"
#include "settings/Settings.h"

namespace {

TEST(FrameInterval, WholeMillisecondsPerFrame) {
    const int cases[][2] = {{30, 33}, {15, 66}, {14, 71}, {100, 10}, {101, 9}, {60, 16}, {1, 1000}};
    for (const auto& c : cases) EXPECT_EQ(FrameIntervalFor(c[0]), unsigned(c[1])) << c[0];
}

// A clock that returns a scripted series of readings, then runs on from the
// last one a millisecond per call, so a wait that overshoots shows up in the
// result instead of hanging the test.
std::vector<unsigned> readings;
size_t readingIndex;
unsigned calls;

unsigned FakeClock() {
    ++calls;
    if (readingIndex < readings.size()) return readings[readingIndex++];
    return readings.back() + static_cast<unsigned>(++readingIndex - readings.size());
}

unsigned WaitWith(std::vector<unsigned> series, unsigned last, unsigned interval) {
    readings = std::move(series);
    readingIndex = 0;
    calls = 0;
    return WaitForFrame(FakeClock, last, interval);
}

TEST(WaitForFrame, SpinsUntilTheIntervalHasPassed) {
    EXPECT_EQ(WaitWith({1000, 1010, 1032, 1033, 1040}, 1000, 33), 1033u);
    EXPECT_EQ(calls, 4u);
    // Already late: the first reading is taken.
    EXPECT_EQ(WaitWith({1100}, 1000, 33), 1100u);
    EXPECT_EQ(calls, 1u);
    // The counter wraps past zero between the frames.
    EXPECT_EQ(WaitWith({0xFFFFFFFEu, 0xFFFFFFFFu, 0u, 10u, 16u, 17u}, 0xFFFFFFF0u, 33), 17u);
    EXPECT_EQ(calls, 6u);
    // A reading just below the wrap is not mistaken for a long wait.
    EXPECT_EQ(WaitWith({5u, 40u}, 0xFFFFFFF0u, 33), 40u);
    EXPECT_EQ(calls, 2u);
}

TEST(MeasureFrameRate, RateOfTheLastFrameAlone) {
    struct Case {
        unsigned last, now, rate;
    };
    const Case cases[] = {
        {1000, 1033, 30}, {1000, 1034, 29}, {1000, 1010, 100}, {1000, 1011, 90},
        {1000, 1001, 1000}, {1000, 1000, 1000},  // no time at all counts as 1 ms
        {1000, 3000, 0},                         // a two-second stall shows 0
        {0xFFFFFFF0u, 0x11u, 30},                // across the wrap: 33 ms
    };
    for (const Case& c : cases) {
        unsigned last = c.last;
        EXPECT_EQ(MeasureFrameRate(last, c.now), c.rate) << c.last << " -> " << c.now;
        EXPECT_EQ(last, c.now == c.last ? c.last + 1 : c.now);
    }
}

TEST(MeasureFrameRate, ThirtyFramesPerSecondShowsThirtyOrTwentyNine) {
    // A 33 ms interval with a clock that sometimes runs a millisecond over.
    unsigned clock = 5000;
    unsigned last = clock;
    int thirty = 0, twentyNine = 0;
    for (int frame = 0; frame < 300; ++frame) {
        clock += 33 + (frame % 4 == 0 ? 1 : 0);
        readings = {clock};
        readingIndex = 0;
        unsigned now = WaitForFrame(FakeClock, last, FrameIntervalFor(30));
        unsigned rate = MeasureFrameRate(last, now);
        ASSERT_TRUE(rate == 30 || rate == 29) << rate;
        (rate == 30 ? thirty : twentyNine)++;
    }
    EXPECT_EQ(thirty, 225);
    EXPECT_EQ(twentyNine, 75);
}

TEST(FpsLine, ByteForByte) {
    struct Case {
        unsigned rate;
        int count;
        const char* line;
    };
    const Case cases[] = {
        {30, 123, "FPS:30  Particle Num:123  "},
        {100, 123, "FPS:100 Particle Num:123  "},
        {1000, 0, "FPS:1000 Particle Num:0    "},
        {5, 12345, "FPS:5   Particle Num:12345"},
        {29, 500000, "FPS:29  Particle Num:500000"},
    };
    for (const Case& c : cases) {
        char buffer[256];
        FormatFpsLine(buffer, sizeof buffer, c.rate, c.count);
        EXPECT_STREQ(buffer, c.line);
    }
}

TEST(FpsLine, ASmallBufferIsNeverOverrun) {
    // Guard bytes around the buffer catch a write past its end.
    for (size_t size = 0; size <= 30; ++size) {
        char memory[40];
        std::memset(memory, '#', sizeof memory);
        char* buffer = memory + 4;
        FormatFpsLine(buffer, size, 30, 123);
        for (size_t i = size; i < 36; ++i) ASSERT_EQ(buffer[i], '#') << "size " << size;
        for (int i = 0; i < 4; ++i) ASSERT_EQ(memory[i], '#');
        if (size > 0) {
            std::string want = std::string("FPS:30  Particle Num:123  ").substr(0, size - 1);
            EXPECT_EQ(std::string(buffer), want) << "size " << size;
        }
    }
    FormatFpsLine(nullptr, 10, 30, 123);  // no buffer: nothing happens
}

TEST(Pulse, StartsAtTheFrameIntervalAndClimbsThroughTheBands) {
    PulseColour pulse;
    pulse.Start(FrameIntervalFor(30));
    EXPECT_EQ(pulse.value, 33u);
    EXPECT_NE(pulse.rising, 0);
    int frames = 0;
    while (pulse.value < 255) {
        pulse.Step();
        ++frames;
    }
    EXPECT_EQ(frames, 222);
    EXPECT_EQ(pulse.value, 255u);
    // Green rises by 256 a step, then blue by 65536.
    const uint32_t next[] = {511, 767};
    for (uint32_t want : next) {
        pulse.Step();
        EXPECT_EQ(pulse.value, want);
    }
    while (pulse.value < 65535) pulse.Step();
    EXPECT_EQ(pulse.value, 65535u);
    pulse.Step();
    EXPECT_EQ(pulse.value, 131071u);
    while (pulse.value < 16777215) pulse.Step();
    EXPECT_EQ(pulse.value, 16777215u);
    EXPECT_NE(pulse.rising, 0);
    // White holds for one frame while the direction turns.
    pulse.Step();
    EXPECT_EQ(pulse.value, 16777215u);
    EXPECT_EQ(pulse.rising, 0);
    pulse.Step();
    EXPECT_EQ(pulse.value, 16777215u - 65536u);
}

TEST(Pulse, OneCycleFromBlackIs1532Frames) {
    PulseColour pulse;
    pulse.Start(0);
    std::vector<uint32_t> values;
    int holdsAtBlack = 0, holdsAtWhite = 0;
    for (int frame = 0; frame < 1532; ++frame) {
        uint32_t before = pulse.value;
        pulse.Step();
        if (pulse.value == before) (before == 0 ? holdsAtBlack : holdsAtWhite)++;
        // Every value is a colour whose channels fill from red to blue.
        uint32_t v = pulse.value;
        ASSERT_LE(v, 0xFFFFFFu);
        ASSERT_TRUE((v >> 8) == 0 || (v & 0xFF) == 0xFF) << v;
        ASSERT_TRUE((v >> 16) == 0 || (v & 0xFFFF) == 0xFFFF) << v;
        values.push_back(v);
    }
    EXPECT_EQ(holdsAtWhite, 1);
    EXPECT_EQ(holdsAtBlack, 1);
    EXPECT_EQ(values[254], 255u);
    EXPECT_EQ(values[764], 16777215u);  // the last rising step
    EXPECT_EQ(values[765], 16777215u);  // the hold
    EXPECT_EQ(values[1529], 1u);
    EXPECT_EQ(values[1530], 0u);  // the last falling step
    EXPECT_EQ(values[1531], 0u);  // the hold: back where it started
    EXPECT_NE(pulse.rising, 0);
    pulse.Step();
    EXPECT_EQ(pulse.value, 1u);  // and rising again
    // Falling mirrors rising.
    for (int i = 0; i < 765; ++i) ASSERT_EQ(values[i], values[1529 - i]) << i;
}

// A list of real rockets on a 640 x 480 screen; the sizes are put back.
class SpawnerTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedWidth_ = screenWidth;
        savedHeight_ = screenHeight;
        screenWidth = 640;
        screenHeight = 480;
        FillDegreeTables();
        ASSERT_EQ(CreateParticleList(), 1);
    }
    void TearDown() override {
        FreeParticleList();
        screenWidth = savedWidth_;
        screenHeight = savedHeight_;
    }
    void FillTo(int count) {
        while (particleCount < count) SpawnBurst(1, 0, 0, 0, 0);
    }
    int CountList() const {
        int n = 0;
        for (Particle* p = particleHead->next; p != nullptr; p = p->next) ++n;
        return n;
    }

private:
    int32_t savedWidth_, savedHeight_;
};

TEST_F(SpawnerTest, LaunchesOneOrTwoRocketsAtUpTo500) {
    const int counts[] = {0, 1, 499, 500};
    for (int start : counts) {
        FillTo(start);
        Particle* before = particleTail;
        SpawnerTick();
        int added = particleCount - start;
        EXPECT_TRUE(added == 1 || added == 2) << "from " << start << " added " << added;
        EXPECT_EQ(CountList(), particleCount);
        for (Particle* p = before->next; p != nullptr; p = p->next)
            EXPECT_TRUE(p->type == 1 || p->type == 2) << p->type;
        FreeParticleList();
        ASSERT_EQ(CreateParticleList(), 1);
    }
}

TEST_F(SpawnerTest, WaitsAbove500) {
    FillTo(501);
    SeedRandom(1);
    SpawnerTick();
    EXPECT_EQ(particleCount, 501);
    EXPECT_EQ(CountList(), 501);
    // And draws nothing from the generator.
    SeedRandom(1);
    int first = NextRandom();
    SeedRandom(1);
    SpawnerTick();
    EXPECT_EQ(NextRandom(), first);
}

TEST_F(SpawnerTest, CountAndTypesVaryAndTheCountIsDrawnFirst) {
    int ones = 0, twos = 0, typeOne = 0, typeTwo = 0;
    for (uint32_t seed = 1; seed <= 200; ++seed) {
        SeedRandom(seed);
        int expected = RandomBetween(0, 3);
        SeedRandom(seed);
        int start = particleCount;
        Particle* before = particleTail;
        SpawnerTick();
        int added = particleCount - start;
        ASSERT_EQ(added, expected) << "seed " << seed;
        (added == 1 ? ones : twos)++;
        for (Particle* p = before->next; p != nullptr; p = p->next)
            (p->type == 1 ? typeOne : typeTwo)++;
    }
    EXPECT_GT(ones, 50);
    EXPECT_GT(twos, 50);
    EXPECT_GT(typeOne, 80);
    EXPECT_GT(typeTwo, 80);
}

}  // namespace
