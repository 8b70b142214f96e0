// The blur's worked examples and edge rules, checked on every path the
// processor can run, and the choice of path.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "blur/Blur.h"
#include "blur/CpuFeatures.h"
#include "engine/Geometry.h"
#include "tests/blur/BlurScene.h"

namespace {

// Larger than any field here: the countdown never reaches a cell.
const int noTwinkle = 1000000;

class BlurExample : public ::testing::TestWithParam<BlurPath> {
protected:
    void SetUp() override {
        if (!BlurPathSupported(GetParam())) GTEST_SKIP() << "processor lacks this path";
    }
    BlurPath path() const { return GetParam(); }
};

struct CellValue {
    int dx, dy;
    uint32_t value;
};

// Checks every cell of the field, border included: the listed offsets from
// (x, y) hold their values (those off the screen are skipped: the blur
// never writes the border), everything else is 0.
::testing::AssertionResult FieldIs(BlurScene& scene, int x, int y,
                                   const std::vector<CellValue>& expected) {
    for (int cy = -fieldBorder; cy < screenHeight + fieldBorder; ++cy) {
        for (int cx = -fieldBorder; cx < screenWidth + fieldBorder; ++cx) {
            uint32_t want = 0;
            for (const CellValue& e : expected) {
                if (cx == x + e.dx && cy == y + e.dy) want = e.value;
            }
            const bool onScreen = cx >= 0 && cy >= 0 && cx < screenWidth && cy < screenHeight;
            if (!onScreen) want = 0;
            if (scene.Cell(cx, cy) != want) {
                return ::testing::AssertionFailure()
                       << "cell (" << cx << "," << cy << ") is 0x" << std::hex << scene.Cell(cx, cy)
                       << ", expected 0x" << want;
            }
        }
    }
    return ::testing::AssertionSuccess();
}

// Every visible pixel is the conversion of its cell, and every surface word
// past the screen's width is untouched.
::testing::AssertionResult SurfaceShowsField(BlurScene& scene) {
    for (int y = 0; y < screenHeight; ++y) {
        for (int x = 0; x < scene.pitch(); ++x) {
            if (y == screenHeight - 1 && x >= screenWidth) break;  // past the buffer
            const uint16_t want = x < screenWidth ? CellToRGB565(scene.Cell(x, y)) : untouchedPixel;
            if (scene.Pixel(x, y) != want) {
                return ::testing::AssertionFailure()
                       << "pixel (" << x << "," << y << ") is 0x" << std::hex << scene.Pixel(x, y)
                       << ", expected 0x" << want;
            }
        }
    }
    return ::testing::AssertionSuccess();
}

// A lone cell of full blue: 79 in the cell, 63 to its left and above it,
// 19, 4, 1 to its right, 15 and 3 right of the one above, nothing below.
// Every column of a 40-cell row, so the cell sits at every position of the
// packed paths' groups, at both screen edges and next to the twinkle-free
// spans' ends. In the first column the cell has no blurred left neighbour
// to add and so keeps only a quarter of its heat.
TEST_P(BlurExample, LoneHotCellSpreadsRightAndUp) {
    const std::vector<CellValue> after = {{-1, 0, 63}, {0, 0, 79}, {1, 0, 19}, {2, 0, 4},
                                          {3, 0, 1},   {0, -1, 63}, {1, -1, 15}, {2, -1, 3}};
    const std::vector<CellValue> afterAtLeftEdge = {{0, 0, 63},  {1, 0, 15},  {2, 0, 3},
                                                    {0, -1, 63}, {1, -1, 15}, {2, -1, 3}};
    for (int y : {0, 5, 11}) {
        for (int x = 0; x < 40; ++x) {
            BlurScene scene(40, 12, 40);
            ASSERT_TRUE(scene.ok());
            scene.Cell(x, y) = 0x000000FF;
            scene.Blur(path(), noTwinkle);
            ASSERT_TRUE(FieldIs(scene, x, y, x == 0 ? afterAtLeftEdge : after))
                << "hot cell at " << x << "," << y;
            ASSERT_TRUE(SurfaceShowsField(scene)) << "hot cell at " << x << "," << y;
        }
    }
}

TEST_P(BlurExample, LoneHotCellPixels) {
    BlurScene scene(32, 8, 32);
    ASSERT_TRUE(scene.ok());
    scene.Cell(10, 5) = 0x000000FF;
    scene.Blur(path(), noTwinkle);
    EXPECT_EQ(0x0007, scene.Pixel(9, 5));
    EXPECT_EQ(0x0009, scene.Pixel(10, 5));
    EXPECT_EQ(0x0002, scene.Pixel(11, 5));
    for (int x = 0; x < 32; ++x) {
        if (x < 9 || x > 11) {
            EXPECT_EQ(0x0000, scene.Pixel(x, 5)) << "x " << x;
        }
    }
}

// With an interval of 1 every cell is a candidate: the hot cell's blurred
// 0x0A0A0A is below its old 0x202020, so it flares to 0x808080.
TEST_P(BlurExample, TwinkleFlaresAFadingCell) {
    const std::vector<CellValue> after = {
        {-1, 0, 0x00080808}, {0, 0, 0x00808080},  {1, 0, 0x00202020}, {2, 0, 0x00080808},
        {3, 0, 0x00020202},  {0, -1, 0x00080808}, {1, -1, 0x00020202}};
    for (int x : {0, 3, 4, 10, 15, 16, 17, 39}) {
        BlurScene scene(40, 12, 40);
        ASSERT_TRUE(scene.ok());
        scene.Cell(x, 5) = 0x00202020;
        scene.Blur(path(), 1);
        ASSERT_TRUE(FieldIs(scene, x, 5, after)) << "cell at x " << x;
        ASSERT_TRUE(SurfaceShowsField(scene));
    }
}

// The flare needs the countdown to end exactly on the cell: near misses
// leave the plain blur.
TEST_P(BlurExample, TwinkleOnlyOnTheCandidate) {
    // (11, 5) is visible cell 211: candidates are the cells whose count
    // from 1 is a multiple of the interval, and 212 = 4 * 53.
    const struct {
        int interval;
        uint32_t cell;
    } cases[] = {{212, 0x00808080}, {211, 0x000A0A0A}, {213, 0x000A0A0A},
                 {106, 0x00808080}, {53, 0x00808080},  {2, 0x00808080},
                 {3, 0x000A0A0A},   {noTwinkle, 0x000A0A0A}, {0, 0x000A0A0A},
                 {-1, 0x000A0A0A}};
    for (const auto& c : cases) {
        BlurScene scene(40, 12, 40);
        ASSERT_TRUE(scene.ok());
        scene.Cell(11, 5) = 0x00202020;
        scene.Blur(path(), c.interval);
        EXPECT_EQ(c.cell, scene.Cell(11, 5)) << "interval " << c.interval;
    }
}

// The flare test compares whole words: a cell whose red fades while its
// blue rises still flares, and a top byte alone decides as well.
TEST_P(BlurExample, TwinkleComparesWholeWords) {
    {
        BlurScene scene(16, 4, 16);
        ASSERT_TRUE(scene.ok());
        scene.Cell(5, 1) = 0x00100000;  // red 16
        scene.Cell(5, 2) = 0x000000FF;  // blue below: the new blue is 63
        scene.Blur(path(), 1);
        EXPECT_EQ(0x00400000u, scene.Cell(5, 1));
    }
    {
        BlurScene scene(16, 4, 16);
        ASSERT_TRUE(scene.ok());
        scene.Cell(5, 1) = 0x40000000;
        scene.Blur(path(), noTwinkle);
        EXPECT_EQ(0x14000000u, scene.Cell(5, 1));  // the top byte blurs like a channel
        EXPECT_EQ(0x0000, scene.Pixel(5, 1));      // and never shows
    }
    {
        BlurScene scene(16, 4, 16);
        ASSERT_TRUE(scene.ok());
        scene.Cell(5, 1) = 0x40000000;
        scene.Blur(path(), 1);
        EXPECT_EQ(0x00000000u, scene.Cell(5, 1));  // the flare clears the top byte
    }
    {
        // A rising cell does not flare: 0x10 blue beside a hot right cell.
        BlurScene scene(16, 4, 16);
        ASSERT_TRUE(scene.ok());
        scene.Cell(5, 1) = 0x00000010;
        scene.Cell(6, 1) = 0x000000F0;
        scene.Blur(path(), 1);
        EXPECT_EQ(0x00000041u, scene.Cell(5, 1));  // (16 + 4 + 240) / 4
    }
}

TEST_P(BlurExample, ColdFieldGivesBlackFrame) {
    for (int interval : {1, 7, 792}) {
        BlurScene scene(64, 9, 64);
        ASSERT_TRUE(scene.ok());
        scene.Blur(path(), interval);
        for (uint16_t pixel : scene.surface()) ASSERT_EQ(0x0000, pixel) << "interval " << interval;
        for (uint32_t cell : scene.Field()) ASSERT_EQ(0u, cell);
    }
}

// 640 cells a row and an interval of 700: the first candidate is the 60th
// cell of the second row, the next the 120th of the third.
TEST_P(BlurExample, CountdownRunsAcrossRows) {
    const struct {
        int x, y;
        bool flares;
    } cases[] = {{59, 1, true},   {58, 1, false},  {60, 1, false}, {59, 0, false},
                 {59, 2, false},  {119, 2, true},  {118, 2, false}, {120, 2, false},
                 {179, 3, true},  {639, 0, false}, {0, 1, false}};
    for (const auto& c : cases) {
        BlurScene scene(640, 5, 640);
        ASSERT_TRUE(scene.ok());
        scene.Cell(c.x, c.y) = 0x00202020;
        scene.Blur(path(), 700);
        const uint32_t want = c.flares ? 0x00808080u : (c.x == 0 ? 0x00080808u : 0x000A0A0Au);
        EXPECT_EQ(want, scene.Cell(c.x, c.y)) << "cell " << c.x << "," << c.y;
    }
}

// Rows start at pitch * y; the words between the screen's width and the
// pitch are never written, for even and odd widths.
TEST_P(BlurExample, PitchSetsRowSpacing) {
    const struct {
        int width, pitch;
    } cases[] = {{36, 36}, {36, 37}, {37, 37}, {37, 53}, {40, 48}, {17, 18}, {1, 1}, {1, 4}};
    for (const auto& c : cases) {
        BlurScene scene(c.width, 6, c.pitch);
        ASSERT_TRUE(scene.ok());
        uint32_t state = 7u;
        for (int y = 0; y < 6; ++y) {
            for (int x = 0; x < c.width; ++x) {
                state = state * 1664525u + 1013904223u;
                scene.Cell(x, y) = state & 0x00FFFFFFu;
            }
        }
        scene.Blur(path(), 5);
        EXPECT_TRUE(SurfaceShowsField(scene)) << "width " << c.width << " pitch " << c.pitch;
    }
}

// The first cell of a row takes its left as 0 whatever the border holds;
// the right border and the row below the screen are read as they are.
TEST_P(BlurExample, BorderReadOnlyRightAndBelow) {
    for (int width : {8, 13, 16}) {
        BlurScene scene(width, 4, width);
        ASSERT_TRUE(scene.ok());
        for (int y = -fieldBorder; y < 4 + fieldBorder; ++y) {
            for (int x = -fieldBorder; x < 0; ++x) scene.Cell(x, y) = 0x00FFFFFF;
        }
        scene.Blur(path(), noTwinkle);
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < width; ++x) EXPECT_EQ(0u, scene.Cell(x, y)) << x << "," << y;
        }
    }
    {
        BlurScene scene(13, 4, 13);
        ASSERT_TRUE(scene.ok());
        for (int y = 0; y < 4; ++y) scene.Cell(13, y) = 0x00FFFFFF;
        scene.Blur(path(), noTwinkle);
        for (int y = 0; y < 4; ++y) {
            EXPECT_EQ(0x003F3F3Fu, scene.Cell(12, y)) << "row " << y;
            EXPECT_EQ(0u, scene.Cell(11, y)) << "row " << y;
            EXPECT_EQ(0x00FFFFFFu, scene.Cell(13, y)) << "the border is never written";
        }
    }
    {
        BlurScene scene(13, 4, 13);
        ASSERT_TRUE(scene.ok());
        for (int x = 0; x < 13; ++x) scene.Cell(x, 4) = 0x000000FF;
        scene.Blur(path(), noTwinkle);
        EXPECT_EQ(0x3Fu, scene.Cell(0, 3));
        EXPECT_EQ(0x4Fu, scene.Cell(1, 3));  // (255 + 63) / 4
        EXPECT_EQ(0x00u, scene.Cell(0, 2));  // the blur never moves heat down
    }
}

