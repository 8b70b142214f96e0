// Line drawing into the heat field and the cell colour conversions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

#include "engine/Geometry.h"
#include "engine/HeatField.h"

namespace {

using Cells = std::vector<std::pair<int, int>>;

// A small screen with its own field; the engine-wide sizes are put back
// afterwards for whatever test runs next.
class HeatLineTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_[0] = screenWidth;
        saved_[1] = screenHeight;
        saved_[2] = fieldWidth;
        saved_[3] = fieldHeight;
        Resize(12, 10);
    }
    void TearDown() override {
        FreeHeatField();
        screenWidth = saved_[0];
        screenHeight = saved_[1];
        fieldWidth = saved_[2];
        fieldHeight = saved_[3];
    }
    void Resize(int width, int height) {
        SetCanvasSize(width, height);
        ASSERT_EQ(AllocHeatField(), 1);
    }
    void Clear() {
        std::fill(HeatField, HeatField + fieldWidth * fieldHeight, 0u);
    }
    // Every written cell in screen coordinates, sorted by x, then y.
    Cells Written(uint32_t value) const {
        Cells cells;
        for (int row = 0; row < fieldHeight; ++row)
            for (int column = 0; column < fieldWidth; ++column)
                if (HeatField[row * fieldWidth + column] == value)
                    cells.push_back({column - fieldBorder, row - fieldBorder});
        return cells;
    }
    int CountNonZero() const {
        int n = 0;
        for (int i = 0; i < fieldWidth * fieldHeight; ++i) n += HeatField[i] != 0;
        return n;
    }

private:
    int32_t saved_[4];
};

Cells Sorted(Cells c) {
    std::sort(c.begin(), c.end());
    return c;
}

TEST_F(HeatLineTest, CellListsWithTheEarlyTieBreak) {
    struct Case {
        int x1, y1, x2, y2;
        Cells cells;
    };
    const Case cases[] = {
        // At an exact tie the minor axis steps early: (1,1), not (1,0).
        {0, 0, 2, 1, {{0, 0}, {1, 1}, {2, 1}}},
        {0, 0, 1, 2, {{0, 0}, {1, 1}, {1, 2}}},
        {0, 0, 4, 2, {{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 2}}},
        {5, 5, 2, 4, {{5, 5}, {4, 5}, {3, 4}, {2, 4}}},
        {0, 0, 0, 0, {{0, 0}}},
        {3, 3, 6, 6, {{3, 3}, {4, 4}, {5, 5}, {6, 6}}},
        {2, 7, 2, 4, {{2, 7}, {2, 6}, {2, 5}, {2, 4}}},
        {9, 1, 6, 1, {{9, 1}, {8, 1}, {7, 1}, {6, 1}}},
        // The border is part of the field.
        {-4, -4, -2, -4, {{-4, -4}, {-3, -4}, {-2, -4}}},
        {15, 13, 15, 13, {{15, 13}}},
    };
    for (const Case& c : cases) {
        Clear();
        DrawHeatLine(c.x1, c.y1, c.x2, c.y2, 0x00ABCDEFu);
        EXPECT_EQ(Written(0x00ABCDEFu), Sorted(c.cells))
            << "(" << c.x1 << "," << c.y1 << ")-(" << c.x2 << "," << c.y2 << ")";
        EXPECT_EQ(CountNonZero(), static_cast<int>(c.cells.size()));
    }
}

TEST_F(HeatLineTest, EitherDirectionWritesMaxOfDxDyPlusOneCells) {
    srand(3);
    for (int n = 0; n < 500; ++n) {
        int x1 = rand() % 20 - 4, y1 = rand() % 18 - 4;
        int x2 = rand() % 20 - 4, y2 = rand() % 18 - 4;
        int expected = std::max(std::abs(x2 - x1), std::abs(y2 - y1)) + 1;
        Clear();
        DrawHeatLine(x1, y1, x2, y2, 7);
        Cells forward = Written(7);
        ASSERT_EQ(static_cast<int>(forward.size()), expected);
        // Both end points are on the line.
        EXPECT_TRUE(std::count(forward.begin(), forward.end(), std::make_pair(x1, y1)));
        EXPECT_TRUE(std::count(forward.begin(), forward.end(), std::make_pair(x2, y2)));
        Clear();
        DrawHeatLine(x2, y2, x1, y1, 7);
        ASSERT_EQ(static_cast<int>(Written(7).size()), expected);
    }
}

TEST_F(HeatLineTest, OverwritesRatherThanBlends) {
    DrawHeatLine(0, 0, 3, 0, 0x00FF0000u);
    DrawHeatLine(1, 0, 1, 0, 0x000000FFu);
    EXPECT_EQ(Written(0x00FF0000u), (Cells{{0, 0}, {2, 0}, {3, 0}}));
    EXPECT_EQ(Written(0x000000FFu), (Cells{{1, 0}}));
}

