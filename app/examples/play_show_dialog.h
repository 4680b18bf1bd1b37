// TPlayShowDlg: the example player's window. It lists example files (title and file name),
// plays the selected one or all of them in turn, with a pause between two and, when asked,
// over and over until a key breaks an example. It hides while an example plays.
#pragma once

#include <QDialog>
#include <QStringList>
#include <QTimer>

#include <functional>

class QCheckBox;
class QListWidget;
class QPushButton;
class QSpinBox;
class TExamplePlayer;
class WorkspaceHost;

class TPlayShowDlg : public QDialog {
    Q_OBJECT

public:
    // The pause between two examples of a Play All run.
    static constexpr int pauseBetweenExamples = 5000;

    TPlayShowDlg(WorkspaceHost& host, TExamplePlayer& player, QWidget* parent = nullptr);

    // Adds the examples among `files` whose header can be read.
    void AddExamples(const QStringList& files);
    QStringList Files() const { return files_; }
    void PlayOne();
    void PlayAll();
    // The player ended an example; `byKey` when a key ended it.
    void ExampleEnded(bool byKey);
    // The player was interrupted.
    void ExampleInterrupted();

    // Test hooks: the file choice and the pause.
    std::function<QStringList()> chooseFiles;
    void SetPause(int milliseconds) { pause_.setInterval(milliseconds); }
    std::function<void(int topic)> showHelp;

    QListWidget* lbShows = nullptr;
    QPushButton* btLoadShow = nullptr;
    QPushButton* btPlayOne = nullptr;
    QPushButton* btPlayAll = nullptr;
    QCheckBox* chbCyclic = nullptr;
    QSpinBox* seSpeed = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void btLoadShowClick();
    bool play(int index);
    void playNext();
    void updateButtons();

    WorkspaceHost& host_;
    TExamplePlayer& player_;
    QStringList files_;
    int playing_ = -1;
    bool playingAll_ = false;
    QTimer pause_;
};
