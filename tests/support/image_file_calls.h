// Calling the image-file library as the program does.
#pragma once

#include "dib_picture.h"
#include "memory_budget.h"

#include "platform/image_file.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

inline TImportExportParams importBlock(const std::string& name,
                                       TImportExportProgress progress = nullptr) {
    TImportExportParams p{};
    p.Size = sizeof p;
    p.Flags = IP_IMPORT;
    p.FileName = name.c_str();
    p.Progress = progress;
    return p;
}

// Reads a file; the picture is empty on failure (and holds what could be read when the file
// is incomplete), `code` holds the result.
inline Picture importPicture(const std::string& name, int* code = nullptr) {
    TImportExportParams p = importBlock(name);
    const int result = ipImportInd(&p);
    if (code != nullptr) {
        *code = result;
    }
    if (result != IP_OK && result != IP_INCOMPLETE) {
        return {};
    }
    Picture picture = pictureOf(static_cast<platform::MemHandle>(p.Bitmap));
    platform::memFree(static_cast<platform::MemHandle>(p.Bitmap));
    return picture;
}

// Reads a file and frees what it delivered: the library's result.
inline int importCode(const std::string& name) {
    TImportExportParams p = importBlock(name);
    const int result = ipImportInd(&p);
    if (result == IP_OK || result == IP_INCOMPLETE) {
        platform::memFree(static_cast<platform::MemHandle>(p.Bitmap));
    }
    return result;
}

// importCode in a child process whose memory may grow by `budget` bytes only (-1 when the
// child was killed).
inline int importCodeWithin(std::uint64_t budget, const std::string& name) {
    return test_support::runWithMemoryBudget(budget, [&] { return importCode(name); });
}

inline int exportPicture(const Picture& picture, const std::string& name,
                         std::uint32_t formatBits = 0, TImportExportProgress progress = nullptr) {
    platform::MemHandle block = blockOf(picture);
    TImportExportParams p{};
    p.Size = sizeof p;
    p.Flags = IP_EXPORT | formatBits;
    p.FileName = name.c_str();
    p.Bitmap = block;
    p.Progress = progress;
    const int result = ipExportInd(&p);
    platform::memFree(block);
    return result;
}

inline std::vector<std::uint8_t> fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

class ScratchFolder {
public:
    ScratchFolder() {
        static int serial = 0;
        path_ = std::filesystem::temp_directory_path() /
                ("hm-images-" + std::to_string(::getpid()) + "-" + std::to_string(serial++));
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder() { std::filesystem::remove_all(path_); }
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    std::size_t entries() const {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(path_),
                                                      std::filesystem::directory_iterator()));
    }

private:
    std::filesystem::path path_;
};
