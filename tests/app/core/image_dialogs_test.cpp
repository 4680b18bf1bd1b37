// The picture size, resolution and information dialogs of the image edits.
#include "image_information_form.h"
#include "image_size_form.h"
#include "language.h"
#include "resolution_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {
const TLanguage& english() {
    static TLanguage language;
    static const bool loaded = language.Load(HUEMARK_DATA_DIR "/Language/English.ini");
    EXPECT_TRUE(loaded);
    return language;
}

// Pixels per metre as pictures of these resolutions store them.
constexpr std::int32_t ppm72 = 2835;
constexpr std::int32_t ppm150 = 5906;
constexpr std::int32_t ppm300 = 11811;
constexpr std::int32_t ppm1200 = 47244;

BITMAPINFOHEADER headerOf(std::int32_t width, std::int32_t height, std::int32_t xPixelsPerMetre,
                          std::int32_t yPixelsPerMetre, std::uint16_t bitCount = 24) {
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = bitCount;
    header.biXPelsPerMeter = xPixelsPerMetre;
    header.biYPelsPerMeter = yPixelsPerMetre;
    return header;
}

TConfigSettings configWith(std::int32_t resizeUnit, bool keepProportions,
                           std::int32_t resolutionSource = 0) {
    TConfigSettings config = defaultConfigSettings();
    config.ResizeUnit = resizeUnit;
    config.KeepProportions = keepProportions;
    config.ResolutionSource = resolutionSource;
    return config;
}

bool sameBytes(const TConfigSettings& a, const TConfigSettings& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

void typeAndCommit(TNumericEditBase* edit, const QString& text) {
    edit->Field()->selectAll();
    QTest::keyClicks(edit->Field(), text);
    QTest::keyClick(edit->Field(), Qt::Key_Return);
}

// Enter in the edit without typing anything.
void commitUnchanged(TNumericEditBase* edit) {
    QTest::keyClick(edit->Field(), Qt::Key_Return);
}

QString text(const TNumericEditBase* edit) {
    return edit->Field()->text();
}

QString titleOf(const QDialog& form, QWidget* field) {
    const auto* layout = form.findChild<QFormLayout*>();
    const auto* title = qobject_cast<QLabel*>(layout->labelForField(field));
    return title != nullptr ? title->text() : QString();
}

const TDeviceResolutions officeDevices{{96, 96}, {600, 1200}, "Office laser"};
const TDeviceResolutions noPrinter{{110, 120}, {}, {}};
} // namespace

TEST(ImageSizeForm, ShowsTheCurrentSizeAndResolution) {
    TConfigSettings config = configWith(TImageSizeForm::Pixels, true);
    const TImageSizeForm form(english(), headerOf(3000, 2000, ppm300, ppm150), config);
    EXPECT_EQ(form.windowTitle(), "Picture Size");
    EXPECT_EQ(form.lbWidth->text(), "3000 pixels");
    EXPECT_EQ(form.lbHeight->text(), "2000 pixels");
    EXPECT_EQ(form.lbResolution->text(), "300x150 dpi");
    EXPECT_EQ(form.btOK->text(), "Start");
    EXPECT_EQ(form.chbProportions->text(), "Keep proportions");
    EXPECT_EQ(form.cmbUnits->count(), 3);
    EXPECT_EQ(text(form.edtWidth), "3000");
    EXPECT_EQ(text(form.edtHeight), "2000");
    EXPECT_EQ(form.NewWidth(), 3000);
    EXPECT_EQ(form.NewHeight(), 2000);
}

