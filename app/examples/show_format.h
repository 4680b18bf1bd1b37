// The example file's layout, shared by its reader and writer. All integers are little-endian;
// a string is a 32-bit byte count and that many bytes, without a terminator.
//
//   "HMSHOW"                       6 bytes, no terminator
//   header                         92 bytes (TShowHeader)
//   language count, names          32-bit count, strings
//   state block                    32-bit byte count, the bytes
//   item count, items              32-bit count, items by kind:
//     command    40 bytes: kind, action, target, padding, x, y, window, scale-x flag,
//                scale-y flag, 20 bytes of target data, 2 bytes of padding
//     note       kind (1 byte), 32-bit entry count, per entry a 32-bit time and a string
//     delay      kind, 3 bytes of padding, 32-bit milliseconds
//     open file  kind, 3 bytes of padding, the picture's name (string, no folder)
#pragma once

#include <cstddef>

namespace show_format {
constexpr char signature[] = {'H', 'M', 'S', 'H', 'O', 'W'};
constexpr int commandBytes = 40;
constexpr int kindAndPaddingBytes = 4;
// The smallest item (a note without entries) and the smallest note entry: what a count
// stored in the file must leave room for.
constexpr int leastItemBytes = 5;
constexpr int leastEntryBytes = 8;
constexpr int leastStringBytes = 4;

// Where the fields of a command record lie.
namespace command {
constexpr int action = 1;
constexpr int target = 2;
constexpr int x = 4;
constexpr int y = 8;
constexpr int window = 12;
constexpr int scaleX = 16;
constexpr int scaleY = 17;
constexpr int targetData = 18;
} // namespace command
} // namespace show_format
