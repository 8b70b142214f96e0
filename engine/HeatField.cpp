// Storage of the heat field.
#include "engine/HeatField.h"

#include <cstdlib>

uint32_t* HeatField = nullptr;

int AllocHeatField() {
    FreeHeatField();
    if (fieldWidth <= 0 || fieldHeight <= 0) return 0;
    size_t cells = static_cast<size_t>(fieldWidth) * static_cast<size_t>(fieldHeight);
    HeatField = static_cast<uint32_t*>(std::calloc(cells, sizeof(uint32_t)));
    return HeatField != nullptr ? 1 : 0;
}

void FreeHeatField() {
    std::free(HeatField);
    HeatField = nullptr;
}
