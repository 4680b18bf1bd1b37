// Making a processing file from reference rectangles on one picture, as the program's image
// correction would, refusing the files that could only mislead: rectangles that are not inside
// the picture, areas whose colour is clipped and processings that change nothing.
#pragma once

#include "reference_choice.h"

#include <string>

struct LearnRequest {
    std::string picture;
    ReferenceChoice choice;
    bool force = false;  // write the file despite clipped areas or a processing changing nothing
    bool dryRun = false; // print the measured colours and the curves, write nothing
    std::string output;
};

// Exit statuses of learn.
enum LearnStatus : int {
    LearnDone = 0,
    LearnWarned = 1, // a clipped area or a processing that changes nothing; nothing written
    LearnFailed = 2, // a rectangle not inside the picture, an unreadable picture or a write error
};

// Prints the warnings and errors on stderr, the dry run's report on stdout.
LearnStatus runLearn(const LearnRequest& request);
