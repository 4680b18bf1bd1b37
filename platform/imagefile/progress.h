// The caller's progress callback, called only when the percentage changes.
#pragma once

#include "platform/image_file.h"

#include <cstdint>

namespace imagefile {

class Progress {
public:
    explicit Progress(TImportExportProgress callback) : callback_(callback) {}

    // Reports `done` of `total` steps; false once the callback asked to stop.
    bool report(std::int64_t done, std::int64_t total) {
        if (callback_ == nullptr || total <= 0) {
            return true;
        }
        const auto percent = static_cast<std::int32_t>(done * 100 / total);
        if (percent != last_) {
            last_ = percent;
            stopped_ = stopped_ || callback_(percent, 0) == -1;
        }
        return !stopped_;
    }
    bool stopped() const { return stopped_; }

private:
    TImportExportProgress callback_;
    std::int32_t last_ = -1;
    bool stopped_ = false;
};

} // namespace imagefile
