// Where the overlay texts go, and how a centred line is burnt into the heat
// field: by exact 16-bit colour, inside the visible screen only.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/Geometry.h"
#include "engine/HeatField.h"
#include "settings/Settings.h"
#include "tests/platform/RecordingPlatform.h"
#include "text/Overlay.h"

namespace {

void SetScreen(int width, int height) {
    SetCanvasSize(width, height);
}

TEST(OverlayPlacement, CornersAndCentre) {
    struct Case {
        const char* name;
        int width, height;  // screen
        int cx, cy, x, y, centred, bottomRight;
        int wantX, wantY;
    };
    const Case cases[] = {
        {"centred 800x600", 800, 600, 200, 40, 0, 0, 1, 0, 300, 213},
        {"centred 640x480", 640, 480, 101, 31, 0, 0, 1, 0, 269, 171},
        {"bottom-right", 640, 480, 100, 16, 0, 0, 0, 1, 536, 462},
        {"at the point", 640, 480, 100, 16, 4, 2, 0, 0, 4, 2},
        {"at a negative point", 640, 480, 100, 16, -7, -9, 0, 0, -7, -9},
        // Centring truncates toward zero: -61 / 2 is -30, not -31.
        {"61 wider", 640, 480, 701, 10, 0, 0, 1, 0, -30, 179},
        {"62 wider", 640, 480, 702, 10, 0, 0, 1, 0, -31, 179},
        // (480 - 580) * 0.382 = -38.2 becomes -38.
        {"100 taller", 640, 480, 10, 580, 0, 0, 1, 0, 315, -38},
        {"empty text", 640, 480, 0, 0, 0, 0, 1, 0, 320, 183},
        {"both flags: centred wins", 640, 480, 101, 31, 0, 0, 1, 1, 269, 171},
        {"flags are any non-zero", 640, 480, 101, 31, 0, 0, -1, 7, 269, 171},
        {"bottom-right larger than screen", 640, 480, 700, 500, 0, 0, 0, 1, -64, -22},
    };
    for (const Case& c : cases) {
        SetScreen(c.width, c.height);
        OverlayPlacement at =
            PlaceOverlayText(c.cx, c.cy, c.x, c.y, c.centred, c.bottomRight);
        EXPECT_EQ(at.x, c.wantX) << c.name;
        EXPECT_EQ(at.y, c.wantY) << c.name;
    }
}

TEST(OverlayPlacement, WithAFlagTheGivenPointHasNoEffect) {
    SetScreen(1024, 768);
    const int points[][2] = {{0, 0}, {4, 2}, {-1, -1}, {1024, 768}, {INT_MIN, INT_MAX}};
    for (int bottomRight = 0; bottomRight <= 1; ++bottomRight) {
        int centred = 1 - bottomRight;
        OverlayPlacement first = PlaceOverlayText(90, 20, 0, 0, centred, bottomRight);
        for (const auto& p : points) {
            OverlayPlacement at = PlaceOverlayText(90, 20, p[0], p[1], centred, bottomRight);
            EXPECT_EQ(at.x, first.x) << p[0] << "," << p[1];
            EXPECT_EQ(at.y, first.y) << p[0] << "," << p[1];
        }
    }
}

// A small screen with a field and an exact-size surface, so any read or
// write past either shows up under the address sanitizer.
class Burn : public ::testing::Test {
protected:
    static const int kWidth = 40;
    static const int kHeight = 30;
    static const int kPitch = kWidth + 3;  // pixels; odd slack past the screen

    void SetUp() override {
        SetScreen(kWidth, kHeight);
        ASSERT_EQ(AllocHeatField(), 1);
        surface.assign(static_cast<size_t>(kPitch) * kHeight, 0);
    }
    void TearDown() override { FreeHeatField(); }

