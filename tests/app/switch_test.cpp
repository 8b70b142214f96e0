// The host's switch: which first arguments select configure, preview or run.
#include <gtest/gtest.h>

#include "app/Switch.h"

namespace {

struct SwitchCase {
    const char* arg;
    const char* mode;  // "c", "p" or "s" (run is also the default)
};

// Mirrors the dispatch order of the application object: configure, then
// preview, then run; anything unmatched runs as well.
const char* ModeFor(const char* arg) {
    if (arg != nullptr && MatchSwitch(arg, "c")) return "c";
    if (arg != nullptr && MatchSwitch(arg, "p")) return "p";
    return "s";
}

TEST(MatchSwitch, SelectsTheModeWithNearMisses) {
    const SwitchCase cases[] = {
        {"c", "c"},       {"/c", "c"},       {"-c", "c"},     {"/config", "c"}, {"/c:1234", "c"},
        {"/C", "s"},      {"/S", "s"},       {"--c", "s"},    {"-s", "s"},      {"/s", "s"},
        {"s", "s"},       {nullptr, "s"},    {"", "s"},       {"/", "s"},       {"-", "s"},
        {"/p", "p"},      {"p", "p"},        {"-p", "p"},     {"/P", "s"},      {"//c", "s"},
        {"-/c", "s"},     {" /c", "s"},      {"x", "s"},      {"/preview", "p"},
    };
    for (const SwitchCase& c : cases) {
        EXPECT_STREQ(ModeFor(c.arg), c.mode) << "argument " << (c.arg != nullptr ? c.arg : "(none)");
    }
}

TEST(MatchSwitch, ComparesOnlyOneCharacterAfterTheLeader) {
    EXPECT_EQ(MatchSwitch("/p", "p"), 1);
    EXPECT_EQ(MatchSwitch("/p 1234", "p"), 1);
    EXPECT_EQ(MatchSwitch("/s", "c"), 0);
    // A switch text longer than one letter still compares its first only.
    EXPECT_EQ(MatchSwitch("/c", "config"), 1);
    // An empty switch text names nothing, not even an empty argument.
    EXPECT_EQ(MatchSwitch("", ""), 0);
    EXPECT_EQ(MatchSwitch("/", ""), 0);
}

TEST(SwitchWindowHandle, TakesTheHandleAfterAColonOrAsTheNextArgument) {
    struct HandleCase {
        const char* arg;
        const char* next;
        unsigned long handle;
    };
    const HandleCase cases[] = {
        {"/p", "1234", 1234},       {"/p:1234", nullptr, 1234}, {"/p:1234", "99", 1234},
        {"-p", "4294967295", 0xFFFFFFFFul},                      {"/p", "4294967296", 0},
        {"/p", nullptr, 0},         {"/p", "", 0},              {"/p:", "1234", 0},
        {"/p", "12ab", 0},          {"/p", "-5", 0},            {"/p", " 1234", 0},
        {"/p", "0x4d2", 0},         {"/p:12 34", nullptr, 0},   {nullptr, "1234", 0},
        {"/p", "99999999999999999999", 0},
    };
    for (const HandleCase& c : cases) {
        EXPECT_EQ(SwitchWindowHandle(c.arg, c.next), c.handle)
            << (c.arg != nullptr ? c.arg : "(none)") << " " << (c.next != nullptr ? c.next : "(none)");
    }
}

}  // namespace
