// Every packed blur path against the per-cell one, frame after frame, on
// random fields: the four display sizes, wide pitches, tiny and odd widths,
// twinkle intervals from 1 up.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "blur/Blur.h"
#include "engine/Geometry.h"
#include "tests/blur/BlurScene.h"

namespace {

class BlurEquivalence : public ::testing::TestWithParam<BlurPath> {
protected:
    void SetUp() override {
        if (!BlurPathSupported(GetParam())) GTEST_SKIP() << "processor lacks this path";
    }
};

// Fills the whole field, border and top bytes included, in one of a few
// moods: pure noise (flares everywhere), a dark show with bright sparks,
// dim glow, or everything at full.
void FillField(std::vector<uint32_t>& cells, std::mt19937& random, int mood) {
    for (uint32_t& cell : cells) {
        const uint32_t r = random();
        switch (mood) {
            case 0: cell = r; break;
            case 1: cell = (r & 0xF) == 0 ? (r >> 4) & 0x00FFFFFFu : 0; break;
            case 2: cell = r & 0x1F1F1F1Fu; break;
            default: cell = 0xFFFFFFFFu; break;
        }
    }
}

// Between frames, what the particles would do: a few visible cells get a
// new colour.
void Sprinkle(std::vector<uint32_t>& cells, std::mt19937& random, int count) {
    for (int i = 0; i < count; ++i) {
        const int x = static_cast<int>(random() % static_cast<uint32_t>(screenWidth));
        const int y = static_cast<int>(random() % static_cast<uint32_t>(screenHeight));
        cells[static_cast<size_t>(y + fieldBorder) * fieldWidth + fieldBorder + x] =
            random() & 0x00FFFFFFu;
    }
}

::testing::AssertionResult SameWords(const char* what, const std::vector<uint32_t>& want,
                                     const std::vector<uint32_t>& got) {
    for (size_t i = 0; i < want.size(); ++i) {
        if (want[i] != got[i]) {
            return ::testing::AssertionFailure()
                   << what << " word " << i << " (x " << static_cast<long>(i % fieldWidth) - fieldBorder
                   << ", y " << static_cast<long>(i / fieldWidth) - fieldBorder << ") is 0x"
                   << std::hex << got[i] << ", reference 0x" << want[i];
        }
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult SamePixels(const std::vector<uint16_t>& want,
                                      const std::vector<uint16_t>& got, int pitch) {
    for (size_t i = 0; i < want.size(); ++i) {
        if (want[i] != got[i]) {
            return ::testing::AssertionFailure()
                   << "pixel (" << i % pitch << "," << i / pitch << ") is 0x" << std::hex << got[i]
                   << ", reference 0x" << want[i];
        }
    }
    return ::testing::AssertionSuccess();
}

// Runs frames on the reference and on the path from the same start, each
// with its own field carried from frame to frame, and compares the fields
// and the surfaces after every frame.
::testing::AssertionResult RunsLikeReference(BlurPath path, int width, int height, int pitch,
                                             const std::vector<int>& intervals, int mood,
                                             uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<uint32_t> referenceField;
    std::vector<uint32_t> pathField;
    BlurScene reference(width, height, pitch);
    BlurScene scene(width, height, pitch);
    if (!reference.ok() || !scene.ok()) return ::testing::AssertionFailure() << "no field";
    referenceField = scene.Field();
    FillField(referenceField, random, mood);
    pathField = referenceField;
    for (size_t frame = 0; frame < intervals.size(); ++frame) {
        reference.SetField(referenceField);
        reference.Blur(blurReference, intervals[frame]);
        referenceField = reference.Field();
        scene.SetField(pathField);
        scene.Blur(path, intervals[frame]);
        pathField = scene.Field();
        ::testing::AssertionResult same = SameWords("cell", referenceField, pathField);
        if (same) same = SamePixels(reference.surface(), scene.surface(), pitch);
        if (!same) {
            return same << " after frame " << frame << " (interval " << intervals[frame] << ") at "
                        << width << "x" << height << " pitch " << pitch << " mood " << mood;
        }
        Sprinkle(referenceField, random, 1 + width * height / 64);
        pathField = referenceField;
    }
    return ::testing::AssertionSuccess();
}

TEST_P(BlurEquivalence, DisplaySizes) {
    const struct {
        int width, height;
    } sizes[] = {{640, 480}, {800, 600}, {1024, 768}, {1280, 1024}};
    uint32_t seed = 1;
    for (const auto& size : sizes) {
        // The saver's own intervals, a short one (a flare every few cells),
        // one that never fires; pitches as the display gives them and wider.
        EXPECT_TRUE(RunsLikeReference(GetParam(), size.width, size.height, size.width,
                                      {792, 2796, 13}, 0, seed++));
        EXPECT_TRUE(RunsLikeReference(GetParam(), size.width, size.height, size.width + 37,
                                      {1000000, 1501}, 1, seed++));
    }
}

// Every width from 1 to 17, odd and even, a few heights and pitches, and
// every twinkle interval up to past the number of cells, three frames each.
TEST_P(BlurEquivalence, SmallWidthsEveryInterval) {
    uint32_t seed = 100;
    for (int width = 1; width <= 17; ++width) {
        for (int height : {1, 2, 5}) {
            for (int pitch : {width, width + 3}) {
                for (int interval = 1; interval <= width * height + 2; ++interval) {
                    const int mood = interval % 4;
                    ASSERT_TRUE(RunsLikeReference(GetParam(), width, height, pitch,
                                                  {interval, interval, interval}, mood, seed++));
                }
            }
        }
    }
}

// Widths around the packed loops' register and group sizes, with intervals
// that put one, several or many candidates in a row.
TEST_P(BlurEquivalence, WidthsAroundRegisterSizes) {
    uint32_t seed = 5000;
    for (int width : {18, 23, 24, 31, 32, 33, 47, 48, 63, 64, 65, 100}) {
        for (int interval : {1, 2, 3, 4, 5, 7, 8, 9, 15, 16, 17, 31, 33, 63, 64, 65, 99, 101, 792}) {
            const int mood = static_cast<int>(seed % 4);
            ASSERT_TRUE(RunsLikeReference(GetParam(), width, 7, width + (interval & 1),
                                          {interval, interval + 1, interval}, mood, seed++));
        }
    }
}

// Fields tall enough for blocks of many rows, heights around those blocks and
// widths around eight columns, with candidates from every cell to a few per
// block: rows left over under the last block and cells left over at the end
// of each row go other ways and must join up exactly.
TEST_P(BlurEquivalence, TallFieldsAroundBlockSizes) {
    uint32_t seed = 9000;
    for (int height : {15, 16, 17, 31, 32, 33, 36, 50}) {
        for (int width : {8, 9, 15, 16, 17, 24, 31, 41, 64, 72}) {
            for (int interval : {1, 2, 3, 7, 8, 9, 16, 17, 100, 1000}) {
                const int mood = static_cast<int>(seed % 4);
                ASSERT_TRUE(RunsLikeReference(GetParam(), width, height, width + 2 * (interval & 1),
                                              {interval, interval + 5, interval}, mood, seed++));
            }
        }
    }
}

// An interval below 1 never twinkles on any path.
TEST_P(BlurEquivalence, IntervalBelowOne) {
    EXPECT_TRUE(RunsLikeReference(GetParam(), 40, 6, 40, {0, -1, -792}, 0, 77));
}

INSTANTIATE_TEST_SUITE_P(PackedPaths, BlurEquivalence, ::testing::Values(blurSse2, blurAvx2, blurAvx512,
                                                                               blurAvx512Vbmi),
                         [](const ::testing::TestParamInfo<BlurPath>& info) {
                             return std::string(BlurPathName(info.param));
                         });

}  // namespace
