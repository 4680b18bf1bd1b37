#include "scan_session.h"

#include "platform/scan_frames.h"

#include <sane/saneopts.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string_view>

namespace scanner {
namespace {
constexpr SANE_Int readSize = 256 * 1024;
// Empty reads in a row after which a device that blocks is taken as stuck.
constexpr int mostEmptyReads = 10000;

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

// The options of an open device, found by name.
class DeviceOptions {
public:
    DeviceOptions(const SaneLibrary& sane, SANE_Handle handle) : sane_(sane), handle_(handle) {}

    // The descriptor of an active option, or null.
    const SANE_Option_Descriptor* find(std::string_view name, SANE_Int& index) const {
        SANE_Int count = 0;
        const SANE_Option_Descriptor* first = sane_.optionDescriptor(handle_, 0);
        if (first == nullptr || first->type != SANE_TYPE_INT ||
            sane_.controlOption(handle_, 0, SANE_ACTION_GET_VALUE, &count, nullptr) !=
                SANE_STATUS_GOOD) {
            return nullptr;
        }
        for (index = 1; index < count; ++index) {
            const SANE_Option_Descriptor* option = sane_.optionDescriptor(handle_, index);
            if (option != nullptr && option->name != nullptr && name == option->name) {
                return SANE_OPTION_IS_ACTIVE(option->cap) ? option : nullptr;
            }
        }
        return nullptr;
    }

    std::vector<std::string> choices(std::string_view name) const {
        SANE_Int index = 0;
        const SANE_Option_Descriptor* option = find(name, index);
        std::vector<std::string> values;
        if (option != nullptr && option->type == SANE_TYPE_STRING &&
            option->constraint_type == SANE_CONSTRAINT_STRING_LIST) {
            for (const SANE_String_Const* value = option->constraint.string_list;
                 value != nullptr && *value != nullptr; ++value) {
                values.emplace_back(*value);
            }
        }
        return values;
    }

    std::string text(std::string_view name) const {
        SANE_Int index = 0;
        const SANE_Option_Descriptor* option = find(name, index);
        if (option == nullptr || option->type != SANE_TYPE_STRING || option->size < 1) {
            return {};
        }
        std::vector<char> value(std::size_t(option->size) + 1, '\0');
        if (sane_.controlOption(handle_, index, SANE_ACTION_GET_VALUE, value.data(), nullptr) !=
            SANE_STATUS_GOOD) {
            return {};
        }
        return value.data();
    }

    void setText(std::string_view name, const std::string& wanted) {
        SANE_Int index = 0;
        const SANE_Option_Descriptor* option = find(name, index);
        if (option == nullptr || option->type != SANE_TYPE_STRING ||
            !SANE_OPTION_IS_SETTABLE(option->cap) || wanted.size() >= std::size_t(option->size)) {
            return;
        }
        std::vector<char> value(std::size_t(option->size), '\0');
        std::memcpy(value.data(), wanted.c_str(), wanted.size());
        sane_.controlOption(handle_, index, SANE_ACTION_SET_VALUE, value.data(), nullptr);
    }

    // Sets a whole-number option to `wanted` when its constraint allows that value.
    void setNumberIfOffered(std::string_view name, SANE_Int wanted) {
        SANE_Int index = 0;
        const SANE_Option_Descriptor* option = find(name, index);
        if (option == nullptr || option->type != SANE_TYPE_INT ||
            option->size != sizeof(SANE_Word) || !SANE_OPTION_IS_SETTABLE(option->cap)) {
            return;
        }
        bool offered = option->constraint_type == SANE_CONSTRAINT_NONE;
        if (option->constraint_type == SANE_CONSTRAINT_WORD_LIST) {
            const SANE_Word* list = option->constraint.word_list;
            offered = std::find(list + 1, list + 1 + list[0], wanted) != list + 1 + list[0];
        } else if (option->constraint_type == SANE_CONSTRAINT_RANGE) {
            const SANE_Range* range = option->constraint.range;
            offered = wanted >= range->min && wanted <= range->max;
        }
        if (offered) {
            sane_.controlOption(handle_, index, SANE_ACTION_SET_VALUE, &wanted, nullptr);
        }
    }

