// Storage of the heat field.
#include "engine/HeatField.h"

#include <cstring>
#include <new>

uint32_t* HeatField = nullptr;

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
void* heatFieldBlock = nullptr;

size_t LeadingCells() {
    const size_t firstVisible = static_cast<size_t>(fieldBorder) * fieldWidth + fieldBorder;
    const size_t perLine = 64 / sizeof(uint32_t);
    return (perLine - firstVisible % perLine) % perLine;
}

}  // namespace

int AllocHeatField() {
    FreeHeatField();
    if (fieldWidth <= 0 || fieldHeight <= 0) return 0;
    const size_t cells = static_cast<size_t>(fieldWidth) * static_cast<size_t>(fieldHeight);
    const size_t lead = LeadingCells();
    const size_t bytes = (lead + cells) * sizeof(uint32_t);
    heatFieldBlock = ::operator new(bytes, blockAlignment, std::nothrow);
    if (heatFieldBlock == nullptr) return 0;
    // Written, not merely zeroed on demand: every page is in place now, at
    // the start of run mode, rather than faulted in during the first frames.
    std::memset(heatFieldBlock, 0, bytes);
    HeatField = static_cast<uint32_t*>(heatFieldBlock) + lead;
    return 1;
}

void FreeHeatField() {
    if (heatFieldBlock != nullptr) ::operator delete(heatFieldBlock, blockAlignment);
    heatFieldBlock = nullptr;
    HeatField = nullptr;
}
