#include "source_form.h"

#include "language.h"
#include "text_table.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// A menu text as a title: without its accelerator and the closing dots.
QString titleOf(QString menuText) {
    menuText.remove('&');
    while (menuText.endsWith('.')) {
        menuText.chop(1);
    }
    return menuText.trimmed();
}
} // namespace

TSourceForm::TSourceForm(const TLanguage& language, const std::vector<scanner::Source>& sources,
                         int current, QWidget* parent)
    : QDialog(parent), lbSources(new QListWidget(this)),
      btOK(new QPushButton(language.Text("Common", common_text::OK), this)),
      btCancel(new QPushButton(language.Text("Common", common_text::Cancel), this)) {
    setObjectName("SourceForm");
    setWindowTitle(titleOf(language.Text("Main Menu", 4)));
    for (const scanner::Source& source : sources) {
        lbSources->addItem(describe(source));
    }
    lbSources->setCurrentRow(current);
    lbSources->setMinimumWidth(360);
    btOK->setDefault(true);
    btOK->setEnabled(current >= 0);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btOK);
    buttons->addWidget(btCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lbSources);
    layout->addLayout(buttons);
    connect(lbSources, &QListWidget::currentRowChanged, this,
            [this](int row) { btOK->setEnabled(row >= 0); });
    connect(lbSources, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(btOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
}

int TSourceForm::chosen() const {
    return lbSources->currentRow();
}

QString TSourceForm::describe(const scanner::Source& source) {
    QString text = QString::fromStdString(source.vendor + ' ' + source.model).trimmed();
    text += QString(" (%1)").arg(QString::fromStdString(source.device));
    if (!source.feed.empty()) {
        text += QString::fromUtf8(" \u2013 ") + QString::fromStdString(source.feed);
    }
    return text.trimmed();
}
