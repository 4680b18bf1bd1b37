#include "edit_run.h"

#include "dib_image.h"
#include "image_window.h"
#include "language.h"
#include "settings_records.h"
#include "text_table.h"
#include "workspace_host.h"

std::unique_ptr<TDIBImage> RunPictureEdit(WorkspaceHost& main, TfrmMDIChild& window, int caption,
                                          const std::function<int(TDIBImage& result)>& routine) {
    auto result = std::make_unique<TDIBImage>();
    // The routines never write the source, so Cancel is always safe.
    const int code = main.RunWithProgress(main.language().Text("Common", caption), true,
                                          [&] { return routine(*result); });
    if (code == -1) {
        main.errorBox(common_text::OutOfMemory);
        return nullptr;
    }
    if (code != 0) {
        return nullptr; // cancelled: the partial result is gone
    }
    result->Corrected = window.Image().Corrected;
    return result;
}

void ShowEditResult(WorkspaceHost& main, TfrmMDIChild& window, std::unique_ptr<TDIBImage> result) {
    if (main.settings().config.CreateNewWindow != 0) {
        window.View()->viewport()->repaint(); // marks that went with the old picture disappear
        main.NewResultWindow(std::move(result), window);
    } else {
        window.ReplaceImage(std::move(result), main.NextImageName());
    }
}
