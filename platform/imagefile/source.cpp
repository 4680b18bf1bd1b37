#include "source.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <unistd.h>

namespace imagefile {

namespace {
constexpr std::size_t streamBufferSize = 64 * 1024;
}

std::vector<std::uint8_t> Source::bytesAt(std::uint64_t offset, std::size_t count) {
    if (offset >= size()) {
        return {};
    }
    std::vector<std::uint8_t> bytes(
        static_cast<std::size_t>(std::min<std::uint64_t>(count, size() - offset)));
    bytes.resize(readAt(offset, bytes.data(), bytes.size()));
    return bytes;
}

std::size_t MemorySource::readAt(std::uint64_t offset, void* out, std::size_t count) {
    if (offset >= bytes_.size()) {
        return 0;
    }
    const std::size_t copied =
        static_cast<std::size_t>(std::min<std::uint64_t>(count, bytes_.size() - offset));
    std::memcpy(out, bytes_.data() + offset, copied);
    return copied;
}

std::size_t FileSource::readAt(std::uint64_t offset, void* out, std::size_t count) {
    auto* bytes = static_cast<std::uint8_t*>(out);
    std::size_t copied = 0;
    while (copied < count) {
        const ssize_t got = ::pread(descriptor_, bytes + copied, count - copied,
                                    static_cast<off_t>(offset + copied));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        copied += static_cast<std::size_t>(got);
    }
    return copied;
}

bool StreamReader::refill() {
    buffer_.resize(streamBufferSize);
    buffer_.resize(source_.readAt(position_, buffer_.data(), buffer_.size()));
    position_ += buffer_.size();
    next_ = 0;
    return !buffer_.empty();
}

bool StreamReader::read(std::uint8_t* out, std::size_t count) {
    while (count > 0) {
        if (next_ == buffer_.size() && !refill()) {
            return false;
        }
        const std::size_t taken = std::min(count, buffer_.size() - next_);
        std::memcpy(out, buffer_.data() + next_, taken);
        next_ += taken;
        out += taken;
        count -= taken;
    }
    return true;
}

} // namespace imagefile
