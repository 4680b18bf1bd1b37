// The pictures of a run read from a list (--files-from, or standard input), as find, ls, split
// or GNU parallel make one: one name a line, or names ended by NUL bytes (find -print0) for
// names that hold line ends.
#pragma once

#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <vector>

enum class NameSeparator : std::uint8_t {
    Line, // a CR just before the LF, or at the end of the last line, is no part of the name
    Nul,  // names exactly as they stand between the NUL bytes
};

// The names in `in`, in their order; empty names are skipped. Nothing else is trimmed: spaces
// and tabs belong to the name.
std::vector<std::string> readNames(std::istream& in, NameSeparator separator);

// The names in the file `list`, or on standard input when `list` is "-"; nothing when the list
// cannot be read.
std::optional<std::vector<std::string>> readNameList(const std::string& list,
                                                     NameSeparator separator);
