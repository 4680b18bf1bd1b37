#include "abort_print_form.h"

#include "language.h"
#include "text_table.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const char* const section = "Abort Printing";
}

TAbortPrintForm::TAbortPrintForm(const TLanguage& language, QWidget* parent)
    : QDialog(parent), lbPrinter_(new QLabel(this)), lbPicture_(new QLabel(this)) {
    setObjectName("TAbortPrintForm");
    setWindowTitle(language.Text(section, 0));
    setWindowModality(Qt::ApplicationModal);
    auto* layout = new QVBoxLayout(this);
    auto* printing = new QLabel(language.Text(section, 1), this);
    printing->setObjectName("lbPrinting");
    layout->addWidget(printing);
    lbPrinter_->setObjectName("lbPrinter");
    layout->addWidget(lbPrinter_);
    lbPicture_->setObjectName("lbImage");
    layout->addWidget(lbPicture_);
    auto* cancel = new QPushButton(language.Text("Common", common_text::Cancel), this);
    cancel->setObjectName("btCancel");
    connect(cancel, &QPushButton::clicked, this, [this] {
        cancelled_ = true;
        hide();
    });
    layout->addWidget(cancel, 0, Qt::AlignHCenter);
}

void TAbortPrintForm::ShowPrinter(const QString& name) {
    lbPrinter_->setText(name);
}

void TAbortPrintForm::ShowPicture(const QString& name) {
    lbPicture_->setText(name);
}
