// The settings record and its INI mapping: the rules that read it from and
// write it to the INI sections through a ProfileStore, and the INI file's
// name beside the executable. The code-page-936 text rules it cuts texts
// with are in Cp936Text.cpp.
#include "settings/Settings.h"

#include <climits>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "settings/Cp936Text.h"
#include "settings/DisplayModes.h"

SettingsRecord Settings;

namespace {

const char kSetSection[] = "Set";
const char kMonitorsSection[] = "Monitors";
const char kIniFileName[] = "Glimmerax.ini";

// Read buffers. The numbers use the sizes the file has always been read
// with. The texts are read one step wider than their fields so a cut can
// see whether the last byte that fits starts a double-byte character.
const unsigned long kSetNumberBuffer = 250;
const unsigned long kFontKeyBuffer = 128;
const unsigned long kLineTextBuffer = sizeof(Settings.TopText) + 1;
// "|@|" is three bytes for what is one or two in memory, so the largest
// MidText (2047 line breaks) takes 6141 bytes in the file.
const unsigned long kMidTextBuffer = 8192;
// Two more for the quotes a text with blanks or quotes at its ends is
// written in.
const size_t kMidTextEscaped = (sizeof(Settings.MidText) - 1) * 3 + 3;

// Reads numbers the way the C runtime's atoi does (leading white space, an
// optional sign, decimal digits up to the first other character, 0 without
// digits), except that a value too large for 32 bits saturates instead of
// being undefined.
int32_t ParseNumber(const char* text) {
    const char* p = text;
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\v' || *p == '\f' || *p == '\r') ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = (*p == '-');
        ++p;
    }
    // Stop accumulating once past the magnitude of INT_MIN; the remaining
    // digits cannot bring the value back into range.
    const long long limit = static_cast<long long>(INT_MAX) + 1;
    long long magnitude = 0;
    while (*p >= '0' && *p <= '9') {
        if (magnitude <= limit) magnitude = magnitude * 10 + (*p - '0');
        ++p;
    }
    if (negative) return magnitude >= limit ? INT_MIN : static_cast<int32_t>(-magnitude);
    return magnitude > INT_MAX ? INT_MAX : static_cast<int32_t>(magnitude);
}

// Reads section/key; false when the store gave nothing (missing or empty).
bool ReadValue(ProfileStore& store, const char* section, const char* key, char* buffer,
               unsigned long size) {
    buffer[0] = '\0';
    unsigned long copied = store.ReadString(section, key, buffer, size);
    buffer[size - 1] = '\0';
    return copied != 0 && buffer[0] != '\0';
}

int32_t ReadRanged(ProfileStore& store, const char* key, int32_t low, int32_t high,
                   int32_t fallback) {
    char buffer[kSetNumberBuffer];
    if (!ReadValue(store, kSetSection, key, buffer, sizeof buffer)) return fallback;
    int32_t value = ParseNumber(buffer);
    return (value < low || value > high) ? fallback : value;
}

void ReadLineText(ProfileStore& store, const char* key, char* field, size_t fieldSize) {
    char buffer[kLineTextBuffer];
    if (!ReadValue(store, kSetSection, key, buffer, sizeof buffer)) buffer[0] = '\0';
    CopyTextBounded(field, fieldSize, buffer);
}

// Turns every "|@|" back into CR LF, drops the line breaks at the end, and
// keeps what fits in MidText without splitting a character or a pair.
void ReadMidText(ProfileStore& store) {
    static char raw[kMidTextBuffer];
    static char text[kMidTextBuffer];
    size_t out = 0;
    if (ReadValue(store, kSetSection, "MidText", raw, sizeof raw)) {
        size_t length = std::strlen(raw);
        size_t i = 0;
        while (i < length) {
            // Walk whole characters: a trail byte may equal '|' or '@', and
            // must not start a marker.
            if (raw[i] == '|' && i + 2 < length && raw[i + 1] == '@' && raw[i + 2] == '|') {
                text[out++] = '\r';
                text[out++] = '\n';
                i += 3;
                continue;
            }
            size_t unit = UnitLength(raw, i, length);
            std::memcpy(text + out, raw + i, unit);
            out += unit;
            i += unit;
        }
    }
    out = FitLength(text, out, sizeof(Settings.MidText) - 1);
    while (out > 0 && (text[out - 1] == '\r' || text[out - 1] == '\n')) --out;
    std::memset(Settings.MidText, 0, sizeof Settings.MidText);
    std::memcpy(Settings.MidText, text, out);
}

// The fifteen keys of a font section, in the file's order, and the field of
// TextStyle each one holds: 4 bytes a signed number, 1 byte a number cut to
// its low byte (written unsigned: a character set of 134 is "134"), and the
// face name a text cut on a whole character.
struct FontKey {
    const char* key;
    size_t offset;
    size_t size;
};

#define FONT_FIELD(field) offsetof(TextStyle, logFont) + offsetof(LOGFONTA, field), \
                          sizeof(LOGFONTA::field)