    // A resolution in dots per inch, 0 when the device has no such option.
    double resolution(std::string_view name) const {
        SANE_Int index = 0;
        const SANE_Option_Descriptor* option = find(name, index);
        if (option == nullptr || option->size < SANE_Int(sizeof(SANE_Word)) ||
            (option->type != SANE_TYPE_INT && option->type != SANE_TYPE_FIXED)) {
            return 0;
        }
        std::vector<SANE_Word> value(std::size_t(option->size) / sizeof(SANE_Word));
        if (sane_.controlOption(handle_, index, SANE_ACTION_GET_VALUE, value.data(), nullptr) !=
            SANE_STATUS_GOOD) {
            return 0;
        }
        return option->type == SANE_TYPE_FIXED ? SANE_UNFIX(value[0]) : double(value[0]);
    }

private:
    const SaneLibrary& sane_;
    SANE_Handle handle_;
};

// The colour mode among a device's modes: the standard name, else one that says colour.
std::string colourMode(const std::vector<std::string>& modes) {
    for (const std::string& mode : modes) {
        if (mode == SANE_VALUE_SCAN_MODE_COLOR) {
            return mode;
        }
    }
    for (const std::string& mode : modes) {
        const std::string lower = lowerCase(mode);
        if (lower.find("color") != std::string::npos || lower.find("colour") != std::string::npos) {
            return mode;
        }
    }
    return {};
}

std::string firstDevice(const SaneLibrary& sane) {
    const SANE_Device** devices = nullptr;
    if (sane.getDevices(&devices, SANE_FALSE) != SANE_STATUS_GOOD || devices == nullptr ||
        devices[0] == nullptr || devices[0]->name == nullptr) {
        return {};
    }
    return devices[0]->name;
}

const char* orEmpty(const char* text) {
    return text != nullptr ? text : "";
}
} // namespace

bool isDocumentFeeder(const std::string& feed) {
    const std::string lower = lowerCase(feed);
    return lower.find("adf") != std::string::npos || lower.find("feeder") != std::string::npos ||
           lower.find("duplex") != std::string::npos;
}

std::vector<Source> listSources(const SaneLibrary& sane) {
    std::vector<Source> sources;
    const SANE_Device** devices = nullptr;
    if (sane.getDevices(&devices, SANE_FALSE) != SANE_STATUS_GOOD || devices == nullptr) {
        return sources;
    }
    for (const SANE_Device** device = devices; *device != nullptr; ++device) {
        if ((*device)->name == nullptr) {
            continue;
        }
        const Source base{
            (*device)->name, orEmpty((*device)->vendor), orEmpty((*device)->model), {}};
        std::vector<std::string> feeds;
        SANE_Handle handle = nullptr;
        if (sane.open(base.device.c_str(), &handle) == SANE_STATUS_GOOD) {
            feeds = DeviceOptions(sane, handle).choices(SANE_NAME_SCAN_SOURCE);
            sane.close(handle);
        }
        if (feeds.empty()) {
            sources.push_back(base);
        }
        for (const std::string& feed : feeds) {
            Source source = base;
            source.feed = feed;
            sources.push_back(source);
        }
    }
    return sources;
}

std::unique_ptr<ScanSession> ScanSession::open(const SaneLibrary& sane, const Source& source) {
    const std::string device = source.device.empty() ? firstDevice(sane) : source.device;
    SANE_Handle handle = nullptr;
    if (device.empty() || sane.open(device.c_str(), &handle) != SANE_STATUS_GOOD ||
        handle == nullptr) {
        return nullptr;
    }
    std::unique_ptr<ScanSession> session(new ScanSession(sane, handle));
    session->askForColour(source.feed);
    return session;
}

ScanSession::~ScanSession() {
    if (scanning_) {
        sane_.cancel(handle_);
    }
    sane_.close(handle_);
}

// The feed first: it may change the modes on offer, and the mode the depths.
void ScanSession::askForColour(const std::string& feed) {
    DeviceOptions options(sane_, handle_);
    if (!feed.empty()) {
        options.setText(SANE_NAME_SCAN_SOURCE, feed);
    }
    const std::string mode = colourMode(options.choices(SANE_NAME_SCAN_MODE));
    if (!mode.empty()) {
        options.setText(SANE_NAME_SCAN_MODE, mode);
    }
    options.setNumberIfOffered(SANE_NAME_BIT_DEPTH, 8);
    feeder_ = isDocumentFeeder(options.text(SANE_NAME_SCAN_SOURCE));
}

ScanSession::Result ScanSession::stop(Transfer transfer) {
    if (scanning_) {
        sane_.cancel(handle_);
        scanning_ = false;
    }
    return {transfer, nullptr};
}

ScanSession::Result ScanSession::acquire(bool multiTransfer, const TransferProgress& progress) {
    const bool anotherPage = multiTransfer && feeder_ && pages_ < maxPages;
    if (pages_ > 0 && !anotherPage) {
        return stop(Transfer::NoMore);
    }
    if (!scanning_) {
        // Devices answer no option while they scan: the resolution is read before.
        readResolution();
    }
    const SANE_Status status = sane_.start(handle_);
    if (status == SANE_STATUS_NO_DOCS) {
        // An empty feeder before the first page is a failure; after it, the end of the stack.
        return stop(pages_ == 0 ? Transfer::Failed : Transfer::NoMore);
    }
    if (status != SANE_STATUS_GOOD) {
        return stop(status == SANE_STATUS_CANCELLED ? Transfer::Cancelled : Transfer::Failed);
    }
    scanning_ = true;
    Result result = scanPage(progress);
    if (result.transfer == Transfer::Picture) {
        ++pages_;
    }
    return result;
}

void ScanSession::readResolution() {
    const DeviceOptions options(sane_, handle_);
    const double both = options.resolution(SANE_NAME_SCAN_RESOLUTION);
    const double x = options.resolution(SANE_NAME_SCAN_X_RESOLUTION);
    const double y = options.resolution(SANE_NAME_SCAN_Y_RESOLUTION);
    xResolution_ = x > 0 ? x : both;
    yResolution_ = y > 0 ? y : xResolution_;
}

ScanSession::Result ScanSession::scanPage(const TransferProgress& progress) {
    FrameAssembler assembler;
    const auto failure = [&assembler] {
        return assembler.outOfMemory() ? Transfer::NoMemory : Transfer::Failed;
    };
    std::vector<SANE_Byte> buffer(readSize);
    for (int frame = 0;; ++frame) {
        SANE_Parameters parameters{};
        if (frame > 0 && sane_.start(handle_) != SANE_STATUS_GOOD) {
            return stop(Transfer::Failed);
        }
        if (sane_.parameters(handle_, &parameters) != SANE_STATUS_GOOD) {
            return stop(Transfer::Failed);
        }
        const FrameCheck check = assembler.beginFrame(parameters);
        if (check != FrameCheck::Usable) {
            return stop(check == FrameCheck::Unsupported ? Transfer::Unsupported : failure());
        }
        int emptyReads = 0;
        for (;;) {
            SANE_Int length = 0;
            const SANE_Status status = sane_.read(handle_, buffer.data(), readSize, &length);
            if (status == SANE_STATUS_EOF) {
                break;
            }
            if (status != SANE_STATUS_GOOD) {
                return stop(status == SANE_STATUS_CANCELLED ? Transfer::Cancelled
                                                            : Transfer::Failed);
            }
            if (length < 0 || length > readSize ||
                !assembler.add(buffer.data(), std::size_t(length))) {
                return stop(failure());
            }
            emptyReads = length == 0 ? emptyReads + 1 : 0;
            if (emptyReads > mostEmptyReads) {
                return stop(Transfer::Failed);
            }
            if (progress && !progress(assembler.fraction())) {
                return stop(Transfer::Cancelled);
            }
        }
        if (!assembler.endFrame()) {
            return stop(Transfer::Failed);
        }
        if (parameters.last_frame || assembler.complete()) {
            break;
        }
    }
    if (!assembler.complete()) {
        return stop(Transfer::Failed);
    }
    return {Transfer::Picture, assembler.finish(xResolution_, yResolution_)};
}

} // namespace scanner
