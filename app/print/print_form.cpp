#include "print_form.h"

#include "language.h"
#include "numeric_edit.h"
#include "print_preview.h"
#include "printer_sheet.h"
#include "settings_records.h"
#include "text_table.h"

#include "dib_image.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTabBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {
const char* const section = "Print";
constexpr int helpTopic = 1;
constexpr int sheetTabs = TPageFilling::SheetCount;
constexpr int maxCopies = 10000;
const QSize previewClient(320, 420);
constexpr int fieldWidth = 90;

QString dpiText(long double x, long double y) {
    return QString("%1 x %2 dpi").arg(std::llround(x)).arg(std::llround(y));
}

// Inches with one decimal and a point, whatever the desktop's language.
QString inchText(std::int32_t pixels, int ppi) {
    return QString::number(double(unitsOf(pixels, ppi, PrintUnit::Inches)), 'f', 1);
}
} // namespace

TPrintForm::TPrintForm(const TLanguage& language, TLocalSettings& settings, QPrinter& printer,
                       const QString& printedAreaFile, QWidget* parent)
    : QDialog(parent), language_(language), settings_(settings), printer_(printer),
      printedAreaFile_(printedAreaFile) {
    setObjectName("TPrintForm");
    setWindowTitle(language_.Text(section, 0));
    layout_.SetMetrics(readPrinterMetrics(printer_));
    filling_.LoadFile(printedAreaFile_);
    buildControls();
    edtCopies->SetValue(std::clamp(settings_.Copies, 1, maxCopies));
    const PrintUnit unit = settings_.PrintUnit == std::uint8_t(PrintUnit::Inches)
                               ? PrintUnit::Inches
                               : PrintUnit::Millimetres;
    (unit == PrintUnit::Inches ? rbInch : rbMm)->setChecked(true);
    layout_.SetUnit(unit);
    title_ = titleFontOf(settings_);
    PrinterChanged();
}

TPrintForm::~TPrintForm() = default;

void TPrintForm::buildControls() {
    auto* columns = new QHBoxLayout(this);
    auto* sheetColumn = new QVBoxLayout;
    PageControl = new QTabBar(this);
    PageControl->setObjectName("PageControl");
    for (int sheet = 0; sheet < sheetTabs; ++sheet) {
        PageControl->addTab(QString("%1 %2").arg(language_.Text(section, 4)).arg(sheet + 1));
    }
    sheetColumn->addWidget(PageControl);
    preview_ = new TPrintPreview(layout_, filling_, this);
    preview_->setFixedSize(previewClient);
    sheetColumn->addWidget(preview_);
    auto* clear = new QPushButton(language_.Text(section, 20), this);
    clear->setObjectName("btClear");
    sheetColumn->addWidget(clear, 0, Qt::AlignLeft);
    sheetColumn->addStretch(1);
    columns->addLayout(sheetColumn);

    auto* controlColumn = new QVBoxLayout;
    controlColumn->addWidget(buildPrinterPanel());
    controlColumn->addWidget(buildPicturePanel());
    controlColumn->addWidget(buildTitlePanel());
    controlColumn->addStretch(1);
    controlColumn->addWidget(buildButtons());
    columns->addLayout(controlColumn, 1);

    connect(PageControl, &QTabBar::currentChanged, preview_, &TPrintPreview::SetSheet);
    connect(clear, &QPushButton::clicked, this, &TPrintForm::clearSheet);
    connect(preview_, &TPrintPreview::pictureChosen, this, &TPrintForm::chooseImage);
    connect(preview_, &TPrintPreview::pictureMoved, this, [this](QPoint corner) {
        layout_.MoveActiveTo(corner.x(), corner.y());
        showActive();
    });
}

QWidget* TPrintForm::buildPrinterPanel() {
    auto* panel = new QWidget(this);
    auto* form = new QFormLayout(panel);
    form->setContentsMargins(0, 0, 0, 0);
    lbCurrentPrinter = new QLabel(panel);
    lbCurrentPrinter->setObjectName("lbCurrentPrinter");
    form->addRow(language_.Text(section, 1), lbCurrentPrinter);
    lb_PrinterResolution = new QLabel(panel);
    lb_PrinterResolution->setObjectName("lb_PrinterResolution");
    form->addRow(language_.Text(section, 2), lb_PrinterResolution);
    lb_PageSize = new QLabel(panel);
    lb_PageSize->setObjectName("lb_PageSize");
    form->addRow(language_.Text(section, 3), lb_PageSize);
    auto* setup = new QPushButton(language_.Text(section, 21), panel);
    setup->setObjectName("btPrinterSetup");
    form->addRow(setup);
    connect(setup, &QPushButton::clicked, this, &TPrintForm::runPrinterSetup);
    return panel;
}

