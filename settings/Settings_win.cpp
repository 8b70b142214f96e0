// The settings' INI file beside the executable, read and written through the
// system's profile-string functions.
#include <windows.h>

#include <cstring>

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

// The folder part is shorter than the module buffer, plus the file name.
const size_t kIniPathSize = MAX_PATH + 16;

// The copy a save is written to, beside the file it will replace: the same
// folder, so that the replacement is a rename within one volume.
const char kCopySuffix[] = ".tmp";

void RemoveCopy(const char* copy) {
    SetFileAttributesA(copy, FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(copy);
}

// Starts the copy from the file's present bytes, so that sections and keys
// a user added stay; from nothing when there is no file yet.
bool StartCopy(const char* path, const char* copy) {
    RemoveCopy(copy);
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    // A file the user marked read-only is not replaced behind their back.
    if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) return false;
    return CopyFileA(path, copy, FALSE) != 0;
}

// The copy's bytes on the disk before it takes the file's place, so that a
// machine that loses its power then finds one whole file or the other.
bool FlushCopy(const char* copy) {
    // The profile functions may keep the file in memory: write it out and
    // let go of it, so that the next save reads the copy afresh.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, copy);
    HANDLE file = CreateFileA(copy, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    BOOL flushed = FlushFileBuffers(file);
    CloseHandle(file);
    return flushed != 0;
}

}  // namespace

int SettingsIniPath(char* out, size_t outSize) {
    char module[MAX_PATH];
    DWORD copied = GetModuleFileNameA(NULL, module, sizeof module);
    return BuildIniPath(module, copied, sizeof module, out, outSize, SystemLeadByte);
}

void LoadSettingsFromFile(const char* path) {
    IniFileStore store(path);
    LoadSettingsFrom(store);
}

int SaveSettingsToFile(const char* path, ProfileStore* (*interpose)(ProfileStore& copy)) {
    char copy[kIniPathSize + sizeof kCopySuffix];
    size_t length = std::strlen(path);
    if (length == 0 || length + sizeof kCopySuffix > sizeof copy) return 0;
    std::memcpy(copy, path, length);
    std::memcpy(copy + length, kCopySuffix, sizeof kCopySuffix);

    if (!StartCopy(path, copy)) {
        RemoveCopy(copy);
        return 0;
    }
    IniFileStore store(copy);
    ProfileStore* target = interpose != nullptr ? interpose(store) : &store;
    bool saved = SaveSettingsTo(*target);
    saved = FlushCopy(copy) && saved;
    // One rename puts the whole new file in place of the whole old one.
    if (!saved || !MoveFileExA(copy, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        RemoveCopy(copy);
        return 0;
    }
    return 1;
}

void LoadSettings() {
    char path[kIniPathSize];
    if (!SettingsIniPath(path, sizeof path)) {
        LoadDefaultSettings();
        return;
    }
    LoadSettingsFromFile(path);
}

int SaveSettings() {
    char path[kIniPathSize];
    // Without a trustworthy path there is nowhere sound to store anything.
    if (!SettingsIniPath(path, sizeof path)) return 0;
    return SaveSettingsToFile(path);
}
