// The preview's scale and where it shows the sheet, the printable area and the pictures.
#include "preview_geometry.h"

#include <gtest/gtest.h>

namespace {

PrinterMetrics sheetAt300Dpi(int widthPixels, int heightPixels, int margin) {
    PrinterMetrics metrics;
    metrics.PpiX = metrics.PpiY = 300;
    metrics.SheetWidth = widthPixels;
    metrics.SheetHeight = heightPixels;
    metrics.OffsetX = metrics.OffsetY = margin;
    metrics.PrintableWidth = widthPixels - 2 * margin;
    metrics.PrintableHeight = heightPixels - 2 * margin;
    return metrics;
}

TEST(PreviewGeometry, ASheetThatFitsIsShownAtOnePixelPerMillimetreInTheMiddle) {
    const PreviewGeometry geometry =
        previewGeometry(QSize(320, 420), sheetAt300Dpi(2480, 3507, 59)); // A4, 5 mm margins
    EXPECT_EQ(geometry.Sheet, QRect(55, 61, 210, 297));
    // The margin is 4.995 mm, cut to 4 preview pixels; the printable area 199.98 x 286.97 mm.
    EXPECT_EQ(geometry.Printable, QRect(55 + 4, 61 + 4, 200, 287));
    EXPECT_DOUBLE_EQ(geometry.ScaleX, 210.0 / 2480);
    EXPECT_DOUBLE_EQ(geometry.ScaleY, 297.0 / 3507);
}

TEST(PreviewGeometry, ALargerSheetIsShownAsLargeAsFits) {
    // A3, 297 x 420 mm, in 200 x 200: 200 / 420 preview pixels per millimetre.
    const PreviewGeometry geometry = previewGeometry(QSize(200, 200), sheetAt300Dpi(3507, 4960, 0));
    EXPECT_EQ(geometry.Sheet.size(), QSize(141, 200));
    EXPECT_EQ(geometry.Sheet.topLeft(), QPoint(29, 0));
}

TEST(PreviewGeometry, PicturesAreShownFromThePrintableCornerAndADragComesBackToTheSheet) {
    const PreviewGeometry geometry =
        previewGeometry(QSize(320, 420), sheetAt300Dpi(2480, 3507, 59));
    TPrintedImage image;
    image.Left = 59 + 1000;
    image.Top = 59 + 500;
    image.Width = 1200;
    image.Height = 600;
    const QRect shown = geometry.PictureRect(image);
    EXPECT_EQ(shown, QRect(84, 42, 101, 50));
    const QPoint back = geometry.SheetPointOf(shown.topLeft());
    EXPECT_LE(back.x(), image.Left);
    EXPECT_GT(back.x(), image.Left - 1 / geometry.ScaleX - 1);
    EXPECT_LE(back.y(), image.Top);
    EXPECT_GT(back.y(), image.Top - 1 / geometry.ScaleY - 1);
    EXPECT_EQ(
        geometry.AreaRect(image.Left, image.Top, image.Left + image.Width, image.Top + image.Height)
            .topLeft(),
        shown.topLeft())
        << "printed areas share the pictures' frame";
}

TEST(PreviewGeometry, TitlesKeepAtLeastOnePixel) {
    const PreviewGeometry geometry =
        previewGeometry(QSize(320, 420), sheetAt300Dpi(2480, 3507, 59));
    EXPECT_EQ(geometry.PreviewFontHeight(33), 3); // 8 points at 300 dpi
    EXPECT_EQ(geometry.PreviewFontHeight(2), 1);
}

} // namespace