const FontKey kFontKeys[] = {
    {"lfHeight", FONT_FIELD(lfHeight)},
    {"lfWidth", FONT_FIELD(lfWidth)},
    {"lfEscapement", FONT_FIELD(lfEscapement)},
    {"lfOrientation", FONT_FIELD(lfOrientation)},
    {"lfWeight", FONT_FIELD(lfWeight)},
    {"lfItalic", FONT_FIELD(lfItalic)},
    {"lfUnderline", FONT_FIELD(lfUnderline)},
    {"lfStrikeOut", FONT_FIELD(lfStrikeOut)},
    {"lfCharSet", FONT_FIELD(lfCharSet)},
    {"lfOutPrecision", FONT_FIELD(lfOutPrecision)},
    {"lfClipPrecision", FONT_FIELD(lfClipPrecision)},
    {"lfQuality", FONT_FIELD(lfQuality)},
    {"lfPitchAndFamily", FONT_FIELD(lfPitchAndFamily)},
    {"lfFaceName", FONT_FIELD(lfFaceName)},
    // Written as the signed number the file has always held.
    {"Color", offsetof(TextStyle, Color), sizeof(COLORREF)},
};
#undef FONT_FIELD

static_assert(sizeof(LOGFONTA::lfHeight) == 4 && sizeof(LOGFONTA::lfWeight) == 4 &&
                  sizeof(COLORREF) == 4 && sizeof(LOGFONTA::lfItalic) == 1,
              "the font keys' sizes say how each is read and written");

void ReadFont(ProfileStore& store, const char* section, TextStyle& style) {
    char buffer[kFontKeyBuffer];
    unsigned char* record = reinterpret_cast<unsigned char*>(&style);
    for (const FontKey& font : kFontKeys) {
        // A missing key reads as empty, which parses as 0.
        ReadValue(store, section, font.key, buffer, sizeof buffer);
        unsigned char* field = record + font.offset;
        if (font.size == 4) {
            const int32_t value = ParseNumber(buffer);
            std::memcpy(field, &value, sizeof value);
        } else if (font.size == 1) {
            *field = static_cast<uint8_t>(ParseNumber(buffer) & 0xFF);
        } else {
            // A longer stored name is cut to what LOGFONT holds, on a whole
            // character.
            CopyTextBounded(reinterpret_cast<char*>(field), font.size, buffer);
        }
    }
    // A colour outside 0..0xFFFFFF (a negative number included) is automatic.
    if (style.Color > 0xFFFFFFu) style.Color = 0;
}

bool WriteNumber(ProfileStore& store, const char* section, const char* key, int32_t value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%d", static_cast<int>(value));
    return store.WriteString(section, key, buffer);
}

bool IsEdgeCharacter(char c) { return c == ' ' || c == '\t' || c == '"' || c == '\''; }

// The profile functions drop blanks at both ends of a value and one pair of
// quotes around it, so "  hello  " would come back as "hello". A text that
// begins or ends with a blank or a quote goes out inside one more pair of
// double quotes, which every reader removes again; no other text changes, so
// files written before read as they always did. In code page 936 no trail
// byte is a blank or a quote, so the test of the last byte is sound.
// text holds length bytes and is followed by room for two more and a NUL.
void QuoteIfNeeded(char* text, size_t length) {
    if (length == 0 || (!IsEdgeCharacter(text[0]) && !IsEdgeCharacter(text[length - 1]))) {
        text[length] = '\0';
        return;
    }
    std::memmove(text + 1, text, length);
    text[0] = '"';
    text[length + 1] = '"';
    text[length + 2] = '\0';
}

bool WriteLineText(ProfileStore& store, const char* key, const char* field, size_t fieldSize) {
    char buffer[sizeof(Settings.TopText) + 2];
    size_t length = CopyFieldBounded(buffer, sizeof(Settings.TopText), field, fieldSize);
    QuoteIfNeeded(buffer, length);
    return store.WriteString(kSetSection, key, buffer);
}

// Every line break becomes "|@|" so the text stays on one INI line: a CR LF
// pair as the dialog writes it, and a lone CR or LF as well.
bool WriteMidText(ProfileStore& store) {
    static char escaped[kMidTextEscaped];
    const char* text = Settings.MidText;
    size_t length = FitLength(text, FieldLength(text, sizeof Settings.MidText),
                              sizeof Settings.MidText - 1);
    size_t out = 0;
    size_t i = 0;
    while (i < length) {
        size_t unit = UnitLength(text, i, length);
        if (text[i] == '\r' || text[i] == '\n') {
            std::memcpy(escaped + out, "|@|", 3);
            out += 3;
        } else {
            std::memcpy(escaped + out, text + i, unit);
            out += unit;
        }
        i += unit;
    }
    QuoteIfNeeded(escaped, out);
    return store.WriteString(kSetSection, "MidText", escaped);
}