QWidget* TPrintForm::buildPicturePanel() {
    auto* panel = new QWidget(this);
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);

    auto* chooser = new QHBoxLayout;
    chooser->addWidget(new QLabel(language_.Text(section, 5), panel));
    cmb_Images = new QComboBox(panel);
    cmb_Images->setObjectName("cmb_Images");
    chooser->addWidget(cmb_Images, 1);
    btImageDelete = new QToolButton(panel);
    btImageDelete->setObjectName("btImageDelete");
    btImageDelete->setIcon(style()->standardIcon(QStyle::SP_DialogDiscardButton));
    btImageDelete->setToolTip(language_.Text(section, 6));
    chooser->addWidget(btImageDelete);
    column->addLayout(chooser);

    auto* facts = new QFormLayout;
    lb_ImageSize = new QLabel(panel);
    lb_ImageSize->setObjectName("lb_ImageSize");
    facts->addRow(language_.Text(section, 7), lb_ImageSize);
    lb_ImageResolution = new QLabel(panel);
    lb_ImageResolution->setObjectName("lb_ImageResolution");
    facts->addRow(language_.Text(section, 8), lb_ImageResolution);
    column->addLayout(facts);

    auto* placement = new QHBoxLayout;
    auto* fields = new QFormLayout;
    const auto addField = [&](TRealEdit*& edit, const char* name, const QString& caption,
                              void (TPrintLayout::*setter)(long double)) {
        edit = new TRealEdit(panel);
        edit->setObjectName(name);
        edit->setFixedWidth(fieldWidth);
        fields->addRow(caption, edit);
        TRealEdit* field = edit;
        connect(field, &TRealEdit::valueChanged, this, [this, field, setter] {
            (layout_.*setter)(field->Value());
            showFields();
        });
    };
    addField(edtTop, "edtTop", language_.Text(section, 9), &TPrintLayout::SetTop);
    addField(edtLeft, "edtLeft", language_.Text(section, 10), &TPrintLayout::SetLeft);
    addField(edtWidth, "edtWidth", language_.Text("Common", common_text::Width),
             &TPrintLayout::SetWidth);
    addField(edtHeight, "edtHeight", language_.Text("Common", common_text::Height),
             &TPrintLayout::SetHeight);
    placement->addLayout(fields);

    auto* units = new QGroupBox(language_.Text(section, 11), panel);
    auto* unitColumn = new QVBoxLayout(units);
    rbMm = new QRadioButton(language_.Text("Common", common_text::Millimetres), units);
    rbMm->setObjectName("rbMm");
    rbInch = new QRadioButton(language_.Text("Common", common_text::Inches), units);
    rbInch->setObjectName("rbInch");
    unitColumn->addWidget(rbMm);
    unitColumn->addWidget(rbInch);
    placement->addWidget(units);
    column->addLayout(placement);

    auto* options = new QGroupBox(language_.Text(section, 22), panel);
    auto* optionColumn = new QVBoxLayout(options);
    const auto addOption = [&](QCheckBox*& box, const char* name, int text,
                               TPrintLayout::Option option) {
        box = new QCheckBox(language_.Text(section, text), options);
        box->setObjectName(name);
        optionColumn->addWidget(box);
        connect(box, &QCheckBox::clicked, this,
                [this, option](bool on) { optionClicked(option, on); });
    };
    addOption(chbKeepAspectRatio, "chbKeepAspectRatio", 12, TPrintLayout::KeepAspectRatio);
    addOption(chbFitToPage, "chbFitToPage", 13, TPrintLayout::FitToPage);
    addOption(chbCenterHorizontally, "chbCenterHorizontally", 14, TPrintLayout::CenterHorizontally);
    addOption(chbCenterVertically, "chbCenterVertically", 15, TPrintLayout::CenterVertically);
    addOption(chb1to1, "chb1to1", 16, TPrintLayout::OneToOne);
    column->addWidget(options);

    connect(cmb_Images, &QComboBox::activated, this, &TPrintForm::chooseImage);
    connect(btImageDelete, &QToolButton::clicked, this, &TPrintForm::deleteImage);
    connect(rbMm, &QRadioButton::clicked, this, [this] { chooseUnit(PrintUnit::Millimetres); });
    connect(rbInch, &QRadioButton::clicked, this, [this] { chooseUnit(PrintUnit::Inches); });
    return panel;
}

