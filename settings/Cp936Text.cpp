// The text rules of code page 936: where a character ends, and how a text is
// cut to a field without splitting one.
#include "settings/Cp936Text.h"

#include <cstring>

bool IsLeadByte936(unsigned char c) { return c >= 0x81 && c <= 0xFE; }
bool IsTrailByte936(unsigned char c) { return c >= 0x40 && c <= 0xFE && c != 0x7F; }

size_t UnitLength(const char* text, size_t i, size_t length) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (i + 1 < length) {
        unsigned char next = static_cast<unsigned char>(text[i + 1]);
        if (IsLeadByte936(c) && IsTrailByte936(next)) return 2;
        if (c == '\r' && next == '\n') return 2;
    }
    return 1;
}

size_t FitLength(const char* text, size_t length, size_t limit) {
    size_t i = 0;
    while (i < length) {
        size_t unit = UnitLength(text, i, length);
        if (i + unit > limit) break;
        i += unit;
    }
    return i;
}

size_t FieldLength(const char* field, size_t fieldSize) {
    const void* end = std::memchr(field, '\0', fieldSize);
    return end ? static_cast<size_t>(static_cast<const char*>(end) - field) : fieldSize;
}

namespace {

size_t CopyBounded(char* dest, size_t destSize, const char* text, size_t length) {
    length = FitLength(text, length, destSize - 1);
    std::memset(dest, 0, destSize);
    std::memcpy(dest, text, length);
    return length;
}

}  // namespace

size_t CopyTextBounded(char* dest, size_t destSize, const char* text) {
    return CopyBounded(dest, destSize, text, std::strlen(text));
}

size_t CopyFieldBounded(char* dest, size_t destSize, const char* field, size_t fieldSize) {
    return CopyBounded(dest, destSize, field, FieldLength(field, fieldSize));
}