// An odd width: the last cell is blurred and its pixel written alone, the
// word after it (the next row, or past the buffer) left alone.
TEST_P(BlurExample, OddWidthWritesLastPixelAlone) {
    for (int width : {1, 3, 5, 9, 17}) {
        BlurScene scene(width, 3, width + 1);
        ASSERT_TRUE(scene.ok());
        for (int y = 0; y < 3; ++y) scene.Cell(width - 1, y) = 0x00F8FCF8;
        scene.Blur(path(), noTwinkle);
        // The last row: (248 + 62) / 4 and (252 + 63) / 4 with a left
        // neighbour, half of it alone at width 1.
        EXPECT_EQ(width == 1 ? 0x003E3F3Eu : 0x004D4E4Du, scene.Cell(width - 1, 2));
        for (int y = 0; y < 3; ++y) {
            EXPECT_NE(0u, scene.Cell(width - 1, y));
            EXPECT_EQ(CellToRGB565(scene.Cell(width - 1, y)), scene.Pixel(width - 1, y));
            if (y < 2) {
                EXPECT_EQ(untouchedPixel, scene.Pixel(width, y)) << "width " << width;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllPaths, BlurExample,
                         ::testing::Values(blurReference, blurSse2, blurAvx2, blurAvx512,
                                           blurAvx512Vbmi),
                         [](const ::testing::TestParamInfo<BlurPath>& info) {
                             return std::string(BlurPathName(info.param));
                         });

TEST(BlurDispatch, BestPathIsSupportedAndWidest) {
    const BlurPath best = BestBlurPath();
    EXPECT_EQ(1, BlurPathSupported(best));
    for (int p = best + 1; p < blurPathCount; ++p) {
        EXPECT_EQ(0, BlurPathSupported(static_cast<BlurPath>(p))) << BlurPathName(best);
    }
    EXPECT_EQ(1, BlurPathSupported(blurReference));
    // Every x86 processor with AVX2 has SSE2.
    if (CpuHasAvx2()) {
        EXPECT_EQ(1, CpuHasSse2());
    }
}

TEST(BlurDispatch, UnknownPathIsRefused) {
    EXPECT_EQ(0, BlurPathSupported(blurPathCount));
    EXPECT_EQ(nullptr, BlurFunctionFor(blurPathCount));
    EXPECT_STREQ("unknown", BlurPathName(blurPathCount));
    EXPECT_STREQ("reference", BlurPathName(blurReference));
}

TEST(BlurDispatch, EntryPointMatchesReference) {
    std::vector<uint32_t> start;
    std::vector<uint32_t> referenceField;
    std::vector<uint16_t> referencePixels;
    {
        BlurScene scene(64, 8, 70);
        ASSERT_TRUE(scene.ok());
        uint32_t state = 99u;
        start = scene.Field();
        for (uint32_t& cell : start) {
            state = state * 1664525u + 1013904223u;
            cell = state;
        }
        scene.SetField(start);
        scene.Blur(blurReference, 37);
        referenceField = scene.Field();
        referencePixels = scene.surface();
    }
    BlurScene scene(64, 8, 70);
    ASSERT_TRUE(scene.ok());
    scene.SetField(start);
    BlurHeatField(scene.surface().data(), scene.pitch(), 37);
    EXPECT_EQ(referenceField, scene.Field());
    EXPECT_EQ(referencePixels, scene.surface());
}

TEST(BlurDispatch, NoFieldDoesNothing) {
    BlurScene scene(8, 2, 8);
    ASSERT_TRUE(scene.ok());
    FreeHeatField();
    for (int p = 0; p < blurPathCount; ++p) {
        if (!BlurPathSupported(static_cast<BlurPath>(p))) continue;
        scene.Blur(static_cast<BlurPath>(p), 3);
        for (uint16_t pixel : scene.surface()) EXPECT_EQ(untouchedPixel, pixel);
    }
}

}  // namespace