TEST(ImageSizeForm, InchesAndCentimetresWithProportions) {
    TConfigSettings config = configWith(TImageSizeForm::Inches, true);
    TImageSizeForm form(english(), headerOf(3000, 2000, ppm300, ppm300), config);
    EXPECT_EQ(form.cmbUnits->currentIndex(), TImageSizeForm::Inches);
    EXPECT_EQ(text(form.edtWidth), "10.000");
    EXPECT_EQ(text(form.edtHeight), "6.667");
    EXPECT_EQ(form.edtWidth->AfterPoint(), 3);
    EXPECT_EQ(form.edtWidth->Increment(), 0.1L);

    typeAndCommit(form.edtWidth, "5");
    EXPECT_EQ(text(form.edtHeight), "3.333") << "the height follows the width";
    EXPECT_EQ(form.NewWidth(), 1500);
    EXPECT_EQ(form.NewHeight(), 1000);

    form.cmbUnits->setCurrentIndex(TImageSizeForm::Centimetres);
    EXPECT_EQ(text(form.edtWidth), "12.700");
    EXPECT_EQ(text(form.edtHeight), "8.467");
    typeAndCommit(form.edtHeight, "5.08");
    EXPECT_EQ(text(form.edtWidth), "7.620") << "the width follows the height";
    EXPECT_EQ(form.NewWidth(), 900);
    EXPECT_EQ(form.NewHeight(), 600);

    form.cmbUnits->setCurrentIndex(TImageSizeForm::Pixels);
    EXPECT_EQ(text(form.edtWidth), "900");
    EXPECT_EQ(text(form.edtHeight), "600");
    EXPECT_EQ(form.edtHeight->AfterPoint(), 0);
    EXPECT_EQ(form.edtHeight->Increment(), 1.0L);
}

TEST(ImageSizeForm, ProportionsOffUntilTicked) {
    TConfigSettings config = configWith(TImageSizeForm::Pixels, false);
    TImageSizeForm form(english(), headerOf(3000, 2000, ppm300, ppm300), config);
    EXPECT_FALSE(form.chbProportions->isChecked());
    typeAndCommit(form.edtWidth, "1500");
    EXPECT_EQ(text(form.edtHeight), "2000") << "the height stays without proportions";
    EXPECT_EQ(form.NewHeight(), 2000);

    form.chbProportions->click();
    EXPECT_EQ(text(form.edtHeight), "1000") << "ticking recomputes the height from the width";
    EXPECT_EQ(form.NewHeight(), 1000);
    typeAndCommit(form.edtHeight, "500");
    EXPECT_EQ(text(form.edtWidth), "750");
    EXPECT_EQ(form.NewWidth(), 750);

    form.chbProportions->click();
    typeAndCommit(form.edtHeight, "100");
    EXPECT_EQ(form.NewWidth(), 750) << "unticked: the width stays";
    EXPECT_EQ(form.NewHeight(), 100);
}

TEST(ImageSizeForm, ProportionsAreThoseOfThePixelsWhenResolutionsDiffer) {
    TConfigSettings config = configWith(TImageSizeForm::Inches, true);
    TImageSizeForm form(english(), headerOf(3000, 2000, ppm300, ppm150), config);
    EXPECT_EQ(text(form.edtWidth), "10.000");
    EXPECT_EQ(text(form.edtHeight), "13.332");
    typeAndCommit(form.edtWidth, "5");
    EXPECT_EQ(form.NewWidth(), 1500);
    EXPECT_EQ(form.NewHeight(), 1000) << "not 500, as a ratio of the inches would give";
    EXPECT_EQ(text(form.edtHeight), "6.666");
}

TEST(ImageSizeForm, ZeroResolutionOffersPixelsOnly) {
    for (const auto& [x, y] : {std::pair{0, ppm300}, std::pair{ppm300, 0}}) {
        TConfigSettings config = configWith(TImageSizeForm::Centimetres, true);
        TImageSizeForm form(english(), headerOf(640, 480, x, y), config);
        EXPECT_EQ(form.cmbUnits->count(), 1);
        EXPECT_EQ(form.cmbUnits->currentIndex(), TImageSizeForm::Pixels);
        EXPECT_EQ(text(form.edtWidth), "640");
        form.btOK->click();
        EXPECT_EQ(config.ResizeUnit, TImageSizeForm::Pixels);
    }
}

TEST(ImageSizeForm, StartStoresTheChoicesAndCancelChangesNothing) {
    TConfigSettings config = configWith(TImageSizeForm::Pixels, false);
    TImageSizeForm started(english(), headerOf(3000, 2000, ppm300, ppm300), config);
    started.cmbUnits->setCurrentIndex(TImageSizeForm::Centimetres);
    started.chbProportions->click();
    started.btOK->click();
    EXPECT_EQ(started.result(), QDialog::Accepted);
    EXPECT_EQ(config.ResizeUnit, TImageSizeForm::Centimetres);
    EXPECT_EQ(config.KeepProportions, 1);

    const TConfigSettings before = config;
    TImageSizeForm cancelled(english(), headerOf(3000, 2000, ppm300, ppm300), config);
    EXPECT_EQ(cancelled.cmbUnits->currentIndex(), TImageSizeForm::Centimetres);
    EXPECT_TRUE(cancelled.chbProportions->isChecked());
    cancelled.cmbUnits->setCurrentIndex(TImageSizeForm::Inches);
    cancelled.chbProportions->click();
    cancelled.btCancel->click();
    EXPECT_EQ(cancelled.result(), QDialog::Rejected);
    EXPECT_TRUE(sameBytes(config, before));
}

