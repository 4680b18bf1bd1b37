#include "master_form.h"

#include "example_folders.h"
#include "example_form_parts.h"
#include "example_messages.h"
#include "example_player.h"
#include "example_recorder.h"
#include "language.h"
#include "master_edit_form.h"
#include "show_list.h"
#include "text_table.h"
#include "workspace_host.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace {
const QString caption = "Example Master";
const QString untitled = "Untitled";
const QString fileFilter = "Example files (*.shw)";
const QString cutQuestion = "Remove all commands after this point and continue recording?";
} // namespace

TMasterForm::TMasterForm(WorkspaceHost& host, TExampleRecorder& recorder, TExamplePlayer& player,
                         QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint), host_(host), recorder_(recorder),
      player_(player) {
    setObjectName("MasterForm");
    recorder.SetOwnWindow(this);
    const auto button = [this](const char* name, const QString& text) {
        return newButton(name, text, this);
    };
    btRecord = button("btRecord", "Record");
    btRecord->setCheckable(true);
    btContinue = button("btContinue", "Continue");
    btStop = button("btStop", "Stop");
    btPlay = button("btPlay", "Play");
    btEdit = button("btEdit", "Edit");
    btOpen = button("btOpen", "Open");
    btSave = button("btSave", "Save");
    btSaveAs = button("btSaveAs", "Save as");
    lbState = new QLabel(this);
    lbState->setWordWrap(true);

    auto* buttons = new QGridLayout;
    const QList<QPushButton*> order = {btRecord, btContinue, btStop, btPlay,
                                       btEdit,   btOpen,     btSave, btSaveAs};
    for (int index = 0; index < order.size(); ++index) {
        buttons->addWidget(order[index], index / 4, index % 4);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(lbState);

    chooseFile = [this](bool save, const QString& folder) {
        return save ? QFileDialog::getSaveFileName(this, QString(), folder, fileFilter)
                    : QFileDialog::getOpenFileName(this, QString(), folder, fileFilter);
    };
    askCut = [this] {
        return QMessageBox::question(this, caption, cutQuestion) == QMessageBox::Yes;
    };
    connect(btRecord, &QPushButton::clicked, this, &TMasterForm::btRecordClick);
    connect(btContinue, &QPushButton::clicked, this, &TMasterForm::btContinueClick);
    connect(btStop, &QPushButton::clicked, this, &TMasterForm::btStopClick);
    connect(btPlay, &QPushButton::clicked, this, &TMasterForm::btPlayClick);
    connect(btEdit, &QPushButton::clicked, this, &TMasterForm::btEditClick);
    connect(btOpen, &QPushButton::clicked, this, &TMasterForm::btOpenClick);
    connect(btSave, &QPushButton::clicked, this, &TMasterForm::btSaveClick);
    connect(btSaveAs, &QPushButton::clicked, this, &TMasterForm::btSaveAsClick);
    connect(&recorder, &TExampleRecorder::changed, this, &TMasterForm::updateState);
    connect(&player, &TExamplePlayer::exampleEnded, this, &TMasterForm::exampleEnded);
    connect(&player, &TExamplePlayer::exampleInterrupted, this, &TMasterForm::exampleInterrupted);
    updateState();
}

void TMasterForm::btRecordClick() {
    if (!recorder_.Record()) {
        btRecord->setChecked(false);
    }
    updateState();
}

void TMasterForm::btContinueClick() {
    recorder_.Continue();
}

void TMasterForm::btStopClick() {
    recorder_.Stop();
}

void TMasterForm::btPlayClick() {
    recorder_.Stop();
    hide();
    playedHere_ = true;
    if (!player_.Start(false)) {
        playedHere_ = false;
        show();
    }
}

void TMasterForm::exampleEnded() {
    if (playedHere_) {
        playedHere_ = false;
        show();
    }
}

// Broken off with the cancel key: the author may cut the example before the item that was
// running and record on from the state the example left.
void TMasterForm::exampleInterrupted() {
    if (!playedHere_) {
        return;
    }
    playedHere_ = false;
    if (askCut()) {
        recorder_.Example().TrimTo(player_.Position() - 1);
        player_.KeepExampleState();
        show();
        recorder_.Continue();
        recorder_.SetModified(true);
        return;
    }
    show();
}

void TMasterForm::btEditClick() {
    recorder_.Pause();
    TMasterEditForm editor(recorder_.Example(), this);
    if (editor.exec() == QDialog::Accepted) {
        recorder_.Example().Assign(editor.Edited());
        recorder_.SetModified(true);
    }
    recorder_.Resume();
    updateState();
}

void TMasterForm::btOpenClick() {
    if (!MaySetAside()) {
        return;
    }
    const QString path = chooseFile(false, savingFolder());
    if (path.isEmpty()) {
        return;
    }
    const TShowLoadResult result = recorder_.Example().LoadFromFile(path);
    if (result != TShowLoadResult::Loaded) {
        host_.errorBox(exampleLoadMessage(result), {path});
        return;
    }
    recorder_.SetModified(false);
}

bool TMasterForm::btSaveClick() {
    const QString current = recorder_.Example().FileName();
    if (current.isEmpty() || !exampleWritable(current)) {
        return btSaveAsClick();
    }
    return SaveTo(current);
}

bool TMasterForm::btSaveAsClick() {
    const QString path = chooseFile(true, savingFolder());
    return !path.isEmpty() && SaveTo(withExampleSuffix(path));
}

bool TMasterForm::SaveTo(const QString& path) {
    if (!recorder_.Example().SaveToFile(path)) {
        host_.errorBox(common_text::ExampleSaveFailed, {path});
        return false;
    }
    recorder_.SetModified(false);
    return true;
}

// Beside the example's file when that folder may be written, else the user's own folder.
QString TMasterForm::savingFolder() const {
    const QString current = recorder_.Example().FileName();
    if (!current.isEmpty() && exampleWritable(current)) {
        return QFileInfo(current).absolutePath();
    }
    return userExamplesFolder();
}

bool TMasterForm::MaySetAside() {
    if (!recorder_.Modified() || !host_.questionBox(common_text::SaveExampleQuestion)) {
        return true;
    }
    return btSaveClick();
}

// The example may have been loaded or played elsewhere meanwhile.
void TMasterForm::showEvent(QShowEvent* event) {
    updateState();
    QDialog::showEvent(event);
}

void TMasterForm::closeEvent(QCloseEvent* event) {
    if (!MaySetAside()) {
        event->ignore();
        return;
    }
    recorder_.Stop();
    recorder_.Example().Clear();
    recorder_.Example().ForgetFileName();
    recorder_.SetModified(false);
    QDialog::closeEvent(event);
}

void TMasterForm::updateState() {
    const TShowList& example = recorder_.Example();
    const bool recording = recorder_.Recording();
    const bool hasItems = example.Count() > 0;
    if (!hasItems) {
        setWindowTitle(caption);
    } else {
        const QString name =
            example.FileName().isEmpty() ? untitled : QFileInfo(example.FileName()).fileName();
        setWindowTitle(QString("%1: %2").arg(caption, name));
    }
    btRecord->setChecked(recording);
    btRecord->setEnabled(!recording);
    btContinue->setEnabled(!recording && hasItems);
    btStop->setEnabled(recording);
    btPlay->setEnabled(!recording && hasItems);
    btOpen->setEnabled(!recording);
    btSave->setEnabled(!recording && hasItems && recorder_.Modified());
    btSaveAs->setEnabled(!recording && hasItems);
    lbState->setText(recording ? host_.language().Text("Common", common_text::ExampleRecording)
                               : QString());
}
