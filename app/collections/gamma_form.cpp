#include "gamma_form.h"

#include "extended_float.h"
#include "language.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtEndian>

namespace {
const QString section = "Bottom Toolbar";
constexpr int extendedSize = 10;
} // namespace

TGammaForm::TGammaForm(const TLanguage& language, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint), lstGammas(new QListWidget(this)),
      btAdd(new QPushButton(language.Text(section, 27), this)),
      btDelete(new QPushButton(language.Text(section, 29), this)) {
    setWindowTitle(language.Text(section, 26));
    btAdd->setToolTip(language.Text(section, 28));
    btDelete->setToolTip(language.Text(section, 30));
    lstGammas->addItems({"1.40", "1.70", "2.20"});
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
    if (bytes.size() < 4) {
        return false;
    }
    const std::uint32_t count = qFromLittleEndian<std::uint32_t>(bytes.constData());
    if (count > std::uint32_t(bytes.size() - 4) / extendedSize) {
        return false; // more values announced than stored
    }
    lstGammas->clear();
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData()) + 4;
    for (std::uint32_t i = 0; i < count; ++i) {
        lstGammas->addItem(format(fromExtended(data + i * extendedSize)));
    }
    lstGammas->setCurrentRow(0);
    return true;
}

bool TGammaForm::SaveToBytes(QByteArray& bytes) const {
    QByteArray out(4, '\0');
    qToLittleEndian<std::uint32_t>(lstGammas->count(), out.data());
    for (int i = 0; i < lstGammas->count(); ++i) {
        bool number = false;
        const double value = lstGammas->item(i)->text().toDouble(&number);
        if (!number) {
            return false;
        }
        const auto extended = toExtended(value);
        out.append(reinterpret_cast<const char*>(extended.data()), extendedSize);
    }
    bytes = out;
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
