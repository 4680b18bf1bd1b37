#include "resolution_form.h"

#include "language.h"
#include "text_table.h"

#include <QButtonGroup>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

#include <cmath>

namespace {
const QString section = "Image Resolution";
constexpr int minDpi = 1;
constexpr int maxDpi = 10000;
// The conventional resolution of a display, for a program without any screen.
constexpr TDpi fallbackDisplay{96, 96};

QString dpiText(TDpi dpi) {
    return QString("%1 x %2 dpi").arg(dpi.horizontal).arg(dpi.vertical);
}

TDpi displayDpi(const QWidget* window) {
    const QScreen* screen = window != nullptr ? window->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return fallbackDisplay;
    }
    return {static_cast<int>(std::nearbyint(screen->logicalDotsPerInchX())),
            static_cast<int>(std::nearbyint(screen->logicalDotsPerInchY()))};
}

TIntEdit* dpiEdit(QWidget* parent) {
    auto* edit = new TIntEdit(parent);
    edit->SetMin(minDpi);
    edit->SetMax(maxDpi);
    return edit;
}
} // namespace

int DotsPerInch(std::int32_t pixelsPerMetre) {
    return static_cast<int>(std::nearbyint(pixelsPerMetre * 0.0254));
}

std::int32_t PixelsPerMetre(int dotsPerInch) {
    return static_cast<std::int32_t>(std::nearbyint(dotsPerInch * 39.37007874015748));
}

TDeviceResolutions TDeviceResolutions::Read(const QWidget* window) {
    TDeviceResolutions devices;
    devices.display = displayDpi(window);
    const QPrinterInfo printerInfo = QPrinterInfo::defaultPrinter();
    if (!printerInfo.isNull()) {
        const QPrinter printer(printerInfo, QPrinter::HighResolution);
        devices.printer = {printer.logicalDpiX(), printer.logicalDpiY()};
        devices.printerName = printerInfo.printerName();
    }
    return devices;
}

TResolutionForm::TResolutionForm(const TLanguage& language, const BITMAPINFOHEADER& header,
                                 TConfigSettings& config, const TDeviceResolutions& devices,
                                 QWidget* parent)
    : QDialog(parent), lbCurrentResolution(new QLabel(this)), lbDisplayRes(new QLabel(this)),
      lbPrinterRes(new QLabel(this)), lbPrinterName(new QLabel(devices.printerName, this)),
      rbDispaly(new QRadioButton(language.Text(section, 2), this)),
      rbPrinter(new QRadioButton(language.Text(section, 3), this)),
      rbUser(new QRadioButton(language.Text(section, 4), this)), edtHorizontal(dpiEdit(this)),
      edtVertical(dpiEdit(this)),
      btOK(new QPushButton(language.Text("Common", common_text::OK), this)),
      btCancel(new QPushButton(language.Text("Common", common_text::Cancel), this)),
      btHelp(new QPushButton(language.Text("Common", common_text::Help), this)), config_(config),
      devices_(devices),
      sources_(new QButtonGroup(this)), userDpi_{DotsPerInch(header.biXPelsPerMeter),
                                                 DotsPerInch(header.biYPelsPerMeter)} {
    setWindowTitle(language.Text(section, 0));
    lbCurrentResolution->setText(language.Text(section, 1) + " " + dpiText(userDpi_));
    lbDisplayRes->setText(dpiText(devices.display));
    if (devices.HasPrinter()) {
        lbPrinterRes->setText(dpiText(devices.printer));
    }
    rbPrinter->setEnabled(devices.HasPrinter());
    sources_->addButton(rbDispaly, Display);
    sources_->addButton(rbPrinter, Printer);
    sources_->addButton(rbUser, User);
    layOut(language);

    connect(sources_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked) {
            sourceChosen(id);
        }
    });
    connect(edtHorizontal, &TIntEdit::valueChanged, this, &TResolutionForm::rememberUserValues);
    connect(edtVertical, &TIntEdit::valueChanged, this, &TResolutionForm::rememberUserValues);
    connect(btOK, &QPushButton::clicked, this, &TResolutionForm::accept);
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btHelp, &QPushButton::clicked, this, [this] {
        if (showHelp) {
            showHelp();
        }
    });
    btOK->setDefault(true);
    sources_->button(startingSource(config.ResolutionSource))->setChecked(true);
}

void TResolutionForm::layOut(const TLanguage& language) {
    auto* grbSource = new QGroupBox(language.Text(section, 7), this);
    auto* choices = new QGridLayout;
    choices->addWidget(rbDispaly, 0, 0);
    choices->addWidget(lbDisplayRes, 0, 1);
    choices->addWidget(rbPrinter, 1, 0);
    choices->addWidget(lbPrinterRes, 1, 1);
    choices->addWidget(new QLabel(language.Text(section, 8), this), 2, 0, Qt::AlignRight);
    choices->addWidget(lbPrinterName, 2, 1);
    choices->addWidget(rbUser, 3, 0);
    auto* values = new QFormLayout;
    values->addRow(language.Text(section, 5), edtHorizontal);
    values->addRow(language.Text(section, 6), edtVertical);
    auto* sourceLayout = new QVBoxLayout(grbSource);
    sourceLayout->addLayout(choices);
    sourceLayout->addLayout(values);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btOK);
    buttons->addWidget(btCancel);
    buttons->addWidget(btHelp);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lbCurrentResolution);
    layout->addWidget(grbSource);
    layout->addLayout(buttons);
}

TResolutionForm::Source TResolutionForm::startingSource(std::int32_t stored) const {
    if (stored == User || (stored == Printer && devices_.HasPrinter())) {
        return static_cast<Source>(stored);
    }
    return Display;
}

TResolutionForm::Source TResolutionForm::source() const {
    return static_cast<Source>(sources_->checkedId());
}

void TResolutionForm::sourceChosen(int source) {
    switch (source) {
    case Display:
        showInEdits(devices_.display, false);
        break;
    case Printer:
        showInEdits(devices_.printer, false);
        break;
    default:
        showInEdits(userDpi_, true);
        break;
    }
}

void TResolutionForm::showInEdits(TDpi dpi, bool editable) {
    edtHorizontal->SetValue(dpi.horizontal);
    edtVertical->SetValue(dpi.vertical);
    edtHorizontal->setEnabled(editable);
    edtVertical->setEnabled(editable);
}

// The edits speak for User-Defined only: the display's and printer's values are never typed.
void TResolutionForm::rememberUserValues() {
    if (source() == User) {
        userDpi_ = {HorizontalDpi(), VerticalDpi()};
    }
}

int TResolutionForm::HorizontalDpi() const {
    return edtHorizontal->Value();
}

int TResolutionForm::VerticalDpi() const {
    return edtVertical->Value();
}

void TResolutionForm::ApplyTo(BITMAPINFOHEADER& header) const {
    header.biXPelsPerMeter = PixelsPerMetre(HorizontalDpi());
    header.biYPelsPerMeter = PixelsPerMetre(VerticalDpi());
}

void TResolutionForm::accept() {
    config_.ResolutionSource = source();
    QDialog::accept();
}
