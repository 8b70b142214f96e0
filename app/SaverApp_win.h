// The application object: start-up and the choice between configure,
// preview and run.
#pragma once

#include "framework/Afx_win.h"

// The screen-saver application: reads the host's switch and runs one mode.
class CSSApp : public CWinApp {
public:
    CSSApp();

    // The mode dispatch: "c" configure (returns FALSE after the dialog),
    // "p" preview (returns Preview's result), "s" run (returns RunSaver's
    // result); anything else runs and returns FALSE.
    BOOL InitInstance() override;

    virtual int Configure();
    virtual int Preview();
    virtual int RunSaver();
};

// The one application object of the process.
class CRocketSaverApp : public CSSApp {
public:
    BOOL InitInstance() override;
    int Configure() override;
    int Preview() override;
    int RunSaver() override;
};

// The first and second command-line arguments, or null when absent.
const char* FirstArgument();
const char* SecondArgument();
