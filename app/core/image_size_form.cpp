#include "image_size_form.h"

#include "language.h"
#include "resolution_form.h"
#include "text_table.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>
#include <limits>

namespace {
const QString section = "Image Size";
constexpr long double minPixels = 1;
constexpr long double maxPixels = 1e10L;
constexpr qint64 maxPictureBytes = qint64{1} << 30;
constexpr qint64 maxHeaderField = std::numeric_limits<std::int32_t>::max();
constexpr int maxBitCount = 32;

QString pixelsText(const TLanguage& language, std::int32_t count) {
    return QString::number(count) + " " + language.Text("Common", common_text::Pixels);
}

QString resolutionText(const BITMAPINFOHEADER& header) {
    return QString("%1x%2 dpi")
        .arg(DotsPerInch(header.biXPelsPerMeter))
        .arg(DotsPerInch(header.biYPelsPerMeter));
}
} // namespace

TImageSizeForm::TImageSizeForm(const TLanguage& language, const BITMAPINFOHEADER& header,
                               TConfigSettings& config, QWidget* parent)
    : QDialog(parent), lbWidth(new QLabel(pixelsText(language, header.biWidth), this)),
      lbHeight(new QLabel(pixelsText(language, header.biHeight), this)),
      lbResolution(new QLabel(resolutionText(header), this)), edtWidth(new TRealEdit(this)),
      edtHeight(new TRealEdit(this)), cmbUnits(new QComboBox(this)),
      chbProportions(new QCheckBox(language.Text(section, 6), this)),
      btOK(new QPushButton(language.Text(section, 8), this)),
      btCancel(new QPushButton(language.Text("Common", common_text::Cancel), this)),
      btHelp(new QPushButton(language.Text("Common", common_text::Help), this)), config_(config),
      xPixelsPerMetre_(header.biXPelsPerMeter), yPixelsPerMetre_(header.biYPelsPerMeter),
      aspectRatio_(static_cast<double>(header.biWidth) / header.biHeight),
      widthPixels_(header.biWidth), heightPixels_(header.biHeight) {
    setWindowTitle(language.Text(section, 0));
    fillUnits(language, config.ResizeUnit);
    cmbUnitsChange();
    chbProportions->setChecked(config.KeepProportions != 0);
    layOut(language);

    connect(cmbUnits, &QComboBox::currentIndexChanged, this, &TImageSizeForm::cmbUnitsChange);
    connect(edtWidth, &TRealEdit::valueChanged, this, &TImageSizeForm::edtWidthChange);
    connect(edtHeight, &TRealEdit::valueChanged, this, &TImageSizeForm::edtHeightChange);
    connect(chbProportions, &QCheckBox::toggled, this, &TImageSizeForm::chbProportionsClick);
    connect(btOK, &QPushButton::clicked, this, &TImageSizeForm::accept);
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btHelp, &QPushButton::clicked, this, [this] {
        if (showHelp) {
            showHelp();
        }
    });
    btOK->setDefault(true);
}

void TImageSizeForm::fillUnits(const TLanguage& language, std::int32_t storedUnit) {
    cmbUnits->addItem(language.Text("Common", common_text::Pixels));
    // Inches and centimetres need both resolutions.
    if (xPixelsPerMetre_ <= 0 || yPixelsPerMetre_ <= 0) {
        return;
    }
    cmbUnits->addItem(language.Text("Common", common_text::Inches));
    cmbUnits->addItem("cm");
    cmbUnits->setCurrentIndex(storedUnit >= Pixels && storedUnit <= Centimetres ? storedUnit
                                                                                : Pixels);
}

void TImageSizeForm::layOut(const TLanguage& language) {
    auto* grbCurrent = new QGroupBox(language.Text(section, 1), this);
    auto* current = new QFormLayout(grbCurrent);
    current->addRow(language.Text(section, 3), lbWidth);
    current->addRow(language.Text(section, 4), lbHeight);
    current->addRow(language.Text(section, 7), lbResolution);
    auto* grbNew = new QGroupBox(language.Text(section, 2), this);
    auto* next = new QFormLayout(grbNew);
    next->addRow(language.Text(section, 3), edtWidth);
    next->addRow(language.Text(section, 4), edtHeight);
    next->addRow(language.Text(section, 5), cmbUnits);
    next->addRow(chbProportions);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btOK);
    buttons->addWidget(btCancel);
    buttons->addWidget(btHelp);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grbCurrent);
    layout->addWidget(grbNew);
    layout->addLayout(buttons);
}

