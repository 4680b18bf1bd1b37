// FrameAssembler: builds the packed bitmap of one scanned picture from the frames a SANE device
// sends: one RGB frame, three single-colour frames (red, green and blue in any order), or one
// grey frame (8 bits, or 1 bit for line art). Colour becomes 24 bits per pixel, grey 8 bits with
// a grey colour table and line art 1 bit with white and black; other depths are not taken.
//
// Device data is checked before it is used: the sides must fit a packed bitmap, every line must
// hold the pixels it announces, and a frame must deliver exactly its lines. A frame of unknown
// length (a hand scanner) is read to its end, up to maxPictureBytes.
#pragma once

#include "platform/memory_block.h"

#include <sane/sane.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace scanner {

// The largest side of a packed bitmap, and the most memory one picture may take.
constexpr int maxSide = 65535;
constexpr std::size_t maxPictureBytes = std::size_t{1} << 30;

enum class FrameCheck {
    Usable,
    Unsupported, // a frame the program cannot take: 16 bits per sample, colour line art...
    Invalid,     // parameters that cannot be true, or that disagree with the earlier frames
};

// Dots per inch as pixels per metre, for the header.
std::int32_t pixelsPerMetre(double dotsPerInch);

class FrameAssembler {
public:
    FrameAssembler() = default;
    ~FrameAssembler();
    FrameAssembler(const FrameAssembler&) = delete;
    FrameAssembler& operator=(const FrameAssembler&) = delete;

    // Checks a frame's parameters and makes ready for its bytes. The first frame sets the
    // picture's kind and sides; the later frames of a three-pass picture must agree with it.
    FrameCheck beginFrame(const SANE_Parameters& frame);
    // Takes the next bytes of the frame, in pieces of any size; false when they go beyond the
    // frame's lines or beyond maxPictureBytes, or memory is short (outOfMemory() tells).
    bool add(const std::uint8_t* bytes, std::size_t size);
    // The device says the frame has ended; false when it is short of lines or ends inside one.
    bool endFrame();
    // Whether the picture has all its frames (the three colours of a three-pass picture).
    bool complete() const;
    // How much of the picture has arrived: 0 to 1, or a small growing value when its length
    // is unknown.
    double fraction() const;
    bool outOfMemory() const { return outOfMemory_; }

    // The finished picture, bottom row first, with the resolution in its header; the caller
    // owns it. Null unless the picture is complete.
    platform::MemHandle finish(double xDotsPerInch, double yDotsPerInch);

private:
    enum class Kind { Rgb, SingleColour, Grey, LineArt };

    FrameCheck beginPicture(const SANE_Parameters& frame);
    bool allocate(std::size_t rows);
    bool grow();
    bool putRow(const std::uint8_t* row);
    std::uint8_t* rowAddress(std::size_t row);
    void writeHeader(double xDotsPerInch, double yDotsPerInch);
    void turnRowsOver();
    void release();

    Kind kind_ = Kind::Rgb;
    bool started_ = false;
    bool bottomUp_ = true; // the length was announced: rows go straight to their place
    bool frameOpen_ = false;
    bool outOfMemory_ = false;
    int width_ = 0;
    std::size_t height_ = 0;       // rows of the picture, known once the first frame ended
    std::size_t bytesPerLine_ = 0; // as the device sends them
    std::size_t rowBytes_ = 0;     // the bytes of a device line that carry pixels
    std::size_t stride_ = 0;       // a bitmap row, padded to 4 bytes
    std::size_t headerBytes_ = 0;  // header and colour table
    std::size_t capacityRows_ = 0;
    std::size_t rowsInFrame_ = 0;
    int channel_ = 0;           // the byte of a pixel a single-colour frame fills
    unsigned channelsDone_ = 0; // bit n: channel n has been received
    int framesDone_ = 0;
    platform::MemHandle block_ = nullptr;
    std::uint8_t* data_ = nullptr;
    std::vector<std::uint8_t> pending_; // a line that arrived in pieces
    std::size_t pendingBytes_ = 0;
};

} // namespace scanner
