// The settings' INI file beside the executable, read and written through the
// system's profile-string functions.
#include <windows.h>

#include "settings/Settings.h"

namespace {

// A ProfileStore over one INI file.
class IniFileStore : public ProfileStore {
public:
    explicit IniFileStore(const char* path) : path_(path) {}

    unsigned long ReadString(const char* section, const char* key, char* buffer,
                             unsigned long size) override {
        return GetPrivateProfileStringA(section, key, "", buffer, size, path_);
    }

    bool WriteString(const char* section, const char* key, const char* value) override {
        return WritePrivateProfileStringA(section, key, value, path_) != 0;
    }

private:
    const char* path_;
};

// The system's own code page decides which bytes start a double-byte
// character, so a folder name whose trail byte is '\' is not cut in two.
bool SystemLeadByte(unsigned char c) { return IsDBCSLeadByte(c) != 0; }

// Folder of the running executable + "Glimmerax.ini"; 0 when the module's
// path cannot be had whole.
int GetIniPath(char* out, size_t outSize) {
    char module[MAX_PATH];
    DWORD copied = GetModuleFileNameA(NULL, module, sizeof module);
    return BuildIniPath(module, copied, sizeof module, out, outSize, SystemLeadByte);
}

// The folder part is shorter than the module buffer, plus the file name.
const size_t kIniPathSize = MAX_PATH + 16;

}  // namespace

void LoadSettingsFromFile(const char* path) {
    IniFileStore store(path);
    LoadSettingsFrom(store);
}

void SaveSettingsToFile(const char* path) {
    IniFileStore store(path);
    SaveSettingsTo(store);
}

void LoadSettings() {
    char path[kIniPathSize];
    if (!GetIniPath(path, sizeof path)) {
        LoadDefaultSettings();
        return;
    }
    LoadSettingsFromFile(path);
}

void SaveSettings() {
    char path[kIniPathSize];
    // Without a trustworthy path there is nowhere sound to store anything.
    if (!GetIniPath(path, sizeof path)) return;
    SaveSettingsToFile(path);
}
