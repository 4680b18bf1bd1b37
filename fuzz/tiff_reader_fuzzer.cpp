#include "image_reader_fuzzer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzzReader<imagefile::readTiff>(data, size);
}
