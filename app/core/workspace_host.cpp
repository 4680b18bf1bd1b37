#include "workspace_host.h"

#include "image_window.h"
#include "language.h"
#include "message_boxes.h"
#include "text_table.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace {
MessageTexts boxTexts(const TLanguage& language, int captionPosition, int n,
                      const QStringList& arguments) {
    return {language.Text("Common", captionPosition),
            formatText(language.Text("Common", n), arguments),
            language.Text("Common", common_text::Yes), language.Text("Common", common_text::No),
            language.Text("Common", common_text::Cancel)};
}
} // namespace

void WorkspaceHost::errorBox(int n, const QStringList& arguments) {
    showMessage(dialogParent(), MessageKind::Error,
                boxTexts(language(), common_text::ErrorCaption, n, arguments));
}

void WorkspaceHost::errorText(const QString& text) {
    showMessage(dialogParent(), MessageKind::Error,
                {language().Text("Common", common_text::ErrorCaption), text});
}

void WorkspaceHost::warningText(const QString& text) {
    showMessage(dialogParent(), MessageKind::Warning,
                {language().Text("Common", common_text::WarningCaption), text});
}

void WorkspaceHost::informationBox(int n, const QStringList& arguments) {
    showMessage(dialogParent(), MessageKind::Information,
                boxTexts(language(), common_text::InformationCaption, n, arguments));
}

void WorkspaceHost::warningBox(int n, const QStringList& arguments) {
    showMessage(dialogParent(), MessageKind::Warning,
                boxTexts(language(), common_text::WarningCaption, n, arguments));
}

bool WorkspaceHost::questionBox(int n, const QStringList& arguments) {
    MessageTexts texts = boxTexts(language(), common_text::ErrorCaption, n, arguments);
    texts.caption = applicationTitle();
    return showMessage(dialogParent(), MessageKind::Question, texts) == MessageAnswer::Yes;
}

ExampleRecording& ExampleRecording::none() {
    static ExampleRecording idle;
    return idle;
}

namespace {
const QRegularExpression extension("\\.[A-Za-z0-9]{1,4}$");
const QRegularExpression numbered(" \\(\\d+\\)$");

// A window's name without folder and file extension.
QString shownName(const QString& fileName) {
    return QFileInfo(fileName).fileName().remove(extension);
}
} // namespace

TfrmMDIChild* WorkspaceHost::NewResultWindow(std::unique_ptr<TDIBImage> image,
                                             const TfrmMDIChild& source) {
    // "dune (2)" from "dune.jpg", and "dune (3)" from "dune (2)" when that one is open.
    const QString base = shownName(source.FileName()).remove(numbered);
    QStringList taken;
    for (const TfrmMDIChild* window : imageWindows()) {
        taken << shownName(window->FileName());
    }
    int number = 2;
    while (taken.contains(QString("%1 (%2)").arg(base).arg(number))) {
        ++number;
    }
    const PictureMetadata metadata = source.Metadata;
    TfrmMDIChild* window =
        NewImageWindow(std::move(image), QString("%1 (%2)").arg(base).arg(number));
    if (window != nullptr) {
        window->Metadata = metadata;
    }
    return window;
}
