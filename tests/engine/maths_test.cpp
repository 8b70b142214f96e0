// The random generator, the degree tables, random integers and colours, and
// the range stepper.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <set>

#include "engine/Maths.h"
#include "engine/Random.h"

namespace {

uint64_t Bits(double d) {
    uint64_t b;
    std::memcpy(&b, &d, sizeof b);
    return b;
}

TEST(RandomGenerator, SeedOneGivesTheClassicSequence) {
    // The same numbers on the native and the 32-bit build prove a seeded run
    // draws identically on both.
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
    SeedRandom(1);
    for (int want : expected) EXPECT_EQ(NextRandom(), want);
}

TEST(RandomGenerator, SeededSequenceRepeatsAndStaysIn15Bits) {
    int first[1000];
    SeedRandom(0xDEADBEEFu);
    for (int& v : first) v = NextRandom();
    SeedRandom(0xDEADBEEFu);
    bool sawTop = false;
    bool sawZeroBit = false;
    for (int i = 0; i < 1000; ++i) {
        int v = NextRandom();
        EXPECT_EQ(v, first[i]) << "draw " << i;
        EXPECT_GE(v, 0);
        EXPECT_LE(v, 32767);
        sawTop = sawTop || v >= 16384;
        sawZeroBit = sawZeroBit || (v & 1) == 0;
    }
    EXPECT_TRUE(sawTop);
    EXPECT_TRUE(sawZeroBit);
    SeedRandom(2);
    EXPECT_NE(NextRandom(), first[0]);
}

TEST(DegreeTables, TellingRowsAndExactEntries) {
    FillDegreeTables();
    struct Row {
        int i;
        double sine, cosine;
    };
    const Row rows[] = {
        {1, 0.0174435597, 0.9998478495},    {30, 0.4997701026, 0.8661580944},
        {45, 0.7068251811, 0.7073882692},   {60, 0.8657598395, 0.5004596890},
        {89, 0.9998336417, 0.0182397597},   {91, 0.9998614233, -0.0166473486},
        {179, 0.0190359482, -0.9998187999}, {181, -0.0158511270, -0.9998743630},
        {271, -0.9998866686, 0.0150548953}, {359, -0.0206282884, 0.9997872142},
    };
    for (const Row& r : rows) {
        EXPECT_NEAR(sinTable[r.i], r.sine, 1e-10) << "sin " << r.i;
        EXPECT_NEAR(cosTable[r.i], r.cosine, 1e-10) << "cos " << r.i;
    }
    // Exact, not merely close.
    EXPECT_EQ(sinTable[0], 0.0);
    EXPECT_EQ(sinTable[90], 1.0);
    EXPECT_EQ(sinTable[180], 0.0);
    EXPECT_EQ(sinTable[270], -1.0);
    EXPECT_EQ(sinTable[360], 0.0);
    EXPECT_EQ(cosTable[0], 1.0);
    EXPECT_EQ(cosTable[90], 0.0);
    EXPECT_EQ(cosTable[180], -1.0);
    EXPECT_EQ(cosTable[270], 0.0);
    EXPECT_EQ(cosTable[360], 1.0);
}

TEST(DegreeTables, TakePiAsThreePointFourteen) {
    // The angle constant is 3.14 / 360 in double arithmetic.
    EXPECT_EQ(Bits(3.14 / 360.0), 0x3F81DCF4D98B0955ull);
    FillDegreeTables();
    // On a true circle sin 179 degrees would be 0.01745; here index 179 is
    // 3.14 - 3.14/180 radians, short of pi by an extra 0.0016.
    EXPECT_NEAR(sinTable[179], std::sin(3.14 - 0.017444444), 1e-8);
    EXPECT_GT(sinTable[179], 0.019);
}

TEST(DegreeTables, CorrectlyRoundedAndIdenticalOnEveryBuild) {
    FillDegreeTables();
    const double k = 3.14 / 360.0;
    for (int i = 0; i <= 360; ++i) {
        if (i % 90 == 0) continue;
        double angle = (2 * i) * k;
        // Within an ulp of the C library, whichever platform's it is.
        EXPECT_NEAR(sinTable[i], std::sin(angle), 2.3e-16) << i;
        EXPECT_NEAR(cosTable[i], std::cos(angle), 2.3e-16) << i;
    }
    // Two entries that lie almost halfway between two doubles, where the
    // C libraries of the two platforms disagree; the tables hold the nearer
    // double on both.
    EXPECT_EQ(Bits(cosTable[281]), 0x3FC81C6F761A1955ull);
    EXPECT_EQ(Bits(sinTable[354]), 0xBFBB8E7DF460274Dull);
    EXPECT_EQ(Bits(sinTable[1]), Bits(std::sin(2 * k)));
}

struct BetweenCase {
    int low, high, min, max;
};

TEST(RandomBetween, StaysStrictlyInsideAndReachesBothEnds) {
    const BetweenCase cases[] = {
        {0, 3, 1, 2},     {0, 4, 1, 3},         {1, 4, 2, 3},      {0, 256, 1, 255},
        {791, 2797, 792, 2796}, {-10, 10, -9, 9}, {4, 7, 5, 6},
    };
    SeedRandom(12345);
    for (const BetweenCase& c : cases) {
        int lowest = c.high;
        int highest = c.low;
        for (int n = 0; n < 40000; ++n) {
            int r = RandomBetween(c.low, c.high);
            ASSERT_GT(r, c.low) << c.low << ".." << c.high;
            ASSERT_LT(r, c.high) << c.low << ".." << c.high;
            if (r < lowest) lowest = r;
            if (r > highest) highest = r;
        }
        EXPECT_EQ(lowest, c.min) << c.low << ".." << c.high;
        EXPECT_EQ(highest, c.max) << c.low << ".." << c.high;
    }
}

TEST(RandomBetween, WideRangesCannotReachPast32767AboveLow) {
    SeedRandom(7);
    for (int n = 0; n < 20000; ++n) {
        int r = RandomBetween(-5000, 5000);
        ASSERT_LE(r, 4999);
        r = RandomBetween(0, 100000);
        ASSERT_LE(r, 32767);
        ASSERT_GE(r, 1);
    }
}

TEST(RandomBetween, RangesWithNothingInsideReturnLow) {
    // Unused by the saver itself; these once looped forever or divided by 0.
    const int pairs[][2] = {{5, 6}, {5, 5}, {6, 5}, {-1, 0}, {0, -100},
                            {std::numeric_limits<int>::max(), std::numeric_limits<int>::min()}};
    for (const auto& p : pairs) EXPECT_EQ(RandomBetween(p[0], p[1]), p[0]);
    // Two apart is the narrowest working range: only the middle.
    for (int n = 0; n < 50; ++n) EXPECT_EQ(RandomBetween(5, 7), 6);
    // The widest bounds do not overflow.
    int r = RandomBetween(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    EXPECT_GT(r, std::numeric_limits<int>::min());
    EXPECT_LE(r, std::numeric_limits<int>::min() + 32767);
}

TEST(RandomColour, FreeColoursAreBrightWithAFullChannelAndNoZero) {
    // Five outcomes, by which channels are forced to 255: white a third of
    // the time, and a sixth each green alone, blue alone, red and blue,
    // green and blue (the other channels 1..255, rarely 255 by chance).
    SeedRandom(99);
    int white = 0, greenOnly = 0, blueOnly = 0, redBlue = 0, greenBlue = 0;
    const int draws = 30000;
    for (int n = 0; n < draws; ++n) {
        uint32_t c = RandomColour(-1, -1, -1);
        uint32_t r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
        ASSERT_EQ(c >> 24, 0u);
        ASSERT_NE(r, 0u);
        ASSERT_NE(g, 0u);
        ASSERT_NE(b, 0u);
        ASSERT_TRUE(g == 255 || b == 255) << std::hex << c;
        bool fr = r == 255, fg = g == 255, fb = b == 255;
        if (fr && fg && fb) ++white;
        else if (fg && !fr && !fb) ++greenOnly;
        else if (fb && !fr && !fg) ++blueOnly;
        else if (fr && fb) ++redBlue;
        else if (fg && fb) ++greenBlue;
    }
    const int sixth = draws / 6;
    EXPECT_NEAR(white, 2 * sixth, 600);
    EXPECT_NEAR(greenOnly, sixth, 500);
    EXPECT_NEAR(blueOnly, sixth, 500);
    EXPECT_NEAR(redBlue, sixth, 500);
    EXPECT_NEAR(greenBlue, sixth, 500);
}

TEST(RandomColour, ArgumentsInRangeFixTheirChannel) {
    SeedRandom(5);
    for (int n = 0; n < 2000; ++n) {
        EXPECT_EQ(RandomColour(0, 0, 0), 0u);
        EXPECT_EQ(RandomColour(255, 0, 255), 0x00FF00FFu);
        uint32_t c = RandomColour(300, -1, 5);
        EXPECT_EQ(c & 0xFF, 5u);
        EXPECT_NE((c >> 16) & 0xFF, 0u);  // 300 is out of range: red stays random
        c = RandomColour(-1, 256, 0x12);
        EXPECT_EQ(c & 0xFF, 0x12u);
        EXPECT_NE((c >> 8) & 0xFF, 0u);
    }
    // Red stays random rather than fixed: it is not always 255.
    std::set<uint32_t> reds;
    for (int n = 0; n < 2000; ++n) reds.insert((RandomColour(300, -1, 5) >> 16) & 0xFF);
    EXPECT_GT(reds.size(), 50u);
}

struct StepCase {
    const char* name;
    int mode, up;
    double low, high, step, value, previous;
    int result;
    double wantValue, wantPrevious;
};

TEST(StepInRange, WrapAndBounce) {
    const StepCase cases[] = {
        {"wrap 355 up", 1, 1, 0, 360, 10, 355, 355, 1, 5, 355},
        {"wrap 350 up stays at 360", 1, 1, 0, 360, 10, 350, 350, 1, 360, 350},
        {"wrap 5 down", 1, 0, 0, 360, 10, 5, 5, 1, 355, 5},
        {"wrap 10 down lands on 0", 1, 0, 0, 360, 10, 10, 10, 1, 0, 10},
        {"wrap 0 down by 0", 1, 0, 0, 360, 0, 0, 0, 1, 0, 0},
        {"wrap bounds swapped", 1, 1, 360, 0, 10, 355, 355, 1, 5, 355},
        {"wrap many widths", 1, 1, 0, 360, 1000, 100, 100, 1, 20, 100},
        {"wrap far below", 1, 0, 0, 360, 1000, 100, 100, 1, 180, 100},
        {"bounce past the top", 2, 0, -2, 2, 1, 1.5, 0, 1, 1, 1.5},
        {"bounce falls after", 2, 1, -2, 2, 1, 1, 1.5, 1, 0, 1},
        {"bounce equal rises", 2, 0, -2, 2, 1, 0, 0, 1, 1, 0},
        {"bounce past the bottom", 2, 1, -2, 2, 1, -1.5, -1, 1, -1, -1.5},
        {"bounce at the top edge", 2, 0, -2, 2, 1, 1, 0, 1, 2, 1},
        {"bounce overshoot kept", 2, 0, 0, 1, 5, 0.5, 0, 1, -4, 0.5},
        {"mode 3 changes nothing", 3, 1, 0, 360, 10, 355, 7, 0, 355, 7},
        {"mode 0 changes nothing", 0, 1, 0, 360, 10, 355, 7, 0, 355, 7},
    };
    for (const StepCase& c : cases) {
        double value = c.value;
        double previous = c.previous;
        EXPECT_EQ(StepInRange(c.mode, c.up, c.low, c.high, c.step, value, previous), c.result)
            << c.name;
        EXPECT_EQ(value, c.wantValue) << c.name;
        EXPECT_EQ(previous, c.wantPrevious) << c.name;

        int iv = static_cast<int>(c.value);
        int ip = static_cast<int>(c.previous);
        if (iv != c.value || ip != c.previous || c.wantValue != static_cast<int>(c.wantValue))
            continue;  // the integer stepper only on integer cases
        EXPECT_EQ(StepInRangeInt(c.mode, c.up, static_cast<int>(c.low), static_cast<int>(c.high),
                                 static_cast<int>(c.step), iv, ip),
                  c.result)
            << c.name;
        EXPECT_EQ(iv, static_cast<int>(c.wantValue)) << "int " << c.name;
        EXPECT_EQ(ip, static_cast<int>(c.wantPrevious)) << "int " << c.name;
    }
}

TEST(StepInRange, ModeOneTakesTheValueAsPrevious) {
    // Callers of the wrap pass the value itself as previous.
    double v = 355;
    EXPECT_EQ(StepInRange(1, 1, 0, 360, 10, v, v), 1);
    EXPECT_EQ(v, 5);
    int i = 340;
    EXPECT_EQ(StepInRangeInt(1, 1, 0, 360, 36, i, i), 1);
    EXPECT_EQ(i, 16);
}

TEST(StepInRange, IntegerWrapMatchesOneWidthAtATime) {
    // The integer stepper jumps whole widths; compare with the plain loop.
    for (int low = -7; low <= 3; low += 5) {
        for (int high = low + 1; high <= low + 9; high += 4) {
            for (int value = -60; value <= 60; value += 7) {
                for (int step = 0; step <= 40; step += 13) {
                    for (int up = 0; up <= 1; ++up) {
                        int want = up ? value + step : value - step;
                        while (want > high) want -= high - low;
                        while (want < low) want += high - low;
                        int got = value;
                        int prev = 0;
                        StepInRangeInt(1, up, low, high, step, got, prev);
                        ASSERT_EQ(got, want) << low << ".." << high << " " << value << " " << step;
                    }
                }
            }
        }
    }
}

TEST(StepInRange, EqualBoundsWrapToLowInsteadOfHanging) {
    double v = 7;
    double p = 0;
    EXPECT_EQ(StepInRange(1, 1, 3, 3, 1, v, p), 1);
    EXPECT_EQ(v, 3);
    int iv = -40;
    int ip = 0;
    EXPECT_EQ(StepInRangeInt(1, 0, 3, 3, 1, iv, ip), 1);
    EXPECT_EQ(iv, 3);
    // A value the width cannot move (lost in rounding, or infinite) ends at
    // low rather than looping.
    v = 1e300;
    EXPECT_EQ(StepInRange(1, 1, 0, 360, 10, v, p), 1);
    EXPECT_EQ(v, 0);
    v = -std::numeric_limits<double>::infinity();
    EXPECT_EQ(StepInRange(1, 0, 0, 360, 10, v, p), 1);
    EXPECT_EQ(v, 0);
    // Extreme integers neither overflow nor loop for long.
    iv = std::numeric_limits<int>::max();
    EXPECT_EQ(StepInRangeInt(1, 1, 0, 360, 10, iv, ip), 1);
    EXPECT_GE(iv, 0);
    EXPECT_LE(iv, 360);
    EXPECT_EQ((static_cast<int64_t>(std::numeric_limits<int>::max()) + 10 - iv) % 360, 0);
}

}  // namespace
