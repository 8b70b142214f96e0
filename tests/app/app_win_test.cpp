// The application object's dispatch: which mode runs for the host's switch,
// and what InitInstance returns to the framework.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/SaverApp_win.h"

namespace {

// An application whose modes only record that they ran.
class RecordingApp : public CSSApp {
public:
    int Configure() override {
        calls += "c";
        return 0;
    }
    int Preview() override {
        calls += "p";
        return 1;
    }
    int RunSaver() override {
        calls += "s";
        return 7;  // distinguishable from FALSE and TRUE
    }
    std::string calls;
};

struct DispatchCase {
    const char* arg;  // null: no argument
    const char* calls;
    BOOL result;
};

TEST(AppDispatch, EachSwitchRunsItsModeAndReturnsTheRightValue) {
    const DispatchCase cases[] = {
        {"/c", "c", FALSE},      {"-c", "c", FALSE},    {"c", "c", FALSE},
        {"/config", "c", FALSE}, {"/c:1234", "c", FALSE}, {"/p", "p", TRUE},
        {"/s", "s", 7},          {"-s", "s", 7},        {"/S", "s", FALSE},
        {"/C", "s", FALSE},      {"--c", "s", FALSE},   {nullptr, "s", FALSE},
    };
    int savedArgc = __argc;
    char** savedArgv = __argv;
    for (const DispatchCase& c : cases) {
        char program[] = "Glimmerax.scr";
        char arg[32] = {};
        char extra[] = "1234";
        char* argv[] = {program, arg, extra, nullptr};
        if (c.arg != nullptr) lstrcpynA(arg, c.arg, sizeof(arg));
        __argc = c.arg != nullptr ? 3 : 1;
        __argv = argv;
        RecordingApp app;
        BOOL result = app.InitInstance();
        EXPECT_EQ(app.calls, c.calls) << (c.arg != nullptr ? c.arg : "(none)");
        EXPECT_EQ(result, c.result) << (c.arg != nullptr ? c.arg : "(none)");
        EXPECT_STREQ(app.m_pszRegistryKey, "Zantic Screen Savers");
    }
    __argc = savedArgc;
    __argv = savedArgv;
}

TEST(AppDispatch, TheResolutionListGrowsInOrder) {
    CStringArray names;
    names.SetAtGrow(names.GetSize(), "640*480");
    names.SetAtGrow(names.GetSize(), "800*600");
    names.SetAtGrow(3, "1280*1024");
    ASSERT_EQ(names.GetSize(), 4);
    EXPECT_STREQ(names[0], "640*480");
    EXPECT_STREQ(names[1], "800*600");
    EXPECT_STREQ(names[2], "");
    EXPECT_STREQ(names[3], "1280*1024");
}

}  // namespace
