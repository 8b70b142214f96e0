// The installed platform and the null one that stands in until run mode
// installs its own.
#include "platform/Platform.h"

namespace {

NullPlatform nullPlatform;
Platform* installed = &nullPlatform;

}  // namespace

Platform& ThePlatform() { return *installed; }

void InstallPlatform(Platform* platform) { installed = platform != nullptr ? platform : &nullPlatform; }