long double TImageSizeForm::pixelsPerUnit(std::int32_t pixelsPerMetre) const {
    switch (unit_) {
    case Inches:
        return pixelsPerMetre * 0.0254L;
    case Centimetres:
        return pixelsPerMetre * 0.01L;
    default:
        return 1;
    }
}

long double TImageSizeForm::pixelsOf(const TRealEdit* edit, std::int32_t pixelsPerMetre) const {
    return edit->Value() * pixelsPerUnit(pixelsPerMetre);
}

void TImageSizeForm::showInEdit(TRealEdit* edit, long double pixels, std::int32_t pixelsPerMetre) {
    edit->SetValue(pixels / pixelsPerUnit(pixelsPerMetre));
}

// Whole pixels, or thousandths of inches and centimetres; the limits stay 1 to 10^10 pixels
// in every unit.
void TImageSizeForm::cmbUnitsChange() {
    unit_ = static_cast<Unit>(cmbUnits->currentIndex());
    const bool whole = unit_ == Pixels;
    for (const auto& [edit, pixelsPerMetre] :
         {std::pair{edtWidth, xPixelsPerMetre_}, std::pair{edtHeight, yPixelsPerMetre_}}) {
        edit->SetAfterPoint(whole ? 0 : 3);
        edit->SetIncrement(whole ? 1 : 0.1L);
        edit->SetMin(minPixels / pixelsPerUnit(pixelsPerMetre));
        edit->SetMax(maxPixels / pixelsPerUnit(pixelsPerMetre));
    }
    showInEdit(edtWidth, widthPixels_, xPixelsPerMetre_);
    showInEdit(edtHeight, heightPixels_, yPixelsPerMetre_);
}

// Leaving an edit without changing its text must not move the size by the rounding of what the
// edit shows: the exact size goes back into it instead.
bool TImageSizeForm::keptAsShown(TRealEdit* edit, long double pixels, std::int32_t pixelsPerMetre) {
    const long double shown = pixels / pixelsPerUnit(pixelsPerMetre);
    if (edit->Field()->text() !=
        QString::number(static_cast<double>(shown), 'f', edit->AfterPoint())) {
        return false;
    }
    edit->SetValue(shown);
    return true;
}

void TImageSizeForm::edtWidthChange() {
    if (keptAsShown(edtWidth, widthPixels_, xPixelsPerMetre_)) {
        return;
    }
    widthPixels_ = pixelsOf(edtWidth, xPixelsPerMetre_);
    if (chbProportions->isChecked()) {
        heightFromWidth();
    }
}

void TImageSizeForm::edtHeightChange() {
    if (keptAsShown(edtHeight, heightPixels_, yPixelsPerMetre_)) {
        return;
    }
    heightPixels_ = pixelsOf(edtHeight, yPixelsPerMetre_);
    if (chbProportions->isChecked()) {
        widthFromHeight();
    }
}

void TImageSizeForm::chbProportionsClick() {
    if (chbProportions->isChecked()) {
        heightFromWidth();
    }
}

// The proportions are those of the pixels, so that they hold even when the two resolutions
// differ. The side is read back from its edit, which keeps it within its limits.
void TImageSizeForm::heightFromWidth() {
    showInEdit(edtHeight, widthPixels_ / aspectRatio_, yPixelsPerMetre_);
    heightPixels_ = pixelsOf(edtHeight, yPixelsPerMetre_);
}

void TImageSizeForm::widthFromHeight() {
    showInEdit(edtWidth, heightPixels_ * aspectRatio_, xPixelsPerMetre_);
    widthPixels_ = pixelsOf(edtWidth, xPixelsPerMetre_);
}

qint64 TImageSizeForm::NewWidth() const {
    return std::llrint(widthPixels_);
}

qint64 TImageSizeForm::NewHeight() const {
    return std::llrint(heightPixels_);
}

bool TImageSizeForm::SizeFits(qint64 width, qint64 height, int bitCount) {
    if (width < 1 || height < 1 || width > maxHeaderField || height > maxHeaderField ||
        bitCount < 1 || bitCount > maxBitCount) {
        return false;
    }
    const qint64 rowStride = (width * bitCount + 31) / 32 * 4;
    // Divided rather than multiplied, so that no product can overflow.
    return rowStride <= maxPictureBytes / height;
}

void TImageSizeForm::accept() {
    config_.ResizeUnit = unit_;
    config_.KeepProportions = chbProportions->isChecked();
    QDialog::accept();
}
