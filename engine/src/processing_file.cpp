#include "processing_file.h"

#include "platform/atomic_file.h"

#include <cstring>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tintworks {

namespace {

constexpr char signature[] = "HMPRESET"; // with its zero byte: 9 bytes

#pragma pack(push, 1)
struct FileHeader {
    char signature[9];
    std::uint8_t padding[3];
    std::uint32_t version;
    std::uint32_t type;
};
#pragma pack(pop)
static_assert(sizeof(FileHeader) == 20);

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Writes the whole file through `descriptor` (which it closes), synced to disk; false on any
// error.
bool writeWholeFile(int descriptor, std::int32_t type, const TRepeatBase& processing) {
    File file(::fdopen(descriptor, "wb"));
    if (!file) {
        ::close(descriptor);
        return false;
    }
    FileSink sink(file.get());
    return writeProcessing(sink, type, processing) && std::fflush(file.get()) == 0 &&
           platform::AtomicFile::sync(::fileno(file.get())) && std::fclose(file.release()) == 0;
}

} // namespace

int readProcessing(ByteSource& source, std::int32_t& type,
                   std::unique_ptr<TRepeatBase>& processing) {
    processing.reset();
    FileHeader header{};
    if (!source.readValue(header)) {
        return TWK_FILE_READ_ERROR;
    }
    if (std::memcmp(header.signature, signature, sizeof header.signature) != 0) {
        return TWK_NOT_PROCESSING;
    }
    std::unique_ptr<TRepeatBase> loaded = newRepeatObject(static_cast<std::int32_t>(header.type));
    if (!loaded) {
        return TWK_NOT_PROCESSING;
    }
    type = static_cast<std::int32_t>(header.type);
    if (!loaded->ReadData(source)) {
        return TWK_FILE_READ_ERROR;
    }
    loaded->available = twkTrue;
    processing = std::move(loaded);
    return TWK_OK;
}

bool writeProcessing(ByteSink& sink, std::int32_t type, const TRepeatBase& processing) {
    FileHeader header{};
    std::memcpy(header.signature, signature, sizeof header.signature);
    header.version = processingFileVersion;
    header.type = static_cast<std::uint32_t>(type);
    return sink.writeValue(header) && processing.WriteData(sink);
}

int saveProcessingFile(const char* fileName, std::int32_t type, const TRepeatBase& processing) {
    if (fileName == nullptr || *fileName == '\0') {
        return TWK_FILE_WRITE_ERROR;
    }
    platform::AtomicFile target(fileName);
    if (target.open() < 0) {
        return TWK_FILE_WRITE_ERROR;
    }
    const bool written = writeWholeFile(target.release(), type, processing);
    return written && target.commit() ? TWK_OK : TWK_FILE_WRITE_ERROR;
}

int loadProcessingFile(const char* fileName, std::int32_t& type,
                       std::unique_ptr<TRepeatBase>& processing) {
    processing.reset();
    if (fileName == nullptr) {
        return TWK_FILE_READ_ERROR;
    }
    // Opened without blocking, so that a named pipe given as the file cannot hang the call.
    const int descriptor = ::open(fileName, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        return TWK_FILE_READ_ERROR;
    }
    File file(::fdopen(descriptor, "rb"));
    if (!file) {
        ::close(descriptor);
        return TWK_FILE_READ_ERROR;
    }
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        return TWK_FILE_READ_ERROR;
    }
    FileSource source(file.get(), static_cast<std::uint64_t>(status.st_size));
    return readProcessing(source, type, processing);
}

} // namespace tintworks
