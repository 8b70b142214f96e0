// The one application object, built before the framework starts.
#include "app/SaverApp_win.h"

CRocketSaverApp theApp;
