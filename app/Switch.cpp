// The command-line switch test.
#include "app/Switch.h"

int MatchSwitch(const char* arg, const char* switchText) {
    if (arg == nullptr || switchText == nullptr) return 0;
    if (*arg == '-' || *arg == '/') ++arg;
    return *arg == *switchText && *arg != '\0' ? 1 : 0;
}
