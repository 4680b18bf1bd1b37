#include "image_information_form.h"

#include "dib_image.h"
#include "language.h"
#include "resolution_form.h"
#include "text_table.h"

#include <QFormLayout>
#include <QLabel>
#include <QPushButton>

#include <cmath>
#include <cstdlib>

namespace {
const QString section = "Image Information";

QString countText(const TLanguage& language, std::int64_t count, int unitPosition) {
    return QString::number(count) + " " + language.Text("Common", unitPosition);
}

QString resolutionText(const BITMAPINFOHEADER& header) {
    return QString("%1 x %2 dpi")
        .arg(DotsPerInch(header.biXPelsPerMeter))
        .arg(DotsPerInch(header.biYPelsPerMeter));
}

// The whole packed bitmap (header, colour table and rows) in kilobytes; halves round to the
// even neighbour.
QString fullSizeText(const BITMAPINFOHEADER& header) {
    const std::uint64_t bytes =
        std::uint64_t{headerSizeOf(header)} +
        std::uint64_t{rowStrideOf(header)} * std::uint64_t(std::abs(std::int64_t{header.biHeight}));
    return QString("%1 K").arg(std::llrint(static_cast<double>(bytes) / 1024));
}

QString titleOf(const TLanguage& language, int commonPosition) {
    return language.Text("Common", commonPosition) + ":";
}
} // namespace

TImageInformationForm::TImageInformationForm(const TLanguage& language,
                                             const BITMAPINFOHEADER& header, QWidget* parent)
    : QDialog(parent),
      lbBitDepth(new QLabel(countText(language, header.biBitCount, common_text::Bits), this)),
      lbWidth(new QLabel(countText(language, header.biWidth, common_text::Pixels), this)),
      lbHeight(new QLabel(countText(language, header.biHeight, common_text::Pixels), this)),
      lbResolution(new QLabel(resolutionText(header), this)),
      lbFullSize(new QLabel(fullSizeText(header), this)),
      btOK(new QPushButton(language.Text("Common", common_text::OK), this)) {
    setWindowTitle(language.Text(section, 0));
    layOut(language);
    btOK->setDefault(true);
    connect(btOK, &QPushButton::clicked, this, &QDialog::accept);
}

void TImageInformationForm::layOut(const TLanguage& language) {
    auto* layout = new QFormLayout(this);
    layout->addRow(language.Text(section, 1), lbBitDepth);
    layout->addRow(titleOf(language, common_text::Width), lbWidth);
    layout->addRow(titleOf(language, common_text::Height), lbHeight);
    layout->addRow(titleOf(language, common_text::Resolution), lbResolution);
    layout->addRow(language.Text(section, 2), lbFullSize);
    layout->addRow(btOK);
}
