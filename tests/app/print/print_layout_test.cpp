// The print layout without widgets: where pictures go on the sheet, their sizes in printer
// pixels, the fields' units and limits, and the options.
#include "print_layout.h"

#include "dib_pattern.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// An A4 sheet at 300 dpi with 5 mm margins: 210 x 297 mm is 2480 x 3507 printer pixels, the
// margin 59 pixels and the printable area 200 x 287 mm, 2362 x 3389 pixels.
PrinterMetrics a4At300Dpi() {
    PrinterMetrics metrics;
    metrics.PpiX = metrics.PpiY = 300;
    metrics.SheetWidth = 2480;
    metrics.SheetHeight = 3507;
    metrics.OffsetX = metrics.OffsetY = 59;
    metrics.PrintableWidth = 2362;
    metrics.PrintableHeight = 3389;
    return metrics;
}

constexpr int ppmOf100Dpi = 3937; // 99.9998 pixels per inch

class PrintLayoutTest : public ::testing::Test {
protected:
    void SetUp() override { layout.SetMetrics(a4At300Dpi()); }

    // A picture with pixels per metre across and down (0: none).
    void addPicture(int width, int height, int ppmX = 0, int ppmY = 0) {
        pictures.push_back(patternDib(width, height));
        pictures.back()->Header->biXPelsPerMeter = ppmX;
        pictures.back()->Header->biYPelsPerMeter = ppmY;
        list.AddPicture(QString("p%1.bmp").arg(pictures.size()), *pictures.back());
    }
    void layOut() { layout.SetImages(list); }
    TPrintedImage& active() { return *layout.Active(); }
    QRect placeOf(const TPrintedImage& image) const {
        return QRect(image.Left, image.Top, image.Width, image.Height);
    }
    QRect printableArea() const {
        const PrinterMetrics& m = layout.Metrics();
        return QRect(m.OffsetX, m.OffsetY, m.PrintableWidth, m.PrintableHeight);
    }

    std::vector<std::unique_ptr<TDIBImage>> pictures;
    TPrintedImageList list;
    TPrintLayout layout;
};

TEST_F(PrintLayoutTest, EachPictureCascadesTwentyPrinterPixelsFromThePrintableCorner) {
    addPicture(40, 30);
    addPicture(50, 20);
    addPicture(10, 10);
    layOut();
    ASSERT_EQ(layout.Count(), 3);
    for (int i = 0; i < 3; ++i) {
        const TPrintedImage& image = *list[i];
        EXPECT_EQ(image.Left, 59 + 20 * i) << i;
        EXPECT_EQ(image.Top, 59 + 20 * i) << i;
        EXPECT_EQ(image.Title, image.Name);
        EXPECT_FALSE(image.KeepAspectRatio || image.FitToPage || image.OneToOne ||
                     image.CenterHorizontally || image.CenterVertically);
    }
    EXPECT_EQ(&active(), list[0]) << "the first entry is the active picture";
}

TEST_F(PrintLayoutTest, APictureIsSizedAtItsOwnResolutionOrAtOnePixelPerPrinterDot) {
    addPicture(200, 100, ppmOf100Dpi, ppmOf100Dpi);
    addPicture(123, 45);
    layOut();
    EXPECT_NEAR(double(list[0]->ResolutionX), 100.0, 0.001);
    EXPECT_EQ(placeOf(*list[0]).size(), QSize(600, 300)) << "2 x 1 inches at 300 dpi";
    EXPECT_EQ(list[1]->ResolutionX, 300) << "no resolution: the printer's";
    EXPECT_EQ(placeOf(*list[1]).size(), QSize(123, 45));
}

TEST_F(PrintLayoutTest, TheAspectRatioIsTheShapeAtThePicturesOwnResolutions) {
    // 200 x 200 pixels at 100 dpi across and 200 dpi down print as 2 x 1 inches.
    addPicture(200, 200, ppmOf100Dpi, 2 * ppmOf100Dpi);
    layOut();
    EXPECT_NEAR(double(active().Aspect), 0.5, 1e-9);
    EXPECT_EQ(placeOf(active()).size(), QSize(600, 300));
    layout.SetOption(TPrintLayout::KeepAspectRatio, true);
    layout.SetOption(TPrintLayout::FitToPage, true);
    EXPECT_EQ(active().Width, 2362);
    EXPECT_NEAR(active().Height, 1181, 1) << "still twice as wide as high";
}

