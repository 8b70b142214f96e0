// Storage of the heat field.
#include "engine/HeatField.h"

#include <cstring>
#include <new>

uint32_t*& HeatField = primarySky.heatField;

namespace {

// The block the field lies in, and where in it the field starts. The packed
// blur paths read and write every visible row in 16- and 32-byte pieces from
// its first visible cell, and at every display mode the rows lie a multiple
// of 32 bytes apart; with the first visible cell on a 64-byte boundary no
// such piece straddles two cache lines, whatever alignment the C runtime's
// heap would have given (8 bytes on 32-bit Windows). The field is the block's
// tail, so its last cell is the block's last byte and a read past it is
// still a read past the allocation.
const std::align_val_t blockAlignment{64};

size_t LeadingCells(const Sky& sky) {
    const size_t firstVisible = static_cast<size_t>(fieldBorder) * sky.fieldWidth + fieldBorder;
    const size_t perLine = 64 / sizeof(uint32_t);
    return (perLine - firstVisible % perLine) % perLine;
}

}  // namespace

int AllocHeatField(Sky& sky) {
    FreeHeatField(sky);
    if (sky.fieldWidth <= 0 || sky.fieldHeight <= 0) return 0;
    const size_t cells = static_cast<size_t>(sky.fieldWidth) * static_cast<size_t>(sky.fieldHeight);
    const size_t lead = LeadingCells(sky);
    const size_t bytes = (lead + cells) * sizeof(uint32_t);
    sky.heatFieldBlock = ::operator new(bytes, blockAlignment, std::nothrow);
    if (sky.heatFieldBlock == nullptr) return 0;
    // Written, not merely zeroed on demand: every page is in place now, at
    // the start of run mode, rather than faulted in during the first frames.
    std::memset(sky.heatFieldBlock, 0, bytes);
    sky.heatField = static_cast<uint32_t*>(sky.heatFieldBlock) + lead;
    return 1;
}

int AllocHeatField() { return AllocHeatField(primarySky); }

void FreeHeatField(Sky& sky) {
    if (sky.heatFieldBlock != nullptr) ::operator delete(sky.heatFieldBlock, blockAlignment);
    sky.heatFieldBlock = nullptr;
    sky.heatField = nullptr;
}

void FreeHeatField() { FreeHeatField(primarySky); }
