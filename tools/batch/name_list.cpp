#include "name_list.h"

#include <filesystem>
#include <fstream>
#include <iostream>

namespace {

// Lists written on Windows end their lines with CR LF; a name that really ends with a CR can
// still be given in a NUL-separated list.
void dropCarriageReturn(std::string& name) {
    if (!name.empty() && name.back() == '\r') {
        name.pop_back();
    }
}

} // namespace

std::vector<std::string> readNames(std::istream& in, NameSeparator separator) {
    const char end = separator == NameSeparator::Nul ? '\0' : '\n';
    std::vector<std::string> names;
    for (std::string name; std::getline(in, name, end);) {
        if (separator == NameSeparator::Line) {
            dropCarriageReturn(name);
        }
        if (!name.empty()) {
            names.push_back(std::move(name));
        }
    }
    return names;
}

std::optional<std::vector<std::string>> readNameList(const std::string& list,
                                                     NameSeparator separator) {
    if (list == "-") {
        std::vector<std::string> names = readNames(std::cin, separator);
        return std::cin.bad() ? std::nullopt : std::make_optional(std::move(names));
    }
    std::ifstream file(list, std::ios::binary);
    if (!file || std::filesystem::is_directory(list)) {
        return std::nullopt;
    }
    std::vector<std::string> names = readNames(file, separator);
    return file.bad() ? std::nullopt : std::make_optional(std::move(names));
}
