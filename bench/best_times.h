// The best wall-clock and processor times of repeated runs of one piece of work, in seconds.
#pragma once

#include <algorithm>

struct Times {
    double real = 1e9;
    double processor = 1e9;

    void keepBest(const Times& other) {
        real = std::min(real, other.real);
        processor = std::min(processor, other.processor);
    }
};
