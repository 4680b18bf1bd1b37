// ScanSession: one open SANE device from TWAIN_OpenDefaultSource to TWAIN_CloseSourceManager.
// It asks the device for colour at 8 bits (where it offers that) and for the chosen feed, and
// reads one picture per acquire: a flatbed gives one, a document feeder one per page until it
// is empty, never more than maxPages.
#pragma once

#include "platform/scanner.h"
#include "sane_library.h"

#include <memory>
#include <vector>

namespace scanner {

// The most pages one session reads, whatever a feeder claims.
constexpr int maxPages = 1000;

// Every device with each of its feeds (a device without a feed option once).
std::vector<Source> listSources(const SaneLibrary& sane);

class ScanSession {
public:
    // Opens the device of `source` (the first device found when it names none); null when
    // there is none or it does not open.
    static std::unique_ptr<ScanSession> open(const SaneLibrary& sane, const Source& source);
    // Stops a scan in progress and closes the device.
    ~ScanSession();
    ScanSession(const ScanSession&) = delete;
    ScanSession& operator=(const ScanSession&) = delete;

    struct Result {
        Transfer transfer;
        platform::MemHandle picture; // set for Transfer::Picture, owned by the caller
    };
    // The next picture. Without multiTransfer, or from a flatbed, only the first acquire scans.
    Result acquire(bool multiTransfer, const TransferProgress& progress);

    bool documentFeeder() const { return feeder_; }

private:
    ScanSession(const SaneLibrary& sane, SANE_Handle handle) : sane_(sane), handle_(handle) {}
    void askForColour(const std::string& feed);
    void readResolution();
    Result scanPage(const TransferProgress& progress);
    Result stop(Transfer transfer);

    const SaneLibrary& sane_;
    SANE_Handle handle_;
    bool feeder_ = false;
    bool scanning_ = false; // started and not yet cancelled
    int pages_ = 0;
    double xResolution_ = 0; // dots per inch, 0 when the device does not say
    double yResolution_ = 0;
};

} // namespace scanner