TEST(ImageSizeForm, UnknownStoredUnitOpensOnPixels) {
    TConfigSettings config = configWith(7, false);
    const TImageSizeForm form(english(), headerOf(300, 200, ppm300, ppm300), config);
    EXPECT_EQ(form.cmbUnits->currentIndex(), TImageSizeForm::Pixels);
}

TEST(ImageSizeForm, LeavingAnEditUnchangedKeepsTheExactSize) {
    // 1803 pixels at 1200 dpi show as 1.503 inches, which would give 1804 pixels back.
    TConfigSettings config = configWith(TImageSizeForm::Inches, true);
    TImageSizeForm form(english(), headerOf(1803, 1201, ppm1200, ppm1200), config);
    EXPECT_EQ(text(form.edtWidth), "1.503");
    commitUnchanged(form.edtWidth);
    commitUnchanged(form.edtHeight);
    EXPECT_EQ(form.NewWidth(), 1803);
    EXPECT_EQ(form.NewHeight(), 1201);
    typeAndCommit(form.edtWidth, "1.503");
    EXPECT_EQ(form.NewWidth(), 1803) << "the same text typed again changes nothing";
    typeAndCommit(form.edtWidth, "1.504");
    EXPECT_EQ(form.NewWidth(), 1805);
}

TEST(ImageSizeForm, EditsStayWithinOnePixelAndTenBillion) {
    TConfigSettings config = configWith(TImageSizeForm::Pixels, false);
    TImageSizeForm form(english(), headerOf(3000, 1000, ppm300, ppm300), config);
    typeAndCommit(form.edtWidth, "0");
    EXPECT_EQ(form.NewWidth(), 1);
    typeAndCommit(form.edtWidth, "20000000000");
    EXPECT_EQ(form.NewWidth(), 10'000'000'000);
    form.cmbUnits->setCurrentIndex(TImageSizeForm::Inches);
    typeAndCommit(form.edtHeight, "0");
    EXPECT_EQ(form.NewHeight(), 1) << "one pixel's worth of inches";
    form.chbProportions->click();
    EXPECT_EQ(form.NewHeight(), 3'333'333'333);
    typeAndCommit(form.edtWidth, "0");
    EXPECT_EQ(form.NewWidth(), 1);
    EXPECT_EQ(form.NewHeight(), 1) << "a third of a pixel is kept at one";
}

TEST(ImageSizeForm, SizeFitsTheHeaderAndOneGibibyte) {
    constexpr qint64 rowLimitWidth = 357'913'941; // 24-bit rows of exactly 1 GiB
    EXPECT_TRUE(TImageSizeForm::SizeFits(1, 1, 24));
    EXPECT_TRUE(TImageSizeForm::SizeFits(rowLimitWidth, 1, 24));
    EXPECT_FALSE(TImageSizeForm::SizeFits(rowLimitWidth + 1, 1, 24));
    EXPECT_FALSE(TImageSizeForm::SizeFits(rowLimitWidth, 2, 24));
    // One-pixel rows are padded to 4 bytes: 2^28 of them fill 1 GiB exactly.
    EXPECT_TRUE(TImageSizeForm::SizeFits(1, qint64{1} << 28, 24));
    EXPECT_FALSE(TImageSizeForm::SizeFits(1, (qint64{1} << 28) + 1, 24));
    EXPECT_TRUE(TImageSizeForm::SizeFits(16384, 21845, 24));
    EXPECT_FALSE(TImageSizeForm::SizeFits(16384, 21846, 24));
    EXPECT_TRUE(TImageSizeForm::SizeFits(qint64{1} << 30, 1, 8));
    EXPECT_FALSE(TImageSizeForm::SizeFits(qint64{1} << 30, 2, 8));
}

TEST(ImageSizeForm, SizeFitsRefusesWhatNoHeaderHolds) {
    constexpr qint64 beyondHeader = qint64{std::numeric_limits<std::int32_t>::max()} + 1;
    constexpr qint64 largest = std::numeric_limits<qint64>::max();
    EXPECT_FALSE(TImageSizeForm::SizeFits(0, 100, 24));
    EXPECT_FALSE(TImageSizeForm::SizeFits(100, 0, 24));
    EXPECT_FALSE(TImageSizeForm::SizeFits(-5, 100, 24));
    EXPECT_FALSE(TImageSizeForm::SizeFits(100, 100, 0));
    EXPECT_FALSE(TImageSizeForm::SizeFits(100, 100, 64));
    EXPECT_FALSE(TImageSizeForm::SizeFits(1, beyondHeader, 24));
    EXPECT_FALSE(TImageSizeForm::SizeFits(beyondHeader, 1, 1));
    EXPECT_FALSE(TImageSizeForm::SizeFits(10'000'000'000, 10'000'000'000, 24));
    EXPECT_FALSE(TImageSizeForm::SizeFits(largest, largest, 32));
    EXPECT_FALSE(TImageSizeForm::SizeFits(largest, 1, 24));
}

TEST(ResolutionForm, DotsPerInchAndPixelsPerMetre) {
    EXPECT_EQ(DotsPerInch(ppm300), 300);
    EXPECT_EQ(DotsPerInch(ppm72), 72);
    EXPECT_EQ(DotsPerInch(0), 0);
    EXPECT_EQ(PixelsPerMetre(300), ppm300);
    EXPECT_EQ(PixelsPerMetre(150), ppm150);
    EXPECT_EQ(PixelsPerMetre(1200), ppm1200);
    for (int dpi = 1; dpi <= 10000; ++dpi) {
        ASSERT_EQ(DotsPerInch(PixelsPerMetre(dpi)), dpi);
    }
}

TEST(ResolutionForm, DisplayPrinterAndUserDefined) {
    TConfigSettings config = configWith(0, false, TResolutionForm::User);
    TResolutionForm form(english(), headerOf(10, 10, ppm300, ppm150), config, officeDevices);
    EXPECT_EQ(form.windowTitle(), "Picture Resolution");
    EXPECT_EQ(form.lbCurrentResolution->text(), "Current resolution: 300 x 150 dpi");
    EXPECT_EQ(form.lbDisplayRes->text(), "96 x 96 dpi");
    EXPECT_EQ(form.lbPrinterRes->text(), "600 x 1200 dpi");
    EXPECT_EQ(form.lbPrinterName->text(), "Office laser");
    EXPECT_TRUE(form.rbUser->isChecked());
    EXPECT_TRUE(form.edtHorizontal->isEnabled());
    EXPECT_EQ(form.HorizontalDpi(), 300) << "User-Defined starts at the picture's resolution";
    EXPECT_EQ(form.VerticalDpi(), 150);

    typeAndCommit(form.edtHorizontal, "250");
    form.rbDispaly->click();
    EXPECT_FALSE(form.edtHorizontal->isEnabled());
    EXPECT_FALSE(form.edtVertical->isEnabled());
    EXPECT_EQ(form.HorizontalDpi(), 96);
    EXPECT_EQ(form.VerticalDpi(), 96);
    form.rbPrinter->click();
    EXPECT_FALSE(form.edtVertical->isEnabled());
    EXPECT_EQ(form.HorizontalDpi(), 600);
    EXPECT_EQ(form.VerticalDpi(), 1200);
    form.rbUser->click();
    EXPECT_TRUE(form.edtVertical->isEnabled());
    EXPECT_EQ(form.HorizontalDpi(), 250) << "the typed values come back";
    EXPECT_EQ(form.VerticalDpi(), 150);
    typeAndCommit(form.edtVertical, "20000");
    EXPECT_EQ(form.VerticalDpi(), 10000);
    typeAndCommit(form.edtVertical, "0");
    EXPECT_EQ(form.VerticalDpi(), 1);

    form.rbPrinter->click();
    form.btOK->click();
    EXPECT_EQ(config.ResolutionSource, TResolutionForm::Printer);
    BITMAPINFOHEADER header = headerOf(10, 10, ppm300, ppm150);
    form.ApplyTo(header);
    EXPECT_EQ(header.biXPelsPerMeter, PixelsPerMetre(600));
    EXPECT_EQ(header.biYPelsPerMeter, PixelsPerMetre(1200));
    EXPECT_EQ(header.biWidth, 10);
}

TEST(ResolutionForm, WithoutPrinterTheDisplayStandsIn) {
    TConfigSettings config = configWith(0, false, TResolutionForm::Printer);
    TResolutionForm form(english(), headerOf(10, 10, ppm300, ppm300), config, noPrinter);
    EXPECT_FALSE(form.rbPrinter->isEnabled());
    EXPECT_TRUE(form.rbDispaly->isChecked());
    EXPECT_EQ(form.HorizontalDpi(), 110);
    EXPECT_EQ(form.VerticalDpi(), 120);
    EXPECT_TRUE(form.lbPrinterRes->text().isEmpty());
    EXPECT_TRUE(form.lbPrinterName->text().isEmpty());
    form.btOK->click();
    EXPECT_EQ(config.ResolutionSource, TResolutionForm::Display);
    BITMAPINFOHEADER header = headerOf(10, 10, ppm300, ppm300);
    form.ApplyTo(header);
    EXPECT_EQ(header.biXPelsPerMeter, PixelsPerMetre(110));
    EXPECT_EQ(header.biYPelsPerMeter, PixelsPerMetre(120));
}

TEST(ResolutionForm, UnknownSourceOpensOnDisplayAndCancelChangesNothing) {
    TConfigSettings config = configWith(0, false, 9);
    const TConfigSettings before = config;
    TResolutionForm form(english(), headerOf(10, 10, 0, 0), config, officeDevices);
    EXPECT_TRUE(form.rbDispaly->isChecked());
    EXPECT_EQ(form.lbCurrentResolution->text(), "Current resolution: 0 x 0 dpi");
    form.rbUser->click();
    EXPECT_EQ(form.HorizontalDpi(), 1) << "a picture without resolution starts at the lowest";
    form.btCancel->click();
    EXPECT_EQ(form.result(), QDialog::Rejected);
    EXPECT_TRUE(sameBytes(config, before));
}

TEST(ResolutionForm, ReadsTheScreenAndTheDefaultPrinter) {
    const TDeviceResolutions devices = TDeviceResolutions::Read();
    const QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(devices.display.horizontal, std::lround(screen->logicalDotsPerInchX()));
    EXPECT_EQ(devices.display.vertical, std::lround(screen->logicalDotsPerInchY()));
    const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    EXPECT_EQ(devices.HasPrinter(), !printer.isNull());
    EXPECT_EQ(devices.printerName, printer.printerName());
}

TEST(ImageInformationForm, ShowsDepthSizeResolutionAndMemory) {
    const TImageInformationForm form(english(), headerOf(3000, 2000, ppm300, ppm150));
    EXPECT_EQ(form.windowTitle(), "Picture Information");
    EXPECT_EQ(titleOf(form, form.lbBitDepth), "Bit depth:");
    EXPECT_EQ(titleOf(form, form.lbWidth), "Width:");
    EXPECT_EQ(titleOf(form, form.lbHeight), "Height:");
    EXPECT_EQ(titleOf(form, form.lbResolution), "Resolution:");
    EXPECT_EQ(titleOf(form, form.lbFullSize), "Size in memory:");
    EXPECT_EQ(form.lbBitDepth->text(), "24 bits");
    EXPECT_EQ(form.lbWidth->text(), "3000 pixels");
    EXPECT_EQ(form.lbHeight->text(), "2000 pixels");
    EXPECT_EQ(form.lbResolution->text(), "300 x 150 dpi");
    EXPECT_EQ(form.lbFullSize->text(), "17578 K") << "(40 + 9000 * 2000) / 1024 = 17578.16";
    EXPECT_EQ(form.btOK->text(), "OK");
}

TEST(ImageInformationForm, FullSizeCountsColourTableAndPadding) {
    const TImageInformationForm grey(english(), headerOf(100, 100, ppm72, ppm72, 8));
    EXPECT_EQ(grey.lbBitDepth->text(), "8 bits");
    EXPECT_EQ(grey.lbFullSize->text(), "11 K") << "(40 + 1024 + 100 * 100) / 1024 = 10.8";
    const TImageInformationForm narrow(english(), headerOf(1, 1000, ppm72, ppm72));
    EXPECT_EQ(narrow.lbFullSize->text(), "4 K") << "(40 + 4 * 1000) / 1024 = 3.95";
    const TImageInformationForm half(english(), headerOf(4, 210, ppm72, ppm72));
    EXPECT_EQ(half.lbFullSize->text(), "2 K") << "(40 + 12 * 210) / 1024 = 2.5, to even";
}
