// TAbortPrintForm: the small box shown while pictures go to the printer, with the printer's
// name, the picture being sent and a Cancel button. It blocks the other windows; the printing
// loop lets events through between pictures, so Cancel is answered there.
#pragma once

#include <QDialog>

class QLabel;
class TLanguage;

class TAbortPrintForm : public QDialog {
    Q_OBJECT

public:
    TAbortPrintForm(const TLanguage& language, QWidget* parent = nullptr);

    void ShowPrinter(const QString& name);
    void ShowPicture(const QString& name);
    // Cancel was pressed: the job stops after the picture being sent.
    bool Cancelled() const { return cancelled_; }

private:
    QLabel* lbPrinter_;
    QLabel* lbPicture_;
    bool cancelled_ = false;
};
