// ExampleCommands: the Examples menu with its fifteen built-in examples and the player window,
// the example player itself and playing an example by number (the menu and the tips box), and
// for authors the recorder with its window, reached by Ctrl+M (its menu item stays hidden).
#pragma once

#include "command_controller.h"

#include <QList>

#include <functional>

class PlayerHost;
class QAction;
class QMenu;
class QMenuBar;
class TExamplePlayer;
class TExampleRecorder;
class TMasterForm;
class TPlayShowDlg;

class ExampleCommands : public CommandController {
    Q_OBJECT

public:
    static constexpr int builtInExamples = 15;

    ExampleCommands(WorkspaceHost& host, PlayerHost& player, QObject* parent = nullptr);

    // The Examples menu, added at the end of the menu bar.
    void addExamplesMenu(QMenuBar* bar);
    // Plays built-in example `number` (1 to 15) from the folder "Images" of the data folder,
    // after closing the open pictures when the user agrees.
    void PlayExample(int number);
    // Plays an example file given by name (opened from the file manager), after the same
    // question about open pictures as the built-in examples.
    void PlayExampleFile(const QString& path);
    void ShowPlayerWindow();
    // "Make Example": the recorder's window.
    void MakeExample();
    // "Translate Example...": the translation window.
    void TranslateExample();

    TExamplePlayer& player() const { return *player_; }
    TPlayShowDlg& playerDialog() const { return *playerDialog_; }
    TExampleRecorder& recorder() const { return *recorder_; }
    TMasterForm& masterForm() const { return *masterForm_; }

    std::function<void(int topic)> showHelp;

    void updateEnabling() override;
    void closing() override;

    QMenu* mmnExamples = nullptr;
    QList<QAction*> mnExamples; // mnExample1 to mnExample15
    QAction* mnShowPlayer = nullptr;
    QAction* mnMakeExample = nullptr;
    QAction* mnTranslateExample = nullptr;

private:
    PlayerHost& playerHost_;
    TExamplePlayer* player_;
    TPlayShowDlg* playerDialog_;
    TExampleRecorder* recorder_;
    TMasterForm* masterForm_;
};