QWidget* TPrintForm::buildTitlePanel() {
    auto* panel = new QWidget(this);
    auto* form = new QFormLayout(panel);
    form->setContentsMargins(0, 0, 0, 0);
    edtTitle = new QLineEdit(panel);
    edtTitle->setObjectName("edtTitle");
    form->addRow(language_.Text(section, 17), edtTitle);
    auto* font = new QPushButton(language_.Text(section, 18), panel);
    font->setObjectName("btFont");
    lbFont = new QLabel(panel);
    lbFont->setObjectName("lbFont");
    form->addRow(font, lbFont);
    edtCopies = new TIntEdit(panel);
    edtCopies->setObjectName("edtCopies");
    edtCopies->SetMin(1);
    edtCopies->SetMax(maxCopies);
    edtCopies->SetIncrement(1);
    edtCopies->setFixedWidth(fieldWidth);
    form->addRow(language_.Text(section, 19), edtCopies);

    connect(edtTitle, &QLineEdit::textEdited, this, [this](const QString& text) {
        layout_.SetTitle(text);
        preview_->PrintableArea()->update();
    });
    connect(font, &QPushButton::clicked, this, &TPrintForm::chooseFont);
    return panel;
}

QWidget* TPrintForm::buildButtons() {
    auto* panel = new QWidget(this);
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(0, 0, 0, 0);
    row->addStretch(1);
    const auto addButton = [&](const char* name, int text) {
        auto* button = new QPushButton(language_.Text("Common", text), panel);
        button->setObjectName(name);
        row->addWidget(button);
        return button;
    };
    QPushButton* startButton = addButton("btStart", common_text::Start);
    startButton->setDefault(true);
    connect(startButton, &QPushButton::clicked, this, &TPrintForm::start);
    connect(addButton("btCancel", common_text::Cancel), &QPushButton::clicked, this,
            &QDialog::reject);
    connect(addButton("btHelp", common_text::Help), &QPushButton::clicked, this, [this] {
        if (showHelp) {
            showHelp(helpTopic);
        }
    });
    return panel;
}

void TPrintForm::SetImages(TPrintedImageList& list) {
    layout_.SetImages(list);
    fillImageList();
    showActive();
}

int TPrintForm::CurrentSheet() const {
    return PageControl->currentIndex();
}

int TPrintForm::Copies() const {
    return edtCopies->Value();
}

void TPrintForm::SetTitleFont(const QFont& font) {
    title_.Font = font;
    preview_->SetTitleFont(font, title_.Colour, titleFontPixels(font, layout_.Metrics().PpiY));
    lbFont->setText(QString("%1, %2").arg(font.family()).arg(font.pointSize()));
}

void TPrintForm::PrinterChanged() {
    layout_.SetMetrics(readPrinterMetrics(printer_));
    const PrinterMetrics& metrics = layout_.Metrics();
    lbCurrentPrinter->setText(metrics.PrinterName);
    lb_PrinterResolution->setText(dpiText(metrics.PpiX, metrics.PpiY));
    preview_->Relayout();
    SetTitleFont(title_.Font);
    showUnitTexts();
    showActive();
}

bool TPrintForm::RecordJob(bool printed) {
    if (printed) {
        for (int i = 0; i < layout_.Count(); ++i) {
            const TPrintedImage& image = *layout_.Images()->Items(i);
            filling_.AddArea({image.Left, image.Top, image.Left + image.Width,
                              image.Top + image.Height, CurrentSheet()});
        }
    }
    return filling_.SaveFile(printedAreaFile_);
}

void TPrintForm::fillImageList() {
    cmb_Images->clear();
    for (int i = 0; i < layout_.Count(); ++i) {
        cmb_Images->addItem(layout_.Images()->Items(i)->Name);
    }
    cmb_Images->setCurrentIndex(0);
}

