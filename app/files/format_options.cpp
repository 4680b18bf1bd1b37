#include "format_options.h"

#include "language.h"
#include "settings_store.h"
#include "text_table.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
const QString section = "INPUT_OUTPUT";
const QString pngSmallestKey = "PngSmallestFile";
constexpr int pngSmallestText = 19;

QGroupBox* groupOf(const QString& title, std::initializer_list<QWidget*> members, QWidget* parent) {
    auto* group = new QGroupBox(title, parent);
    auto* layout = new QVBoxLayout(group);
    for (QWidget* member : members) {
        layout->addWidget(member);
    }
    return group;
}
} // namespace

bool pngSmallestFile(const SettingsStore& store) {
    int smallest = 0;
    store.readInteger("", pngSmallestKey, smallest);
    return smallest != 0;
}

void setPngSmallestFile(SettingsStore& store, bool smallest) {
    store.writeInteger("", pngSmallestKey, smallest ? 1 : 0);
}

TFormatOptions::TFormatOptions(const TLanguage& language, int captionPosition,
                               TLocalSettings& local, QWidget* parent)
    : QDialog(parent), chbDisplay(new QCheckBox(language.Text(section, 11), this)), local_(local),
      language_(language) {
    setWindowTitle(language.Text(section, captionPosition));
}

void TFormatOptions::finish(QWidget* group) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)
        ->setText(language_.Text("Common", common_text::Cancel));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(chbDisplay);
    layout->addWidget(buttons);
}

TJPEGOptions::TJPEGOptions(const TLanguage& language, TLocalSettings& local, QWidget* parent)
    : TFormatOptions(language, 12, local, parent), cmbQuality(new QComboBox(this)) {
    for (int percent = 10; percent <= 90; percent += 10) {
        cmbQuality->addItem(QString("%1%").arg(percent));
    }
    cmbQuality->setCurrentIndex(std::clamp(local.JpegQuality, 1, 9) - 1);
    chbDisplay->setChecked(local.DisplayJPEGOptions != 0);
    finish(groupOf(language.Text(section, 13), {cmbQuality}, this));
}

void TJPEGOptions::accept() {
    local_.JpegQuality = cmbQuality->currentIndex() + 1;
    local_.DisplayJPEGOptions = chbDisplay->isChecked();
    QDialog::accept();
}

TTIFFOptions::TTIFFOptions(const TLanguage& language, TLocalSettings& local, QWidget* parent)
    : TFormatOptions(language, 14, local, parent),
      rbtUncompressed(new QRadioButton(language.Text(section, 16), this)),
      rbtPackbits(new QRadioButton("PackBits", this)) {
    (local.TiffCompression == 1 ? rbtPackbits : rbtUncompressed)->setChecked(true);
    chbDisplay->setChecked(local.DisplayTIFFOptions != 0);
    finish(groupOf(language.Text(section, 15), {rbtUncompressed, rbtPackbits}, this));
}

void TTIFFOptions::accept() {
    local_.TiffCompression = rbtPackbits->isChecked() ? 1 : 0;
    local_.DisplayTIFFOptions = chbDisplay->isChecked();
    QDialog::accept();
}

TPNGOptions::TPNGOptions(const TLanguage& language, TLocalSettings& local, SettingsStore& store,
                         QWidget* parent)
    : TFormatOptions(language, 17, local, parent),
      rbtInterlaced(new QRadioButton("Interlaced", this)),
      rbtNoninterlaced(new QRadioButton("Non-interlaced", this)),
      chbSmallest(new QCheckBox(language.Text(section, pngSmallestText), this)), store_(store) {
    (local.PngInterlaced != 0 ? rbtInterlaced : rbtNoninterlaced)->setChecked(true);
    chbSmallest->setChecked(pngSmallestFile(store));
    chbDisplay->setChecked(local.DisplayPNGOptions != 0);
    finish(groupOf("PNG", {rbtInterlaced, rbtNoninterlaced, chbSmallest}, this));
}

void TPNGOptions::accept() {
    local_.PngInterlaced = rbtInterlaced->isChecked();
    local_.DisplayPNGOptions = chbDisplay->isChecked();
    setPngSmallestFile(store_, chbSmallest->isChecked());
    QDialog::accept();
}
