#include "select_language_form.h"

#include "language.h"
#include "text_table.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr const char* section = "Translate Example";
constexpr int captionText = 22;
} // namespace

TSelectLanguageForm::TSelectLanguageForm(const TLanguage& language, const QStringList& names,
                                         int current, QWidget* parent)
    : QDialog(parent) {
    setObjectName("SelectLanguageForm");
    setWindowTitle(language.Text(section, captionText));
    lstLanguages = new QListWidget(this);
    lstLanguages->setObjectName("lstLanguages");
    lstLanguages->addItems(names);
    if (current >= 0 && current < names.size()) {
        lstLanguages->setCurrentRow(current);
    }
    btOK = new QPushButton(language.Text("Common", common_text::OK), this);
    btOK->setObjectName("btOK");
    btOK->setDefault(true);
    btCancel = new QPushButton(language.Text("Common", common_text::Cancel), this);
    btCancel->setObjectName("btCancel");

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(btOK, QDialogButtonBox::AcceptRole);
    buttons->addButton(btCancel, QDialogButtonBox::RejectRole);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lstLanguages);
    layout->addWidget(buttons);

    connect(btOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(lstLanguages, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(lstLanguages, &QListWidget::currentRowChanged, this,
            &TSelectLanguageForm::updateButtons);
    updateButtons();
}

int TSelectLanguageForm::Chosen() const {
    return lstLanguages->currentRow();
}

void TSelectLanguageForm::updateButtons() {
    btOK->setEnabled(Chosen() >= 0);
}

int chooseExampleLanguage(QWidget* parent, const TLanguage& language, const QStringList& names,
                          int current) {
    TSelectLanguageForm form(language, names, current, parent);
    return form.exec() == QDialog::Accepted ? form.Chosen() : -1;
}
