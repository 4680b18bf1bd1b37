// PrintCommands: File, Print (the active picture) and File, Print all (every open picture, in
// the workspace's order), with their tool buttons. Each opens the print dialog on a list of the
// pictures and, when it closes with Start, prints them and tells the dialog how the job ended.
// The printer is kept for the session, so a printer set up once stays chosen. Where no printer
// is installed, the pictures go to a PDF file that the user names.
#pragma once

#include "command_controller.h"

#include <QString>

#include <functional>
#include <memory>

class QAction;
class QMenu;
class QPrinter;
class QToolBar;
class TPrintForm;
class TPrintedImageList;

class PrintCommands : public CommandController {
    Q_OBJECT

public:
    explicit PrintCommands(WorkspaceHost& host, QObject* parent = nullptr);
    ~PrintCommands() override;

    // Puts Print and Print all into the File menu ahead of `before`, and their buttons on the
    // tool bar.
    void addCommands(QMenu* fileMenu, QAction* before, QToolBar* toolBar);

    void PrintCommand();
    void PrintAllCommand();

    void updateEnabling() override;

    QPrinter& printer();
    // The file of the printed areas: "Huemark.prn" in the user's data folder unless set.
    QString printedAreaFile() const;
    void setPrintedAreaFile(const QString& path) { printedAreaFile_ = path; }

    // Opens a help topic (the dialog's help button).
    std::function<void(int topic)> showHelp;
    // Called with the dialog once it is filled, before it is shown (for tests and examples).
    std::function<void(TPrintForm&)> windowReady;
    // Names the PDF file to print to (proposing `proposal`); empty to print nothing. Without
    // it, the save dialog.
    std::function<QString(const QString& proposal)> choosePdfFile;

    QAction* mnPrint = nullptr;
    QAction* mnPrintAll = nullptr;
    QAction* tbPrint = nullptr;
    QAction* tbPrintAll = nullptr;

private:
    void printList(TPrintedImageList& list);
    // Where the printer writes a PDF file, it is asked for; false when none was named.
    bool chooseOutputFile(const TPrintedImageList& list);

    std::unique_ptr<QPrinter> printer_;
    QString printedAreaFile_;
};