TEST_F(PrintLayoutTest, FitToPageKeepingTheAspectFillsTheWidthOfAWidePictureOrTheHeightOfATallOne) {
    addPicture(400, 100);
    addPicture(100, 800);
    layOut();
    layout.SetOption(TPrintLayout::KeepAspectRatio, true);
    layout.SetOption(TPrintLayout::FitToPage, true);
    EXPECT_EQ(active().Width, 2362);
    EXPECT_NEAR(active().Height, 2362 / 4, 1);

    layout.Activate(1);
    ASSERT_EQ(active().Name, "p2.bmp");
    layout.SetOption(TPrintLayout::KeepAspectRatio, true);
    layout.SetOption(TPrintLayout::FitToPage, true);
    EXPECT_EQ(active().Height, 3389);
    EXPECT_NEAR(active().Width, 3389 / 8, 1);
    EXPECT_TRUE(printableArea().contains(placeOf(active())))
        << "the second picture's cascade must not push the fitted picture off the printable area";
    EXPECT_EQ(active().Left, 59 + 20) << "moved only as far as needed";
}

TEST_F(PrintLayoutTest, FitToPageWithoutTheAspectTakesThePrintableAreaAndLocksTheSize) {
    addPicture(40, 30);
    addPicture(40, 30);
    layOut();
    layout.Activate(1);
    layout.SetOption(TPrintLayout::FitToPage, true);
    EXPECT_EQ(placeOf(active()), printableArea());
    EXPECT_FALSE(layout.FieldEnabled(TPrintLayout::WidthField));
    EXPECT_FALSE(layout.FieldEnabled(TPrintLayout::HeightField));
    EXPECT_TRUE(layout.FieldEnabled(TPrintLayout::LeftField));
}

TEST_F(PrintLayoutTest, OneToOneExcludesTheOtherTwoSizeOptions) {
    addPicture(200, 100, ppmOf100Dpi, ppmOf100Dpi);
    layOut();
    layout.SetOption(TPrintLayout::KeepAspectRatio, true);
    layout.SetOption(TPrintLayout::FitToPage, true);
    layout.SetOption(TPrintLayout::OneToOne, true);
    EXPECT_FALSE(active().KeepAspectRatio);
    EXPECT_FALSE(active().FitToPage);
    EXPECT_EQ(placeOf(active()).size(), QSize(200, 100)) << "one picture pixel per printer dot";

    layout.SetOption(TPrintLayout::KeepAspectRatio, true);
    EXPECT_FALSE(active().OneToOne) << "keeping the aspect clears 1:1";
    layout.SetOption(TPrintLayout::OneToOne, true);
    layout.SetOption(TPrintLayout::FitToPage, true);
    EXPECT_FALSE(active().OneToOne) << "fit to page clears 1:1";

    layout.SetOption(TPrintLayout::FitToPage, false);
    layout.SetOption(TPrintLayout::OneToOne, true);
    layout.SetOption(TPrintLayout::OneToOne, false);
    EXPECT_EQ(placeOf(active()).size(), QSize(600, 300)) << "back to its natural size";
}

TEST_F(PrintLayoutTest, KeepingTheAspectShapesThePictureAndTheSettersKeepTheShape) {
    addPicture(400, 200); // 400 x 200 printer pixels
    layOut();
    layout.SetHeight(50); // 590 pixels, the width left alone
    EXPECT_EQ(placeOf(active()).size(), QSize(400, 590));
    layout.SetOption(TPrintLayout::KeepAspectRatio, true);
    EXPECT_EQ(placeOf(active()).size(), QSize(400, 200)) << "the too long side gives way";

    layout.SetWidth(100); // 1181 pixels
    EXPECT_EQ(placeOf(active()).size(), QSize(1181, 590));
    layout.SetHeight(60); // 708 pixels
    EXPECT_EQ(placeOf(active()).size(), QSize(1417, 708));

    layout.SetHeight(250); // would be 500 mm wide: both sides are held at the sheet
    EXPECT_EQ(active().Width, 2362);
    EXPECT_EQ(active().Height, 1181);
}

TEST_F(PrintLayoutTest, CentringFollowsTheSizeAndADragEndsIt) {
    addPicture(400, 200);
    layOut();
    layout.SetOption(TPrintLayout::CenterHorizontally, true);
    layout.SetOption(TPrintLayout::CenterVertically, true);
    EXPECT_EQ(active().Left, (2480 - 400) / 2);
    EXPECT_EQ(active().Top, (3507 - 200) / 2);
    EXPECT_FALSE(layout.FieldEnabled(TPrintLayout::LeftField));
    EXPECT_FALSE(layout.FieldEnabled(TPrintLayout::TopField));
    layout.SetWidth(100);
    EXPECT_EQ(active().Left, (2480 - 1181) / 2) << "centring follows a new width";

    layout.MoveActiveTo(300, 400);
    EXPECT_FALSE(active().CenterHorizontally);
    EXPECT_FALSE(active().CenterVertically);
    EXPECT_EQ(QPoint(active().Left, active().Top), QPoint(300, 400));
    EXPECT_TRUE(layout.FieldEnabled(TPrintLayout::LeftField));
}

