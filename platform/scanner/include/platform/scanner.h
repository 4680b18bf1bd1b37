// The scanner calls of the program, over SANE. The SANE library is loaded at run time: without
// it (or without any device) TWAIN_IsAvailable says no and the program goes on.
//
// A session: TWAIN_OpenDefaultSource opens the chosen device and asks it for colour at 8 bits,
// TWAIN_AcquireNative delivers one picture per call as a packed bitmap in a movable memory
// block (platform/memory_block.h) with the device's resolution in its header, and
// TWAIN_CloseSourceManager ends the session. A flatbed gives one picture per session; a document
// feeder gives one per page when multiple transfers are on. The window arguments are accepted
// for the callers' sake and not used.
#pragma once

#include "platform/memory_block.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Non-zero when the SANE library is there and knows a device (or a device was chosen before).
std::int32_t TWAIN_IsAvailable();
// Lets the user choose the source through the chooser set with scanner::setSourceChooser;
// non-zero when a source was chosen.
std::int32_t TWAIN_SelectImageSource(void* window);
// Opens the chosen source (the first device when none was chosen); non-zero when it opened.
std::int32_t TWAIN_OpenDefaultSource(void* window);
// Non-zero lets one session deliver several pictures (the pages of a document feeder).
std::int32_t TWAIN_SetMultiTransfer(std::int32_t multiTransfer);
// The next picture of the session (owned by the caller from now on), or null when there are
// no more, the user cancelled or the transfer failed: scanner::lastTransfer() tells which.
platform::MemHandle TWAIN_AcquireNative(void* window, std::int32_t pixelTypes);
// Ends the session: the device stops and closes.
std::int32_t TWAIN_CloseSourceManager(void* window);
// The window messages of the program: SANE has none of its own, so it never takes one (0).
std::int32_t TWAIN_MessageHook(void* message);
// Ends the session and unloads the SANE library (the program closes).
void TWAIN_UnloadSourceManager();

namespace scanner {

// One source of pictures: a device and, where the device has several, one of its feeds
// (flatbed, document feeder...). An empty feed leaves the device's own choice.
struct Source {
    std::string device; // the SANE device name, "test:0"
    std::string vendor;
    std::string model;
    std::string feed;
    bool operator==(const Source&) const = default;
};

// Whether a feed name is that of a document feeder, which delivers pages until it is empty.
bool isDocumentFeeder(const std::string& feed);

// What the last TWAIN_AcquireNative came to.
enum class Transfer {
    Picture,     // a picture was delivered
    NoMore,      // the session has delivered all it has
    Cancelled,   // the user stopped it
    Failed,      // the device reported an error or sent data that does not make a picture
    Unsupported, // a frame of a kind the program cannot take (16 bits per sample, ...)
    NoMemory,    // the picture does not fit into memory
};
Transfer lastTransfer();

// The dialog of TWAIN_SelectImageSource: gets the sources and the position of the current
// one (-1 for none) and returns the position chosen, or -1 when the user cancelled.
using SourceChooser = std::function<int(const std::vector<Source>& sources, int current)>;
void setSourceChooser(SourceChooser chooser);

// Told how far the picture in transfer has come (0 to 1) between reads; false stops the scan.
using TransferProgress = std::function<bool(double fraction)>;
void setTransferProgress(TransferProgress progress);

// The source TWAIN_OpenDefaultSource opens: set from the program's settings at start, changed
// by TWAIN_SelectImageSource. An empty device means the first device found.
void setDefaultSource(const Source& source);
Source defaultSource();

// The file the SANE library is loaded from: HUEMARK_SANE_LIBRARY when that is set (another
// build of SANE), else "libsane.so.1".
std::string saneLibraryName();

} // namespace scanner
