#include "example_commands.h"

#include "example_player.h"
#include "language.h"
#include "menu_items.h"
#include "play_show_dialog.h"
#include "player_host.h"
#include "text_table.h"
#include "workspace_host.h"

#include <QDir>
#include <QFileInfo>
#include <QMenuBar>

namespace {
constexpr int examplesMenuText = 26;
constexpr int firstExampleText = 27;
constexpr int showPlayerText = 42;
} // namespace

ExampleCommands::ExampleCommands(WorkspaceHost& host, PlayerHost& player, QObject* parent)
    : CommandController(host, parent), playerHost_(player),
      player_(new TExamplePlayer(player, this)),
      playerDialog_(new TPlayShowDlg(host, *player_, host.dialogParent())) {
    playerDialog_->showHelp = [this](int topic) {
        if (showHelp) {
            showHelp(topic);
        }
    };
    player_->finished = [this](bool byKey) { playerDialog_->ExampleEnded(byKey); };
    player_->interrupted = [this] { playerDialog_->ExampleInterrupted(); };
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
    connect(mnShowPlayer, &QAction::triggered, this, &ExampleCommands::ShowPlayerWindow);
}

void ExampleCommands::ShowPlayerWindow() {
    if (playerDialog_->isHidden()) {
        playerDialog_->show();
    }
}

void ExampleCommands::PlayExample(int number) {
    if (player_->Running()) {
        return;
    }
    if (!host().imageWindows().isEmpty()) {
        if (!host().questionBox(common_text::CloseWindowsForExample) ||
            !playerHost_.closeAllImages()) {
            return;
        }
    }
    const QString folder = QDir(host().dataFolder()).filePath("Images");
    const QString fileName = QString("Example%1.shw").arg(number);
    const QString path = QDir(folder).filePath(fileName);
    if (!QFileInfo::exists(path)) {
        host().warningBox(common_text::ExampleMissing, {fileName, folder});
        return;
    }
    if (player_->Example().LoadFromFile(path) != TShowLoadResult::Loaded) {
        host().errorBox(common_text::ExampleLoadFailed, {path});
        return;
    }
    player_->Start(true);
}

void ExampleCommands::updateEnabling() {
    mnShowPlayer->setEnabled(host().imageWindows().isEmpty());
}

void ExampleCommands::closing() {
    if (player_->Running()) {
        player_->Abort();
    }
    playerDialog_->close();
}