void TPrintForm::showActive() {
    btImageDelete->setEnabled(layout_.CanDelete());
    const TPrintedImage* image = layout_.Active();
    if (image == nullptr) {
        return;
    }
    lb_ImageSize->setText(
        formatText(language_.Text(section, 23), {QString::number(image->Image->Width()),
                                                 QString::number(image->Image->Height())}));
    lb_ImageResolution->setText(dpiText(image->ResolutionX, image->ResolutionY));
    chbKeepAspectRatio->setChecked(image->KeepAspectRatio);
    chbFitToPage->setChecked(image->FitToPage);
    chbCenterHorizontally->setChecked(image->CenterHorizontally);
    chbCenterVertically->setChecked(image->CenterVertically);
    chb1to1->setChecked(image->OneToOne);
    if (edtTitle->text() != image->Title) {
        edtTitle->setText(image->Title);
    }
    showFields();
}

std::array<std::pair<TRealEdit*, TPrintLayout::Field>, 4> TPrintForm::fieldEdits() const {
    return {{{edtLeft, TPrintLayout::LeftField},
             {edtTop, TPrintLayout::TopField},
             {edtWidth, TPrintLayout::WidthField},
             {edtHeight, TPrintLayout::HeightField}}};
}

void TPrintForm::showFields() {
    for (const auto& [edit, field] : fieldEdits()) {
        edit->SetValue(layout_.FieldValue(field));
        edit->setEnabled(layout_.FieldEnabled(field));
    }
    preview_->PrintableArea()->update();
}

void TPrintForm::showUnitTexts() {
    const bool millimetres = layout_.Unit() == PrintUnit::Millimetres;
    for (const auto& [edit, field] : fieldEdits()) {
        const TPrintLayout::Range range = layout_.FieldRange(field);
        edit->SetMin(range.Min);
        edit->SetMax(range.Max);
        edit->SetIncrement(range.Step);
        edit->SetAfterPoint(millimetres ? 2 : 3);
    }
    const PrinterMetrics& metrics = layout_.Metrics();
    if (millimetres) {
        const auto mm = [](std::int32_t pixels, int ppi) {
            return QString::number(std::lround(unitsOf(pixels, ppi, PrintUnit::Millimetres)));
        };
        lb_PageSize->setText(
            formatText(language_.Text(section, 24), {mm(metrics.SheetWidth, metrics.PpiX),
                                                     mm(metrics.SheetHeight, metrics.PpiY)}));
    } else {
        lb_PageSize->setText(QString("%1 x %2 '' ")
                                 .arg(inchText(metrics.SheetWidth, metrics.PpiX),
                                      inchText(metrics.SheetHeight, metrics.PpiY)));
    }
}

void TPrintForm::chooseUnit(PrintUnit unit) {
    layout_.SetUnit(unit);
    showUnitTexts();
    showActive();
}

void TPrintForm::chooseImage(int index) {
    layout_.Activate(index);
    fillImageList();
    showActive();
}

void TPrintForm::deleteImage() {
    layout_.DeleteActive();
    fillImageList();
    showActive();
}

void TPrintForm::optionClicked(TPrintLayout::Option option, bool on) {
    layout_.SetOption(option, on);
    showActive();
}

void TPrintForm::chooseFont() {
    bool chosen = false;
    const QFont font = QFontDialog::getFont(&chosen, title_.Font, this);
    if (chosen) {
        SetTitleFont(font);
    }
}

void TPrintForm::runPrinterSetup() {
    printer_.setCopyCount(edtCopies->Value());
    bool accepted = false;
    if (setUpPrinter) {
        accepted = setUpPrinter(printer_);
    } else {
        QPrintDialog dialog(&printer_, this);
        accepted = dialog.exec() == QDialog::Accepted;
    }
    if (accepted) {
        edtCopies->SetValue(std::clamp(printer_.copyCount(), 1, maxCopies));
        PrinterChanged();
    }
}

void TPrintForm::clearSheet() {
    filling_.ClearSheet(CurrentSheet());
    preview_->PrintableArea()->update();
}

void TPrintForm::start() {
    storeTitleFont(title_.Font, settings_);
    settings_.Copies = edtCopies->Value();
    settings_.PrintUnit = std::uint8_t(layout_.Unit());
    accept();
}
