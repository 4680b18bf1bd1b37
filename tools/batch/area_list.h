// The list file of correct --areas: a reference rectangle for each picture of a series in
// which the card moves. One picture a line, its rectangle first:
//
//   # rectangle          picture
//   10%,12%,18%,20%      shots/IMG_0001.jpg
//   1210,640,1400,820    shots/IMG_0002.jpg
//
// The picture's name is the rest of the line (it may hold spaces), relative to the current
// folder as names on the command line are. Empty lines and lines starting with # are skipped.
#pragma once

#include "reference_rectangle.h"

#include <optional>
#include <string>
#include <vector>

struct ListedPicture {
    std::string picture;
    ReferenceRectangle rectangle; // its source names the list and the line
};

// The list's pictures in order; nothing, with `problem` naming the file and line, when the
// file cannot be read, a line is not a rectangle and a name, or the list holds no picture.
std::optional<std::vector<ListedPicture>> readAreaList(const std::string& file,
                                                       std::string& problem);
