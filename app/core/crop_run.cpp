#include "crop_run.h"

#include "dib_image.h"
#include "edit_run.h"
#include "image_edits.h"
#include "image_window.h"
#include "progress_form.h"
#include "text_table.h"
#include "workspace_host.h"

void CropRun(WorkspaceHost& main, TfrmMDIChild& window) {
    if (window.CropRect.isEmpty()) {
        main.warningBox(common_text::NoCropFrame);
        return;
    }
    auto result = RunPictureEdit(main, window, common_text::ProgressCrop, [&](TDIBImage& cut) {
        return Crop(window.Image(), window.CropRect, cut, TProgressForm::EngineProgress);
    });
    if (result == nullptr) {
        return;
    }
    result->Corrected = false; // a cut-out starts afresh
    window.CropRect = QRect();
    ShowEditResult(main, window, std::move(result));
}
