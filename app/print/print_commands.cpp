#include "print_commands.h"

#include "image_window.h"
#include "language.h"
#include "print_form.h"
#include "print_icons.h"
#include "print_images.h"
#include "printed_image.h"
#include "printer_sheet.h"
#include "program_folder.h"
#include "settings_records.h"
#include "text_table.h"
#include "workspace_host.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QPrinter>
#include <QPrinterInfo>
#include <QToolBar>

namespace {
QString fileNameOf(const TfrmMDIChild& window) {
    return QFileInfo(window.FileName()).fileName();
}

QAction* menuItem(QObject* owner, const TLanguage& language, const char* name, int position) {
    auto* action = new QAction(language.Text("Main Menu", position), owner);
    action->setObjectName(name);
    return action;
}

QAction* toolButton(QToolBar* bar, const TLanguage& language, const char* name, int position,
                    bool allPictures) {
    const QString hint = language.Text("Main Toolbar", position);
    QAction* action = bar->addAction(printIcon(allPictures), hint);
    action->setObjectName(name);
    action->setToolTip(hint);
    return action;
}
} // namespace

PrintCommands::PrintCommands(WorkspaceHost& host, QObject* parent)
    : CommandController(host, parent) {}

PrintCommands::~PrintCommands() = default;

void PrintCommands::addCommands(QMenu* fileMenu, QAction* before, QToolBar* toolBar) {
    const TLanguage& language = host().language();
    mnPrint = menuItem(this, language, "mnPrint", 10);
    mnPrint->setShortcut(QKeySequence::Print);
    connect(mnPrint, &QAction::triggered, this, &PrintCommands::PrintCommand);
    mnPrintAll = menuItem(this, language, "mnPrintAll", 11);
    connect(mnPrintAll, &QAction::triggered, this, &PrintCommands::PrintAllCommand);
    fileMenu->insertActions(before, {mnPrint, mnPrintAll});
    fileMenu->insertSeparator(before);

    tbPrint = toolButton(toolBar, language, "tbPrint", 2, false);
    connect(tbPrint, &QAction::triggered, mnPrint, &QAction::trigger);
    tbPrintAll = toolButton(toolBar, language, "tbPrintAll", 3, true);
    connect(tbPrintAll, &QAction::triggered, mnPrintAll, &QAction::trigger);
}

void PrintCommands::updateEnabling() {
    const bool active = host().activeImageWindow() != nullptr;
    const bool several = host().imageWindows().size() >= 2;
    for (QAction* action : {mnPrint, tbPrint}) {
        if (action != nullptr) {
            action->setEnabled(active);
        }
    }
    for (QAction* action : {mnPrintAll, tbPrintAll}) {
        if (action != nullptr) {
            action->setEnabled(several);
        }
    }
}

void PrintCommands::PrintCommand() {
    TfrmMDIChild* window = host().activeImageWindow();
    if (window == nullptr) {
        return;
    }
    TPrintedImageList list;
    list.AddPicture(fileNameOf(*window), window->Image());
    printList(list);
}

void PrintCommands::PrintAllCommand() {
    if (host().activeImageWindow() == nullptr) {
        return;
    }
    TPrintedImageList list;
    for (TfrmMDIChild* window : host().imageWindows()) {
        list.AddPicture(fileNameOf(*window), window->Image());
    }
    printList(list);
}

QPrinter& PrintCommands::printer() {
    if (printer_ == nullptr) {
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        if (QPrinterInfo::availablePrinterNames().isEmpty()) {
            printer_->setOutputFormat(QPrinter::PdfFormat);
        }
        useWholeSheet(*printer_);
    }
    return *printer_;
}

QString PrintCommands::printedAreaFile() const {
    return printedAreaFile_.isEmpty() ? QDir(userDataFolder()).filePath(TPageFilling::FileName)
                                      : printedAreaFile_;
}

void PrintCommands::printList(TPrintedImageList& list) {
    TPrintForm form(host().language(), host().settings().local, printer(), printedAreaFile(),
                    host().dialogParent());
    form.showHelp = showHelp;
    form.SetImages(list);
    if (windowReady) {
        windowReady(form);
    }
    if (form.exec() != QDialog::Accepted || list.Count() == 0) {
        return;
    }
    if (!chooseOutputFile(list)) {
        form.RecordJob(false);
        return;
    }
    const PrintJob job{host().applicationTitle(), form.Copies(), form.Title().Font,
                       form.Title().Colour};
    const PrintOutcome outcome =
        PrintImages(host().dialogParent(), host().language(), list, printer(), job);
    form.RecordJob(outcome == PrintOutcome::Printed);
    if (outcome == PrintOutcome::Failed) {
        host().errorBox(common_text::PrintFailed);
    }
}

// Without an installed printer every job asks for its file; a printer set up to write a file
// asks only when it has no name for it.
bool PrintCommands::chooseOutputFile(const TPrintedImageList& list) {
    QPrinter& target = printer();
    const bool noPrinters = QPrinterInfo::availablePrinterNames().isEmpty();
    if (target.outputFormat() != QPrinter::PdfFormat ||
        (!noPrinters && !target.outputFileName().isEmpty())) {
        return true;
    }
    QString proposal = target.outputFileName();
    if (proposal.isEmpty()) {
        const QString folder = host().settings().imageDirectory.isEmpty()
                                   ? QDir::homePath()
                                   : host().settings().imageDirectory;
        proposal = QDir(folder).filePath(QFileInfo(list[0]->Name).completeBaseName() + ".pdf");
    }
    QString name = choosePdfFile ? choosePdfFile(proposal)
                                 : QFileDialog::getSaveFileName(host().dialogParent(),
                                                                host().language().Text("Print", 0),
                                                                proposal, "PDF (*.pdf)");
    if (name.isEmpty()) {
        return false;
    }
    if (QFileInfo(name).suffix().isEmpty()) {
        name += ".pdf";
    }
    target.setOutputFileName(name);
    return true;
}
