#include "area_list.h"

#include <fstream>

namespace {

constexpr const char* blanks = " \t\r";

std::string trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::optional<ListedPicture> listedPicture(const std::string& line, const std::string& source) {
    const std::size_t gap = line.find_first_of(blanks);
    if (gap == std::string::npos) {
        return std::nullopt;
    }
    std::optional<ReferenceRectangle> rectangle = parseRectangle(source, line.substr(0, gap));
    std::string picture = trimmed(line.substr(gap));
    if (!rectangle || picture.empty()) {
        return std::nullopt;
    }
    return ListedPicture{std::move(picture), std::move(*rectangle)};
}

} // namespace

std::optional<std::vector<ListedPicture>> readAreaList(const std::string& file,
                                                       std::string& problem) {
    std::ifstream in(file);
    if (!in) {
        problem = file + ": the list cannot be read";
        return std::nullopt;
    }
    std::vector<ListedPicture> pictures;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        line = trimmed(line);
        if (line.empty() || line.starts_with('#')) {
            continue;
        }
        const std::string source = file + " line " + std::to_string(number);
        std::optional<ListedPicture> listed = listedPicture(line, source);
        if (!listed) {
            problem = source + ": expected a rectangle LEFT,TOP,RIGHT,BOTTOM (in pixels or "
                               "percent), then the picture";
            return std::nullopt;
        }
        pictures.push_back(std::move(*listed));
    }
    if (pictures.empty()) {
        problem = file + ": the list names no picture";
        return std::nullopt;
    }
    return pictures;
}
