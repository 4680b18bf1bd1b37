#include "messages.h"

#include "platform/image_file.h"
#include "tintworks.h"

#include <cstring>

std::string imageFileMessage(int code) {
    switch (code) {
    case IP_CANCELLED:
        return "cancelled";
    case IP_FILE_NOT_FOUND:
        return "file not found";
    case IP_CANNOT_OPEN:
        return "the file or its folder cannot be opened";
    case IP_UNKNOWN_FORMAT:
        return "not a BMP, JPEG, TIFF, PNG or PCX file";
    case IP_DAMAGED_FILE:
        return "the file is damaged or incomplete";
    case IP_NO_MEMORY:
        return "not enough memory";
    case IP_WRITE_FAILED:
        return "writing failed (is the disk full?)";
    case IP_BAD_PARAMETERS:
        return "invalid request";
    case IP_UNSUPPORTED:
        return "this kind of picture is not supported";
    case IP_TOO_LARGE:
        return "the picture is too large";
    case IP_BAD_BITMAP:
        return "the picture cannot be written in this format";
    case IP_INCOMPLETE:
        return "the picture file is incomplete";
    default:
        return "image file error " + std::to_string(code);
    }
}

std::string engineMessage(int code) {
    switch (code) {
    case TWK_INVALID_PARAMS:
        return "the picture cannot be processed";
    case TWK_NO_MEMORY:
        return "not enough memory";
    case TWK_CANCELLED:
        return "cancelled";
    case TWK_NOT_AVAILABLE:
        return "no processing to apply";
    case TWK_FILE_WRITE_ERROR:
        return "the processing file cannot be written";
    case TWK_FILE_READ_ERROR:
        return "the processing file cannot be read";
    case TWK_NOT_PROCESSING:
        return "not a processing file";
    case TWK_NO_PRESET:
        return "no processing file loaded";
    default:
        return "engine error " + std::to_string(code);
    }
}

std::string signalDescription(int signal) {
    const char* name = ::strsignal(signal);
    return "signal " + std::to_string(signal) + " (" + (name != nullptr ? name : "unknown") + ")";
}
