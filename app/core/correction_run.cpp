#include "correction_run.h"

#include "correction_records.h"
#include "image_window.h"
#include "language.h"
#include "progress_form.h"
#include "settings_records.h"
#include "text_table.h"
#include "workspace_host.h"

namespace {

// The destination of a run: a new picture like the source, or the source itself. A run into
// the source keeps the window's state first, for Undo, and drops it again unless the run
// succeeded.
struct Destination {
    std::unique_ptr<TDIBImage> created;
    TDIBImage* image = nullptr;
    TfrmMDIChild* changed = nullptr;
    bool succeeded = false;

    Destination() = default;
    Destination(const Destination&) = delete;
    Destination& operator=(const Destination&) = delete;
    ~Destination() {
        if (changed != nullptr && !succeeded) {
            changed->ChangeFailed();
        }
    }
};

bool prepareDestination(WorkspaceHost& main, TfrmMDIChild& window, Destination& destination) {
    TDIBImage& source = window.Image();
    if (main.settings().config.CreateNewWindow == 0) {
        destination.image = &source;
        if (window.KeepStateBeforeChange()) {
            destination.changed = &window;
        }
        return true;
    }
    destination.created = std::make_unique<TDIBImage>();
    if (!destination.created->CreateLike(source)) {
        main.errorBox(common_text::OutOfMemory);
        return false;
    }
    destination.image = destination.created.get();
    return true;
}

void reportFailure(WorkspaceHost& main, int result) {
    switch (result) {
    case TWK_INVALID_PARAMS:
        main.errorText("Invalid parameters");
        break;
    case TWK_NO_MEMORY:
        main.errorBox(common_text::OutOfMemory);
        break;
    case TWK_NOT_AVAILABLE:
        main.errorText("Repeated processing is not available");
        break;
    default: // cancelled: the user knows
        break;
    }
}

// Runs one engine call inside the progress box: Cancel only when the result goes to a new
// picture (otherwise the engine writes into the window's own picture).
int withProgress(WorkspaceHost& main, int operation, const std::function<int()>& call) {
    return main.RunWithProgress(
        main.language().Text("Common", common_text::ProgressFirstOperation + operation),
        main.settings().config.CreateNewWindow != 0, call);
}

// A successful run: the new picture opens in a window, or the window shows the changed one.
void showResult(WorkspaceHost& main, TfrmMDIChild& window, Destination& destination,
                int operation) {
    destination.succeeded = true;
    destination.image->Corrected = window.Image().Corrected || operation <= 1;
    if (destination.created != nullptr) {
        main.NewResultWindow(std::move(destination.created), window);
    } else {
        window.SetSaved(false);
        window.View()->viewport()->update();
    }
}

} // namespace

bool StartOperation(WorkspaceHost& main, TfrmMDIChild& window, const CorrectionSettings& settings) {
    // An image correction without references, Auto or gamma would only copy the picture.
    if (settings.operation == 0 && window.Regions.Count() == 0 && !settings.autoWhiteBlack &&
        settings.gamma == 1.0) {
        main.showStatus(main.language().Text("Common", common_text::NothingToCorrect));
        return false;
    }
    if (settings.operation >= 1 && window.Regions.FindFirst(RegionKind::Colour) == nullptr) {
        main.warningBox(common_text::NoColorRegion);
        return false;
    }
    Destination destination;
    if (!prepareDestination(main, window, destination)) {
        return false;
    }
    CorrectionRecords records;
    if (!records.Fill(settings, window.Image(), destination.image->Bits, window.Regions,
                      window.HatchAreas)) {
        main.errorBox(common_text::OutOfMemory);
        return false;
    }
    const int result = withProgress(main, settings.operation, [&] {
        return TWKDoImageOperation(records.EngineType(), records.Record(),
                                   TProgressForm::EngineProgress);
    });
    if (result != TWK_OK) {
        reportFailure(main, result);
        return false;
    }
    showResult(main, window, destination, settings.operation);
    return true;
}

bool RepeatOperation(WorkspaceHost& main, TfrmMDIChild& window, int operation) {
    Destination destination;
    if (!prepareDestination(main, window, destination)) {
        return false;
    }
    CorrectionRecords records;
    records.FillRepeat(window.Image(), destination.image->Bits, window.HatchAreas);
    const int result = withProgress(main, operation, [&] {
        return TWKDoRepeatedImageOperation(operation, &records.repeat,
                                           TProgressForm::EngineProgress);
    });
    if (result != TWK_OK) {
        reportFailure(main, result);
        return false;
    }
    showResult(main, window, destination, operation);
    return true;
}
