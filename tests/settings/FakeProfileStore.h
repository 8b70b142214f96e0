// An in-memory profile store for the settings tests: keeps sections and keys
// in the order they were first written, records every read and write, reads
// values back the way the platform does, and can refuse writes the way a
// read-only INI file does.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "settings/Settings.h"

class FakeProfileStore : public ProfileStore {
public:
    struct Access {
        std::string section;
        std::string key;
        std::string value;       // writes only
        unsigned long size = 0;  // reads only: the buffer offered
    };

    bool refuseWrites = false;
    size_t refuseWriteNumber = ~size_t(0);  // refuses only this write (0 is the first)
    std::vector<Access> reads;
    std::vector<Access> writes;  // every attempt, refused or not

    void Put(const std::string& section, const std::string& key, const std::string& value) {
        Section& s = FindOrAdd(section);
        for (auto& entry : s.keys) {
            if (entry.first == key) {
                entry.second = value;
                return;
            }
        }
        s.keys.emplace_back(key, value);
    }

    bool Has(const std::string& section, const std::string& key) const {
        return Find(section, key) != nullptr;
    }

    std::string Get(const std::string& section, const std::string& key) const {
        const std::string* value = Find(section, key);
        return value ? *value : std::string();
    }

    size_t SectionCount() const { return sections_.size(); }

    unsigned long ReadString(const char* section, const char* key, char* buffer,
                             unsigned long size) override {
        reads.push_back({section, key, std::string(), size});
        const std::string* value = Find(section, key);
        std::string text = value ? AsTheProfileFunctionsRead(*value) : std::string();
        // Like the platform: at most size - 1 bytes, always terminated.
        size_t n = text.size() < size - 1 ? text.size() : size - 1;
        text.copy(buffer, n);
        buffer[n] = '\0';
        return static_cast<unsigned long>(n);
    }

    bool WriteString(const char* section, const char* key, const char* value) override {
        writes.push_back({section, key, value, 0});
        if (refuseWrites || writes.size() - 1 == refuseWriteNumber) return false;
        Put(section, key, value);
        return true;
    }

    // What the platform's reader gives for a stored value: blanks at both
    // ends dropped, then one pair of matching quotes around it.
    static std::string AsTheProfileFunctionsRead(const std::string& stored) {
        size_t begin = stored.find_first_not_of(" \t");
        if (begin == std::string::npos) return std::string();
        std::string text = stored.substr(begin, stored.find_last_not_of(" \t") - begin + 1);
        if (text.size() >= 2 && (text[0] == '"' || text[0] == '\'') && text.back() == text[0])
            text = text.substr(1, text.size() - 2);
        return text;
    }

private:
    struct Section {
        std::string name;
        std::vector<std::pair<std::string, std::string>> keys;
    };
    std::vector<Section> sections_;

    Section& FindOrAdd(const std::string& name) {
        for (auto& s : sections_) {
            if (s.name == name) return s;
        }
        sections_.push_back({name, {}});
        return sections_.back();
    }

    const std::string* Find(const std::string& section, const std::string& key) const {
        for (const auto& s : sections_) {
            if (s.name != section) continue;
            for (const auto& entry : s.keys) {
                if (entry.first == key) return &entry.second;
            }
        }
        return nullptr;
    }
};