TEST_F(HeatLineTest, CellsOffTheFieldAreSkipped) {
    // Just outside each edge of the field, border included: nothing at all.
    const int off[][4] = {
        {-5, 0, -5, 5}, {16, 0, 16, 5}, {0, -5, 5, -5}, {0, 14, 5, 14},
        {-100000, -100000, -90000, -95000}, {2000000000, 3, 2000000000, 3},
    };
    for (const auto& o : off) {
        Clear();
        DrawHeatLine(o[0], o[1], o[2], o[3], 9);
        EXPECT_EQ(CountNonZero(), 0) << o[0] << "," << o[1];
    }
    // A line crossing the field keeps exactly its cells on the field.
    Clear();
    DrawHeatLine(-10, 2, 25, 2, 9);
    Cells row;
    for (int x = -4; x < 16; ++x) row.push_back({x, 2});
    EXPECT_EQ(Written(9), row);
    // A steep one through a corner.
    Clear();
    DrawHeatLine(-8, -8, 20, 20, 9);
    Cells diagonal;
    for (int i = -4; i < 14; ++i) diagonal.push_back({i, i});
    EXPECT_EQ(Written(9), diagonal);
}

TEST_F(HeatLineTest, TheFieldAndTheScreenBoundEachWrite) {
    // A field larger than the screen needs: past the border is still off.
    fieldWidth += 3;
    fieldHeight += 3;
    ASSERT_EQ(AllocHeatField(), 1);
    DrawHeatLine(16, 2, 18, 2, 9);
    DrawHeatLine(2, 14, 2, 16, 9);
    EXPECT_EQ(CountNonZero(), 0);
    DrawHeatLine(15, 13, 18, 16, 9);
    EXPECT_EQ(Written(9), (Cells{{15, 13}}));
    // A field smaller than the screen says: the memory wins (ASan watches).
    fieldWidth = 6;
    fieldHeight = 5;
    ASSERT_EQ(AllocHeatField(), 1);
    DrawHeatLine(-4, -4, 13, 13, 9);
    DrawHeatLine(15, -4, -4, 13, 9);
    EXPECT_EQ(Written(9), (Cells{{-4, -4}, {-3, -3}, {-2, -2}, {-1, -1}, {0, 0}}));
}

TEST_F(HeatLineTest, ExtremeEndPointsDoNotOverflow) {
    // A far-flung end point only costs time over the cells on the way.
    DrawHeatLine(0, 0, 0, -3000000, 5);
    EXPECT_EQ(Written(5), (Cells{{0, -4}, {0, -3}, {0, -2}, {0, -1}, {0, 0}}));
    Clear();
    DrawHeatLine(-2147483647 - 1, 0, -2147483647 - 1, 1, 5);
    EXPECT_EQ(CountNonZero(), 0);
}

TEST_F(HeatLineTest, EveryVisibleRowStartsOnAWholePieceOfTheWidePaths) {
    // The display modes, a size whose rows are no multiple of 32 bytes apart,
    // and a field filled before: each new field is cold, its first visible
    // cell on a cache-line boundary, and at the display modes every visible
    // row on a 32-byte one.
    const std::pair<int, int> sizes[] = {{640, 480}, {800, 600}, {1024, 768}, {1280, 1024}, {13, 7}};
    for (const auto& size : sizes) {
        std::fill(HeatField, HeatField + fieldWidth * fieldHeight, 0xFFFFFFFFu);
        Resize(size.first, size.second);
        EXPECT_EQ(CountNonZero(), 0) << size.first;
        const uint32_t* first = HeatField + fieldBorder * fieldWidth + fieldBorder;
        EXPECT_EQ(reinterpret_cast<uintptr_t>(first) % 64, 0u) << size.first;
        if (size.first % 8 == 0) {
            EXPECT_EQ(reinterpret_cast<uintptr_t>(first + (screenHeight - 1) * fieldWidth) % 32, 0u);
        }
    }
}

TEST_F(HeatLineTest, NoFieldNoWrite) {
    FreeHeatField();
    DrawHeatLine(0, 0, 5, 5, 1);  // must not touch a null field
    EXPECT_EQ(HeatField, nullptr);
}

TEST(CellConversions, RGB565AndColorRef) {
    const std::pair<uint32_t, uint16_t> pixels[] = {
        {0x00FF0000u, 0xF800}, {0x0000FF00u, 0x07E0}, {0x000000FFu, 0x001F},
        {0x00123456u, 0x11AA}, {0x00F8FCF8u, 0xFFFF}, {0x00070307u, 0x0000},
        // One step below each channel's first kept bit: truncated, not rounded.
        {0x00F7FBF7u, 0xF7DE}, {0x00080408u, 0x0821}, {0x00FFFFFFu, 0xFFFF},
    };
    for (const auto& p : pixels) EXPECT_EQ(CellToRGB565(p.first), p.second) << std::hex << p.first;
    EXPECT_EQ(ColorRefToCell(0x00123456u), 0x00563412u);
    EXPECT_EQ(ColorRefToCell(0x000000FFu), 0x00FF0000u);  // GDI red is red
    EXPECT_EQ(ColorRefToCell(0xAB00FF00u), 0x0000FF00u);  // the top byte is dropped
}

}  // namespace