bool WriteFont(ProfileStore& store, const char* section, const TextStyle& style) {
    const unsigned char* record = reinterpret_cast<const unsigned char*>(&style);
    // Every key is attempted even after a refusal; the caller learns of any.
    bool stored = true;
    for (const FontKey& font : kFontKeys) {
        const unsigned char* field = record + font.offset;
        if (font.size == 4) {
            int32_t value;
            std::memcpy(&value, field, sizeof value);
            stored &= WriteNumber(store, section, font.key, value);
        } else if (font.size == 1) {
            stored &= WriteNumber(store, section, font.key, *field);
        } else {
            char text[sizeof style.logFont.lfFaceName];
            CopyFieldBounded(text, sizeof text, reinterpret_cast<const char*>(field), font.size);
            stored &= store.WriteString(section, font.key, text);
        }
    }
    return stored;
}

}  // namespace

int BuildIniPath(const char* modulePath, unsigned long copied, unsigned long capacity,
                 char* out, size_t outSize, bool (*isLeadByte)(unsigned char)) {
    if (outSize > 0) out[0] = '\0';
    // A full buffer means the name was cut (and may lack its terminator).
    if (copied == 0 || copied >= capacity) return 0;
    if (!isLeadByte) isLeadByte = IsLeadByte936;
    size_t folder = 0;  // bytes up to and including the last backslash
    for (size_t i = 0; i < copied && modulePath[i] != '\0';) {
        unsigned char c = static_cast<unsigned char>(modulePath[i]);
        if (isLeadByte(c) && i + 1 < copied && modulePath[i + 1] != '\0') {
            i += 2;
            continue;
        }
        if (c == '\\') folder = i + 1;
        ++i;
    }
    if (folder == 0 || folder + sizeof kIniFileName > outSize) return 0;
    std::memcpy(out, modulePath, folder);
    std::memcpy(out + folder, kIniFileName, sizeof kIniFileName);
    return 1;
}

namespace {

// 0 only for a value of 0 itself (blanks around it allowed); any other
// value, and none, gives the fireworks.
int32_t ReadOtherMonitors(ProfileStore& store) {
    char buffer[kSetNumberBuffer];
    if (!ReadValue(store, kMonitorsSection, "OtherMonitors", buffer, sizeof buffer)) return 1;
    const char* p = buffer;
    while (*p == ' ' || *p == '\t') ++p;
    if (*p++ != '0') return 1;
    while (*p == ' ' || *p == '\t') ++p;
    return *p == '\0' ? 0 : 1;
}

}  // namespace

void LoadDefaultSettings() {
    std::memset(&Settings, 0, sizeof Settings);
    Settings.Resolution = defaultDisplayMode;
    Settings.MaxParticleNum = 300;
    Settings.Fps = 30;
    Settings.FpsShow = 1;
    Settings.OtherMonitors = 1;
}

void LoadSettingsFrom(ProfileStore& store) {
    Settings.Resolution = ReadRanged(store, "Resolution", 0, displayModeCount - 1, defaultDisplayMode);
    Settings.MaxParticleNum = ReadRanged(store, "MaxParticleNum", 100, 1000, 300);
    Settings.Fps = ReadRanged(store, "Fps", 15, 100, 30);
    char buffer[kSetNumberBuffer];
    Settings.FpsShow =
        ReadValue(store, kSetSection, "FpsShow", buffer, sizeof buffer) ? (ParseNumber(buffer) != 0) : 1;
    ReadLineText(store, "TopText", Settings.TopText, sizeof Settings.TopText);
    ReadLineText(store, "BottomText", Settings.BottomText, sizeof Settings.BottomText);
    ReadMidText(store);
    ReadFont(store, "TopFont", Settings.TopFont);
    ReadFont(store, "BottomFont", Settings.BottomFont);
    ReadFont(store, "MidFont", Settings.MidFont);
    Settings.OtherMonitors = ReadOtherMonitors(store);
}

bool SaveSettingsTo(ProfileStore& store) {
    // Every key is attempted, in the file's order, whatever the store refused.
    bool stored = WriteNumber(store, kSetSection, "Resolution", Settings.Resolution);
    stored &= WriteNumber(store, kSetSection, "MaxParticleNum", Settings.MaxParticleNum);
    stored &= WriteNumber(store, kSetSection, "Fps", Settings.Fps);
    stored &= WriteNumber(store, kSetSection, "FpsShow", Settings.FpsShow);
    stored &= WriteLineText(store, "TopText", Settings.TopText, sizeof Settings.TopText);
    stored &= WriteLineText(store, "BottomText", Settings.BottomText, sizeof Settings.BottomText);
    stored &= WriteMidText(store);
    stored &= WriteFont(store, "TopFont", Settings.TopFont);
    stored &= WriteFont(store, "BottomFont", Settings.BottomFont);
    stored &= WriteFont(store, "MidFont", Settings.MidFont);
    return stored;
}
