// TMasterForm, "Example Master": the author's window for making examples. Record starts a new
// recording, Continue goes on at the end, Stop ends it; Play plays the example (an example
// broken off with the cancel key can be cut there and recorded on); Edit opens the editor;
// Open, Save and Save as keep the example in files.
#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QPushButton;
class TExamplePlayer;
class TExampleRecorder;
class WorkspaceHost;

class TMasterForm : public QDialog {
    Q_OBJECT

public:
    TMasterForm(WorkspaceHost& host, TExampleRecorder& recorder, TExamplePlayer& player,
                QWidget* parent = nullptr);

    // Writes the example; false, after saying so, when the file could not be written.
    bool SaveTo(const QString& path);
    // Offers to save a changed example; false when the author wants to keep working on it.
    bool MaySetAside();

    // Test hooks: the file dialogs (an empty name cancels) and the question after a break.
    std::function<QString(bool save, const QString& folder)> chooseFile;
    std::function<bool()> askCut;

    QPushButton* btRecord = nullptr;
    QPushButton* btContinue = nullptr;
    QPushButton* btStop = nullptr;
    QPushButton* btPlay = nullptr;
    QPushButton* btEdit = nullptr;
    QPushButton* btOpen = nullptr;
    QPushButton* btSave = nullptr;
    QPushButton* btSaveAs = nullptr;
    QLabel* lbState = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void btRecordClick();
    void btContinueClick();
    void btStopClick();
    void btPlayClick();
    void btEditClick();
    void btOpenClick();
    bool btSaveClick();
    bool btSaveAsClick();
    void exampleEnded();
    void exampleInterrupted();
    void updateState();
    QString savingFolder() const;

    WorkspaceHost& host_;
    TExampleRecorder& recorder_;
    TExamplePlayer& player_;
    bool playedHere_ = false;
};