    uint16_t& Pixel(int x, int y) { return surface[static_cast<size_t>(y) * kPitch + x]; }
    static uint32_t Cell(int x, int y) {
        return HeatField[(y + fieldBorder) * fieldWidth + fieldBorder + x];
    }
    void BurnBox(int x, int y, int cx, int cy, COLORREF colour) {
        BurnTextIntoField(surface.data(), kPitch * 2, x, y, cx, cy, colour);
    }
    // Every cell of the field, border included, is either value inside the
    // screen rectangle [left, right) x [top, bottom) or 0 elsewhere.
    static void ExpectBurntExactly(int left, int top, int right, int bottom, uint32_t value,
                                   const std::string& name) {
        int wrong = 0;
        for (int fy = 0; fy < fieldHeight; ++fy) {
            for (int fx = 0; fx < fieldWidth; ++fx) {
                int x = fx - fieldBorder;
                int y = fy - fieldBorder;
                bool inside = x >= left && x < right && y >= top && y < bottom;
                uint32_t want = inside ? value : 0;
                if (HeatField[fy * fieldWidth + fx] != want && wrong++ < 3)
                    ADD_FAILURE() << name << ": cell (" << x << "," << y << ") is "
                                  << HeatField[fy * fieldWidth + fx];
            }
        }
    }

