// Feeds arbitrary bytes to the INI reader of the language files: no crash, and every section
// and key it reports keeps to the limits.
#include "ini_file.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    IniFile file;
    file.loadData(std::string(reinterpret_cast<const char*>(data), size));
    for (const IniFile::Section& section : file.sections()) {
        std::size_t keyBytes = 1;
        for (const IniFile::Entry& entry : section.entries) {
            keyBytes += entry.key.size() + 1;
            if (entry.value.size() > IniFile::maxValueLength) {
                std::abort();
            }
        }
        if (keyBytes > IniFile::maxKeyListBytes) {
            std::abort();
        }
        file.value(section.name, section.entries.empty() ? "" : section.entries.front().key);
    }
    return 0;
}
