// Reading INI files as the language files need them: sections and the key lines of each
// section in file order, section names compared without regard to case, values cut at 1023
// characters and the key names of a section limited to 8192 bytes, as the profile reading of
// the program's original platform did.
#pragma once

#include <string>
#include <vector>

class IniFile {
public:
    static constexpr std::size_t maxValueLength = 1023;
    static constexpr std::size_t maxKeyListBytes = 8192;

    struct Entry {
        std::string key;
        std::string value;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries; // every key line, in file order
    };

    // Reads the file; false when it cannot be read.
    bool load(const std::string& path);
    // Parses text held in memory.
    bool loadData(const std::string& text);

    const std::vector<Section>& sections() const { return sections_; }
    // The section of that name (any case), or null.
    const Section* find(const std::string& name) const;
    // The value of the first line of `key` (any case) in `section`; empty when there is none.
    std::string value(const std::string& section, const std::string& key) const;

private:
    std::vector<Section> sections_;
};
