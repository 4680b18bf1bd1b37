// The scanner calls over one process-wide state: the loaded SANE library, the chosen source,
// the open session and the hooks the program set.
#include "platform/scanner.h"

#include "scan_session.h"

#include <cstdlib>

namespace {
struct SourceManager {
    std::unique_ptr<scanner::SaneLibrary> sane;
    std::unique_ptr<scanner::ScanSession> session;
    scanner::Source source;
    scanner::SourceChooser chooser;
    scanner::TransferProgress progress;
    scanner::Transfer last = scanner::Transfer::NoMore;
    bool multiTransfer = false;

    // The SANE library, loaded on first use; null while it cannot be loaded.
    scanner::SaneLibrary* library() {
        if (!sane) {
            sane = scanner::SaneLibrary::load(scanner::saneLibraryName());
        }
        return sane.get();
    }
};

SourceManager& manager() {
    static SourceManager state;
    return state;
}

bool anyDevice(const scanner::SaneLibrary& sane) {
    const SANE_Device** devices = nullptr;
    return sane.getDevices(&devices, SANE_FALSE) == SANE_STATUS_GOOD && devices != nullptr &&
           devices[0] != nullptr;
}
} // namespace

std::int32_t TWAIN_IsAvailable() {
    scanner::SaneLibrary* sane = manager().library();
    // A chosen device counts without a search, which can take seconds on a network.
    return sane != nullptr && (!manager().source.device.empty() || anyDevice(*sane)) ? 1 : 0;
}

std::int32_t TWAIN_SelectImageSource(void*) {
    SourceManager& state = manager();
    scanner::SaneLibrary* sane = state.library();
    if (sane == nullptr || !state.chooser) {
        return 0;
    }
    const std::vector<scanner::Source> sources = scanner::listSources(*sane);
    int current = -1;
    for (std::size_t i = 0; i < sources.size(); ++i) {
        if (sources[i].device == state.source.device && sources[i].feed == state.source.feed) {
            current = int(i);
        }
    }
    const int chosen = state.chooser(sources, current);
    if (chosen < 0 || std::size_t(chosen) >= sources.size()) {
        return 0;
    }
    state.source = sources[std::size_t(chosen)];
    return 1;
}

std::int32_t TWAIN_OpenDefaultSource(void*) {
    SourceManager& state = manager();
    state.session.reset();
    scanner::SaneLibrary* sane = state.library();
    if (sane != nullptr) {
        state.session = scanner::ScanSession::open(*sane, state.source);
    }
    return state.session ? 1 : 0;
}

std::int32_t TWAIN_SetMultiTransfer(std::int32_t multiTransfer) {
    manager().multiTransfer = multiTransfer != 0;
    return 1;
}

platform::MemHandle TWAIN_AcquireNative(void*, std::int32_t) {
    SourceManager& state = manager();
    if (!state.session) {
        state.last = scanner::Transfer::Failed;
        return nullptr;
    }
    const scanner::ScanSession::Result result =
        state.session->acquire(state.multiTransfer, state.progress);
    state.last = result.transfer;
    return result.picture;
}

std::int32_t TWAIN_CloseSourceManager(void*) {
    manager().session.reset();
    return 1;
}

std::int32_t TWAIN_MessageHook(void*) {
    return 0;
}

void TWAIN_UnloadSourceManager() {
    SourceManager& state = manager();
    state.session.reset();
    state.sane.reset();
}

namespace scanner {

Transfer lastTransfer() {
    return manager().last;
}

void setSourceChooser(SourceChooser chooser) {
    manager().chooser = std::move(chooser);
}

void setTransferProgress(TransferProgress progress) {
    manager().progress = std::move(progress);
}

void setDefaultSource(const Source& source) {
    manager().source = source;
}

Source defaultSource() {
    return manager().source;
}

std::string saneLibraryName() {
    const char* chosen = std::getenv("HUEMARK_SANE_LIBRARY");
    return chosen != nullptr && *chosen != '\0' ? chosen : "libsane.so.1";
}

} // namespace scanner
