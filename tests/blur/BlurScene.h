// A screen of any size for the blur tests: sets the engine's sizes, owns the
// heat field and a surface, and puts the previous sizes back afterwards.
#pragma once

#include <cstdint>
#include <vector>

#include "blur/Blur.h"
#include "engine/Geometry.h"
#include "engine/HeatField.h"
#include "settings/Settings.h"

// Surface words nobody wrote: any pixel the blur should not touch keeps it.
const uint16_t untouchedPixel = 0xBEEF;

class BlurScene {
public:
    // A width x height screen with a cold field and an untouched surface of
    // exactly pitch * (height - 1) + width pixels, so a write past the last
    // pixel leaves the buffer (and the address sanitizer sees it).
    BlurScene(int width, int height, int pitch)
        : savedWidth_(screenWidth),
          savedHeight_(screenHeight),
          savedFieldWidth_(fieldWidth),
          savedFieldHeight_(fieldHeight),
          pitch_(pitch) {
        SetCanvasSize(width, height);
        ok_ = AllocHeatField();
        surface_.assign(static_cast<size_t>(pitch) * (height - 1) + width, untouchedPixel);
    }
    ~BlurScene() {
        FreeHeatField();
        screenWidth = savedWidth_;
        screenHeight = savedHeight_;
        fieldWidth = savedFieldWidth_;
        fieldHeight = savedFieldHeight_;
    }
    BlurScene(const BlurScene&) = delete;
    BlurScene& operator=(const BlurScene&) = delete;

    bool ok() const { return ok_ != 0; }
    int pitch() const { return pitch_; }

    // The cell of screen position (x, y); the border is x or y in -4..-1 or
    // at and past the screen's width or height.
    uint32_t& Cell(int x, int y) {
        return HeatField[static_cast<long>(y + fieldBorder) * fieldWidth + fieldBorder + x];
    }
    uint16_t& Pixel(int x, int y) { return surface_[static_cast<size_t>(y) * pitch_ + x]; }
    std::vector<uint16_t>& surface() { return surface_; }

    std::vector<uint32_t> Field() const {
        return std::vector<uint32_t>(HeatField, HeatField + static_cast<long>(fieldWidth) * fieldHeight);
    }
    void SetField(const std::vector<uint32_t>& cells) {
        for (size_t i = 0; i < cells.size(); ++i) HeatField[i] = cells[i];
    }

    void Blur(BlurPath path, int twinkleInterval) {
        BlurFunctionFor(path)(primarySky, surface_.data(), pitch_, twinkleInterval);
    }

private:
    int32_t savedWidth_, savedHeight_, savedFieldWidth_, savedFieldHeight_;
    int pitch_;
    int ok_ = 0;
    std::vector<uint16_t> surface_;
};
