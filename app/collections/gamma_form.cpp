#include "gamma_form.h"

#include "gamma_list_bytes.h"
#include "language.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QString section = "Bottom Toolbar";
} // namespace

TGammaForm::TGammaForm(const TLanguage& language, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint), lstGammas(new QListWidget(this)),
      btAdd(new QPushButton(language.Text(section, 27), this)),
      btDelete(new QPushButton(language.Text(section, 29), this)) {
    setWindowTitle(language.Text(section, 26));
    btAdd->setToolTip(language.Text(section, 28));
    btDelete->setToolTip(language.Text(section, 30));
    for (const double value : defaultGammaList()) {
        lstGammas->addItem(format(value));
    }
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btAdd);
    buttons->addWidget(btDelete);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lstGammas);
    layout->addLayout(buttons);
    connect(lstGammas, &QListWidget::itemClicked, this, &TGammaForm::lstGammasClick);
    connect(btAdd, &QPushButton::clicked, this, &TGammaForm::btAddClick);
    connect(btDelete, &QPushButton::clicked, this, &TGammaForm::btDeleteClick);
}

QString TGammaForm::format(double value) const {
    return QString("%1").arg(value, Width + Decimals + 1, 'f', Decimals).remove(' ');
}

bool TGammaForm::LoadFromBytes(const QByteArray& bytes) {
    const auto values = decodeGammaList(bytes);
    if (!values) {
        return false;
    }
    lstGammas->clear();
    for (const double value : *values) {
        lstGammas->addItem(format(value));
    }
    lstGammas->setCurrentRow(0);
    return true;
}

bool TGammaForm::SaveToBytes(QByteArray& bytes) const {
    std::vector<double> values;
    for (int i = 0; i < lstGammas->count(); ++i) {
        bool number = false;
        values.push_back(lstGammas->item(i)->text().toDouble(&number));
        if (!number) {
            return false;
        }
    }
    bytes = encodeGammaList(values);
    return true;
}

void TGammaForm::lstGammasClick() {
    bool number = false;
    const QListWidgetItem* item = lstGammas->currentItem();
    const double value = item != nullptr ? item->text().toDouble(&number) : 0;
    if (valueChosen && number) {
        valueChosen(value);
    }
}

void TGammaForm::btAddClick() {
    if (currentValue) {
        lstGammas->addItem(format(currentValue()));
    }
}

void TGammaForm::btDeleteClick() {
    if (lstGammas->currentRow() >= 0) {
        delete lstGammas->takeItem(lstGammas->currentRow());
        lstGammas->setCurrentRow(0);
    }
}
