// The command-line switch test.
#include "app/Switch.h"

#include <cstring>

int MatchSwitch(const char* arg, const char* switchText) {
    if (arg == nullptr || switchText == nullptr) return 0;
    if (*arg == '-' || *arg == '/') ++arg;
    return *arg == *switchText && *arg != '\0' ? 1 : 0;
}

namespace {

// A whole decimal number in 1 .. 0xFFFFFFFF, or 0.
unsigned long ParseHandle(const char* text) {
    if (text == nullptr || *text == '\0') return 0;
    unsigned long long value = 0;
    for (; *text != '\0'; ++text) {
        if (*text < '0' || *text > '9') return 0;
        value = value * 10 + static_cast<unsigned>(*text - '0');
        if (value > 0xFFFFFFFFull) return 0;
    }
    return static_cast<unsigned long>(value);
}

}  // namespace

unsigned long SwitchWindowHandle(const char* arg, const char* nextArg) {
    if (arg == nullptr) return 0;
    const char* colon = std::strchr(arg, ':');
    if (colon != nullptr) return ParseHandle(colon + 1);
    return ParseHandle(nextArg);
}
