// The text rules of code page 936, which the settings' texts are written in:
// which bytes start and end a double-byte character, where a character ends,
// and how a text is cut to a fixed-size field without splitting one.
#pragma once

#include <cstddef>

// The first and the second byte of a double-byte character.
bool IsLeadByte936(unsigned char c);
bool IsTrailByte936(unsigned char c);

// Bytes taken by the character at text[i] of a text of length bytes: a
// double-byte character and a CR LF pair are kept whole; a lead byte that has
// no trail byte after it stands alone.
size_t UnitLength(const char* text, size_t i, size_t length);

// The longest prefix of text (length bytes) of at most limit bytes that ends
// on a character boundary.
size_t FitLength(const char* text, size_t length, size_t limit);

// The length of a fixed-size field's text, never reading past the field even
// when its terminator is missing.
size_t FieldLength(const char* field, size_t fieldSize);

// Copies text into dest (destSize bytes, destSize >= 1), at most destSize - 1
// bytes, cut so that no double-byte character and no CR LF pair is split,
// and fills the rest of dest with zeros. Returns the number of bytes copied.
size_t CopyTextBounded(char* dest, size_t destSize, const char* text);
// The same for a fixed-size field (fieldSize bytes) that may lack its
// terminator: never reads past the field.
size_t CopyFieldBounded(char* dest, size_t destSize, const char* field, size_t fieldSize);