    std::vector<uint16_t> surface;
};

TEST_F(Burn, BurnsCellsWhereTheSurfaceShowsTheTextColour) {
    struct Case {
        COLORREF colour;
        uint16_t pixel;
        uint16_t nearMiss;
        uint32_t cell;
    };
    const Case cases[] = {
        {0x0000FF00, 0x07E0, 0x07C0, 0x0000FF00},
        {0x000080FF, 0xFC00, 0xFBE0, 0x00FF8000},
        {0x00FF0000, 0x001F, 0x001E, 0x000000FF},
        // The low bits are lost in the pixel but the cell keeps the full
        // colour: green 0x81 shows as the same 0xFC00 as 0x80.
        {0x000081FF, 0xFC00, 0xFC20, 0x00FF8100},
    };
    for (const Case& c : cases) {
        for (uint16_t& p : surface) p = 0;
        for (int i = 0; i < fieldWidth * fieldHeight; ++i) HeatField[i] = 0;
        Pixel(10, 5) = c.pixel;
        Pixel(11, 5) = c.nearMiss;
        Pixel(12, 9) = c.pixel;  // a later row, found through the pitch
        Pixel(30, 5) = c.pixel;  // outside the box
        BurnBox(8, 4, 10, 8, c.colour);
        EXPECT_EQ(Cell(10, 5), c.cell) << std::hex << c.colour;
        EXPECT_EQ(Cell(12, 9), c.cell) << std::hex << c.colour;
        EXPECT_EQ(Cell(11, 5), 0u) << std::hex << c.colour;
        EXPECT_EQ(Cell(30, 5), 0u) << std::hex << c.colour;
        int hot = 0;
        for (int i = 0; i < fieldWidth * fieldHeight; ++i) hot += HeatField[i] != 0;
        EXPECT_EQ(hot, 2) << std::hex << c.colour;
    }
}

TEST_F(Burn, OtherCellsOfTheBoxKeepTheirHeat) {
    Pixel(5, 5) = 0x07E0;
    HeatField[(6 + fieldBorder) * fieldWidth + fieldBorder + 6] = 0x00123456;
    BurnBox(0, 0, 10, 10, 0x0000FF00);
    EXPECT_EQ(Cell(5, 5), 0x0000FF00u);
    EXPECT_EQ(Cell(6, 6), 0x00123456u);
}

TEST_F(Burn, ABackgroundOfTheSameColourIsBurntAcrossTheWholeBox) {
    for (uint16_t& p : surface) p = 0x001F;
    BurnBox(5, 6, 10, 4, 0x00FF0000);
    ExpectBurntExactly(5, 6, 15, 10, 0x000000FF, "box 5,6 10x4");
}

TEST_F(Burn, AnEmptyBoxBurnsNothing) {
    for (uint16_t& p : surface) p = 0x07E0;
    const int boxes[][4] = {{5, 5, 0, 16}, {5, 5, 16, 0}, {5, 5, 0, 0}, {5, 5, -3, 4},
                            {5, 5, 4, -3}};
    for (const auto& b : boxes) {
        BurnBox(b[0], b[1], b[2], b[3], 0x0000FF00);
        ExpectBurntExactly(0, 0, 0, 0, 0, "empty box");
    }
}

// Every pixel matches, the pitch's slack past the screen too: a box that
// reaches past an edge must burn only its visible part and never the border
// cells that the slack or an unclipped box would map to.
TEST_F(Burn, ABoxPastTheScreenIsClippedToIt) {
    for (uint16_t& p : surface) p = 0x07E0;
    struct Case {
        const char* name;
        int x, y, cx, cy;
        int left, top, right, bottom;  // what is burnt
    };
    const Case cases[] = {
        {"negative corner", -5, -7, 20, 20, 0, 0, 15, 13},
        {"past the right and bottom", 30, 25, 20, 20, 30, 25, 40, 30},
        {"exactly the screen", 0, 0, kWidth, kHeight, 0, 0, kWidth, kHeight},
        {"one row and column short", 1, 1, kWidth - 1, kHeight - 1, 1, 1, kWidth, kHeight},
        {"wider than the screen", -30, 10, 101, 3, 0, 10, kWidth, 13},
        {"huge font", -1000000, -1000000, 3000000, 3000000, 0, 0, kWidth, kHeight},
        {"sums past INT_MAX", 10, 10, INT_MAX, INT_MAX, 10, 10, kWidth, kHeight},
        {"right of the screen", kWidth, 0, 10, 10, 0, 0, 0, 0},
        {"below the screen", 0, kHeight, 10, 10, 0, 0, 0, 0},
        {"left of the screen", -10, 0, 10, 10, 0, 0, 0, 0},
        {"above the screen", 0, -10, 10, 10, 0, 0, 0, 0},
        {"far away", INT_MIN, INT_MIN, 5, 5, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        for (int i = 0; i < fieldWidth * fieldHeight; ++i) HeatField[i] = 0;
        BurnBox(c.x, c.y, c.cx, c.cy, 0x0000FF00);
        ExpectBurntExactly(c.left, c.top, c.right, c.bottom, 0x0000FF00, c.name);
    }
}

TEST_F(Burn, NothingToReadOrWriteBurnsNothing) {
    BurnTextIntoField(nullptr, kPitch * 2, 0, 0, 10, 10, 0x0000FF00);
    BurnTextIntoField(surface.data(), 0, 0, 0, 10, 10, 0);
    FreeHeatField();
    BurnTextIntoField(surface.data(), kPitch * 2, 0, 0, 10, 10, 0);
    SUCCEED();
}

TEST(OverlayDraw, ForwardsToTheInstalledPlatformOnly) {
    LOGFONTA font = {};
    RecordingPlatform recorder;
    const std::vector<DrawCall>& drawn = recorder.draws;
    DrawOverlayText("unseen", 4, 2, 0x00FFFFFF, &font, 0, 0);  // the null platform: nothing
    {
        InstalledPlatform installed(recorder);
        DrawOverlayText("Top", 4, 2, 0x00112233, &font, 0, 1);
        DrawOverlayText(nullptr, 4, 2, 0x00112233, &font, 0, 0);  // nothing to draw
        DrawOverlayText("Top", 4, 2, 0x00112233, nullptr, 0, 0);  // no font: nothing
    }
    DrawOverlayText("unseen", 4, 2, 0x00FFFFFF, &font, 0, 0);  // the null one is back
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].text, "Top");
    EXPECT_EQ(drawn[0].x, 4);
    EXPECT_EQ(drawn[0].y, 2);
    EXPECT_EQ(drawn[0].colour, 0x00112233u);
    EXPECT_EQ(drawn[0].font, &font);
    EXPECT_EQ(drawn[0].centred, 0);
    EXPECT_EQ(drawn[0].bottomRight, 1);
}

}  // namespace
