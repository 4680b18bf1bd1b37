#include "example_commands.h"

#include "example_player.h"
#include "example_recorder.h"
#include "language.h"
#include "master_form.h"
#include "menu_items.h"
#include "play_show_dialog.h"
#include "player_host.h"
#include "text_table.h"
#include "translate_form.h"
#include "workspace_host.h"

#include <QDir>
#include <QFileInfo>
#include <QMenuBar>
#include <QShortcut>

namespace {
constexpr int examplesMenuText = 26;
constexpr int firstExampleText = 27;
constexpr int showPlayerText = 42;
constexpr int makeExampleText = 43;
constexpr int translateExampleText = 54;
} // namespace

ExampleCommands::ExampleCommands(WorkspaceHost& host, PlayerHost& player, QObject* parent)
    : CommandController(host, parent), playerHost_(player),
      player_(new TExamplePlayer(player, this)),
      playerDialog_(new TPlayShowDlg(host, *player_, host.dialogParent())),
      recorder_(new TExampleRecorder(player, *player_, this)),
      masterForm_(new TMasterForm(host, *recorder_, *player_, host.dialogParent())) {
    playerDialog_->showHelp = [this](int topic) {
        if (showHelp) {
            showHelp(topic);
        }
    };
    connect(player_, &TExamplePlayer::exampleEnded, playerDialog_, &TPlayShowDlg::ExampleEnded);
    connect(player_, &TExamplePlayer::exampleInterrupted, playerDialog_,
            &TPlayShowDlg::ExampleInterrupted);
}

void ExampleCommands::addExamplesMenu(QMenuBar* bar) {
    const TLanguage& language = host().language();
    mmnExamples = bar->addMenu(language.Text("Main Menu", examplesMenuText));
    mmnExamples->setObjectName("mmnExamples");
    for (int number = 1; number <= builtInExamples; ++number) {
        const QByteArray name = "mnExample" + QByteArray::number(number);
        QAction* item =
            addMainMenuItem(mmnExamples, language, name.constData(), firstExampleText + number - 1);
        connect(item, &QAction::triggered, this, [this, number] { PlayExample(number); });
        mnExamples.append(item);
    }
    mmnExamples->addSeparator();
    mnShowPlayer = addMainMenuItem(mmnExamples, language, "mnShowPlayer", showPlayerText);
    mnTranslateExample =
        addMainMenuItem(mmnExamples, language, "mnTranslateExample", translateExampleText);
    connect(mnTranslateExample, &QAction::triggered, this, &ExampleCommands::TranslateExample);
    connect(mnShowPlayer, &QAction::triggered, this, &ExampleCommands::ShowPlayerWindow);
    // Authors only: the item stays hidden, and a hidden item's shortcut does not work, so the
    // main window carries the shortcut itself.
    mnMakeExample = addMainMenuItem(mmnExamples, language, "mnMakeExample", makeExampleText);
    mnMakeExample->setVisible(false);
    connect(mnMakeExample, &QAction::triggered, this, &ExampleCommands::MakeExample);
    auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_M), playerHost_.mainWindow());
    connect(shortcut, &QShortcut::activated, mnMakeExample, &QAction::trigger);
}

void ExampleCommands::MakeExample() {
    if (masterForm_->isHidden()) {
        masterForm_->show();
    }
    masterForm_->raise();
}

void ExampleCommands::TranslateExample() {
    TTranslateExampleForm form(host(), host().dialogParent());
    form.exec();
}

void ExampleCommands::ShowPlayerWindow() {
    if (playerDialog_->isHidden()) {
        playerDialog_->show();
    }
}

void ExampleCommands::PlayExample(int number) {
    const QString folder = QDir(host().dataFolder()).filePath("Images");
    const QString fileName = QString("Example%1.shw").arg(number);
    const QString path = QDir(folder).filePath(fileName);
    if (!player_->Running() && !QFileInfo::exists(path)) {
        host().warningBox(common_text::ExampleMissing, {fileName, folder});
        return;
    }
    PlayExampleFile(path);
}

void ExampleCommands::PlayExampleFile(const QString& path) {
    if (player_->Running()) {
        return;
    }
    if (!host().imageWindows().isEmpty()) {
        if (!host().questionBox(common_text::CloseWindowsForExample) ||
            !playerHost_.closeAllImages()) {
            return;
        }
    }
    if (player_->Example().LoadFromFile(path) != TShowLoadResult::Loaded) {
        host().errorBox(common_text::ExampleLoadFailed, {path});
        return;
    }
    player_->Start(true);
}

void ExampleCommands::updateEnabling() {
    const bool noPictures = host().imageWindows().isEmpty();
    mnShowPlayer->setEnabled(noPictures);
    mnMakeExample->setEnabled(noPictures || masterForm_->isVisible());
}

void ExampleCommands::closing() {
    if (player_->Running()) {
        player_->Abort();
    }
    recorder_->Stop();
    if (masterForm_->isVisible()) {
        masterForm_->close(); // offers to save a changed example
    }
    playerDialog_->close();
}
