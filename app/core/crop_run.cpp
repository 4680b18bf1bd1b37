#include "crop_run.h"

#include "image_edits.h"
#include "image_window.h"
#include "language.h"
#include "progress_form.h"
#include "settings_records.h"
#include "text_table.h"
#include "workspace_host.h"

void CropRun(WorkspaceHost& main, TfrmMDIChild& window) {
    if (window.CropRect.isEmpty()) {
        main.warningBox(common_text::NoCropFrame);
        return;
    }
    auto result = std::make_unique<TDIBImage>();
    const int code =
        main.RunWithProgress(main.language().Text("Common", common_text::ProgressCrop), true, [&] {
            return Crop(window.Image(), window.CropRect, *result, TProgressForm::EngineProgress);
        });
    if (code == -1) {
        main.errorBox(common_text::OutOfMemory);
        return;
    }
    if (code != 0) {
        return; // cancelled: the partial result is gone
    }
    result->Corrected = false;
    window.CropRect = QRect();
    if (main.settings().config.CreateNewWindow != 0) {
        window.View()->viewport()->repaint(); // the frame disappears before the new window
        main.NewImageWindow(std::move(result), main.NextImageName());
    } else {
        window.ReplaceImage(std::move(result), main.NextImageName());
    }
}
