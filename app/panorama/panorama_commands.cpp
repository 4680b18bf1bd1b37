#include "panorama_commands.h"

#include "dib_image.h"
#include "image_window.h"
#include "language.h"
#include "panorama_build.h"
#include "panorama_form.h"
#include "text_table.h"
#include "workspace_host.h"

#include <QFileInfo>

#include <memory>

namespace {

// One hand-over per open image window, in the workspace's order.
std::vector<PanoramaSource> openPictures(WorkspaceHost& host) {
    std::vector<PanoramaSource> sources;
    for (TfrmMDIChild* window : host.imageWindows()) {
        const TDIBImage& image = window->Image();
        sources.push_back({QFileInfo(window->FileName()).fileName(), image.Header, image.Bits});
    }
    return sources;
}

} // namespace

PanoramaCommands::PanoramaCommands(WorkspaceHost& host, QObject* parent)
    : CommandController(host, parent) {}

void PanoramaCommands::PanoramaCommand() {
    host().recording().recordPanoramaCommand();
    const std::vector<PanoramaSource> sources = openPictures(host());
    if (sources.empty()) {
        host().errorBox(common_text::PanoramaNeedsPicture);
        return;
    }
    TPanoramaForm form(host().language(), host().dialogParent());
    form.showHelp = showHelp;
    form.LoadImages(sources);
    if (windowReady) {
        windowReady(form);
    }
    if (form.exec() != QDialog::Accepted) {
        return;
    }
    auto result = std::make_unique<TDIBImage>();
    const QString caption = host().language().Text("Common", common_text::ProgressPanorama);
    const int built = host().RunWithProgress(
        caption, false, [&] { return BuildPanorama(form.Model().Items(), *result); });
    if (built == PanoramaBuilt) {
        host().NewImageWindow(std::move(result), host().NextImageName());
    } else if (built == PanoramaNoMemory) {
        host().errorBox(common_text::OutOfMemory);
    }
}