TEST_F(PrintLayoutTest, ADragKeepsThePictureWithinTheFieldsLimits) {
    addPicture(40, 30);
    layOut();
    layout.MoveActiveTo(-50, 100000);
    EXPECT_EQ(active().Left, 59);
    EXPECT_EQ(active().Top, 59 + 3389);
    for (TPrintLayout::Field field : {TPrintLayout::LeftField, TPrintLayout::TopField}) {
        const TPrintLayout::Range range = layout.FieldRange(field);
        const long double value = layout.FieldValue(field);
        EXPECT_TRUE(value >= range.Min && value <= range.Max) << field;
    }
}

TEST_F(PrintLayoutTest, TheFieldsLimitsAreThePrintableAreaInEitherUnit) {
    addPicture(40, 30);
    layOut();
    const TPrintLayout::Range left = layout.FieldRange(TPrintLayout::LeftField);
    EXPECT_NEAR(double(left.Min), 59 * 25.4 / 300, 1e-9);
    EXPECT_NEAR(double(left.Max), (59 + 2362) * 25.4 / 300, 1e-9);
    EXPECT_EQ(layout.FieldRange(TPrintLayout::WidthField).Min, 1);
    EXPECT_EQ(layout.FieldRange(TPrintLayout::WidthField).Step, 1);
    layout.SetUnit(PrintUnit::Inches);
    const TPrintLayout::Range height = layout.FieldRange(TPrintLayout::HeightField);
    EXPECT_NEAR(double(height.Min), 0.1, 1e-12);
    EXPECT_NEAR(double(height.Max), 3389 / 300.0, 1e-9);
    EXPECT_NEAR(double(height.Step), 0.1, 1e-12);
    layout.SetWidth(1000);
    EXPECT_EQ(active().Width, 2362) << "a typed size is held at the printable width";
}

TEST_F(PrintLayoutTest, MillimetresAndInchesShowTheSamePlaceWithinOnePrinterPixel) {
    addPicture(40, 30);
    layOut();
    layout.SetLeft(37.3L); // 440.55 pixels
    EXPECT_EQ(active().Left, 440);
    EXPECT_EQ(layout.FieldValue(TPrintLayout::LeftField), 37.3L) << "as typed";
    layout.SetUnit(PrintUnit::Inches);
    EXPECT_NEAR(double(layout.FieldValue(TPrintLayout::LeftField)), 440 / 300.0, 1e-12);
    layout.SetUnit(PrintUnit::Millimetres);
    EXPECT_NEAR(double(layout.FieldValue(TPrintLayout::LeftField)), 37.3, 25.4 / 300);

    // Every place, shown in one unit and entered again from the other, comes back.
    for (std::int32_t pixels = 59; pixels <= 59 + 2362; pixels += 7) {
        layout.MoveActiveTo(pixels, pixels);
        for (PrintUnit unit : {PrintUnit::Millimetres, PrintUnit::Inches}) {
            layout.SetUnit(unit);
            layout.SetLeft(layout.FieldValue(TPrintLayout::LeftField));
            ASSERT_EQ(active().Left, pixels) << int(unit);
        }
    }
}

TEST_F(PrintLayoutTest, ChoosingAPictureBringsItToTheFrontAndOneAlwaysStays) {
    addPicture(10, 10);
    addPicture(10, 10);
    addPicture(10, 10);
    layOut();
    layout.Activate(2);
    const auto names = [&] {
        QStringList names;
        for (int i = 0; i < list.Count(); ++i) {
            names << list[i]->Name;
        }
        return names.join(",");
    };
    EXPECT_EQ(names(), "p3.bmp,p1.bmp,p2.bmp");
    layout.DeleteActive();
    EXPECT_EQ(names(), "p1.bmp,p2.bmp");
    layout.DeleteActive();
    EXPECT_FALSE(layout.CanDelete());
    layout.DeleteActive();
    EXPECT_EQ(names(), "p2.bmp");
}

TEST_F(PrintLayoutTest, AnotherPrinterKeepsThePicturesPhysicalPlaceAndOptions) {
    addPicture(400, 200);
    addPicture(400, 200);
    layOut();
    layout.Activate(1);
    layout.SetOption(TPrintLayout::FitToPage, true);
    PrinterMetrics finer = a4At300Dpi();
    finer.PpiX = finer.PpiY = 600;
    finer.SheetWidth *= 2;
    finer.SheetHeight *= 2;
    finer.OffsetX = finer.OffsetY = 118;
    finer.PrintableWidth *= 2;
    finer.PrintableHeight *= 2;
    layout.SetMetrics(finer);
    EXPECT_EQ(placeOf(*list[1]), QRect(118, 118, 800, 400));
    EXPECT_EQ(placeOf(*list[0]), QRect(118, 118, 4724, 6778)) << "fitted to the new sheet";
}

} // namespace
