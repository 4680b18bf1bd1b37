#include "workspace_host.h"

#include "language.h"
#include "message_boxes.h"
#include "text_table.h"

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
