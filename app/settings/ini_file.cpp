#include "ini_file.h"

#define SI_NO_CONVERSION
#include <SimpleIni.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <strings.h>

namespace {

// Values in quotes lose them, as profile reading does.
std::string unquoted(std::string value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    if (value.size() > IniFile::maxValueLength) {
        value.resize(IniFile::maxValueLength);
    }
    return value;
}

// The key lines of a section in file order, as many as fit the key-list limit: each name with
// its terminating zero, and a final zero.
std::vector<IniFile::Entry> entriesOf(const CSimpleIniA& ini, const char* section) {
    const CSimpleIniA::TKeyVal* keys = ini.GetSection(section);
    std::vector<std::pair<int, IniFile::Entry>> ordered;
    if (keys != nullptr) {
        for (const auto& [key, value] : *keys) {
            ordered.push_back({key.nOrder, {key.pItem, unquoted(value != nullptr ? value : "")}});
        }
    }
    std::sort(ordered.begin(), ordered.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<IniFile::Entry> entries;
    std::size_t listBytes = 1;
    for (auto& [order, entry] : ordered) {
        listBytes += entry.key.size() + 1;
        if (listBytes > IniFile::maxKeyListBytes) {
            break;
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

} // namespace

bool IniFile::load(const std::string& path) {
    // A folder or a device of that name opens as a stream but fails (or throws) on reading.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    try {
        const std::string text{std::istreambuf_iterator<char>(in),
                               std::istreambuf_iterator<char>()};
        return !in.bad() && loadData(text);
    } catch (const std::ios_base::failure&) {
        return false;
    }
}

bool IniFile::loadData(const std::string& text) {
    sections_.clear();
    CSimpleIniA ini(false, true,
                    false); // not UTF-8 validated, every key line kept, one-line values
    if (ini.LoadData(text.data(), text.size()) < 0) {
        return false;
    }
    CSimpleIniA::TNamesDepend names;
    ini.GetAllSections(names);
    names.sort(CSimpleIniA::Entry::LoadOrder());
    for (const CSimpleIniA::Entry& name : names) {
        sections_.push_back({name.pItem, entriesOf(ini, name.pItem)});
    }
    return true;
}

const IniFile::Section* IniFile::find(const std::string& name) const {
    const auto it = std::find_if(sections_.begin(), sections_.end(), [&](const Section& s) {
        return ::strcasecmp(s.name.c_str(), name.c_str()) == 0;
    });
    return it == sections_.end() ? nullptr : &*it;
}

std::string IniFile::value(const std::string& section, const std::string& key) const {
    const Section* s = find(section);
    if (s == nullptr) {
        return {};
    }
    const auto it = std::find_if(s->entries.begin(), s->entries.end(), [&](const Entry& e) {
        return ::strcasecmp(e.key.c_str(), key.c_str()) == 0;
    });
    return it == s->entries.end() ? std::string() : it->value;
}
