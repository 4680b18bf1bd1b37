#include "program_fixture.h"

#include "image_commands.h"
#include "image_size_form.h"
#include "picture_clipboard.h"
#include "progress_form.h"
#include "resolution_form.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <cstring>

namespace {
// The pixels of each row, without the padding that ends it.
bool samePixels(const TDIBImage& a, const TDIBImage& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height() || a.BitCount() != b.BitCount()) {
        return false;
    }
    const std::size_t rowBytes = std::size_t(a.Width()) * a.BitCount() / 8;
    for (int row = 0; row < a.Height(); ++row) {
        if (std::memcmp(a.Bits + row * a.RowStride(), b.Bits + row * b.RowStride(), rowBytes) !=
            0) {
            return false;
        }
    }
    return true;
}
} // namespace

class ImageCommandsTest : public ProgramTest {
protected:
    ImageCommands& images() { return main->images(); }
};

TEST_F(ImageCommandsTest, TheImageMenuFollowsTheActiveWindow) {
    main->EvaluateEnablingRules();
    EXPECT_FALSE(images().mnImageResize->isEnabled());
    EXPECT_FALSE(images().mnImageCopy->isEnabled());
    EXPECT_FALSE(images().mnImagePanorama->isEnabled());
    main->NewImageWindow(pattern(8, 6), "p");
    main->EvaluateEnablingRules();
    for (QAction* item :
         {images().mnImageResize, images().mnImageResolution, images().mnImageRotate->menuAction(),
          images().mnImageConvertToGray, images().mnImagePanorama, images().mnImageInfo,
          images().mnImageCopy, images().popmnCopyImage}) {
        EXPECT_TRUE(item->isEnabled()) << item->objectName().toStdString();
    }
    EXPECT_TRUE(main->menuBar()->actions().contains(images().mmnImage->menuAction()));
}

TEST_F(ImageCommandsTest, RotationGoesToANewWindowOrReplacesThePicture) {
    main->settings().config.CreateNewWindow = 1;
    TfrmMDIChild* source = main->NewImageWindow(pattern(30, 20), "source");
    auto before = std::make_unique<TDIBImage>();
    ASSERT_TRUE(before->CreateLike(source->Image()));
    std::memcpy(before->Bits, source->Image().Bits, source->Image().ImageSize());
    source->Image().Corrected = true;
    images().mnRotate90->trigger();
    ASSERT_EQ(main->imageWindows().size(), 2);
    TfrmMDIChild* turned = main->activeImageWindow();
    EXPECT_EQ(turned->ImageWidth(), 20);
    EXPECT_EQ(turned->ImageHeight(), 30);
    EXPECT_TRUE(turned->Image().Corrected) << "the flag comes from the source";
    EXPECT_TRUE(samePixels(source->Image(), *before)) << "the source is untouched";

    main->settings().config.CreateNewWindow = 0;
    main->mdiArea()->setActiveSubWindow(source);
    source->Regions.AddRegion(RegionKind::White, QRect(1, 1, 4, 4), 0);
    images().mnRotate180->trigger();
    EXPECT_EQ(main->imageWindows().size(), 2);
    EXPECT_EQ(source->ImageWidth(), 30);
    EXPECT_FALSE(source->Saved());
    EXPECT_EQ(source->Regions.Count(), 0) << "marks of the old picture go with it";
    images().mnRotate180->trigger();
    EXPECT_TRUE(samePixels(source->Image(), *before)) << "two half turns give the picture back";
    EXPECT_TRUE(messages.empty());
}

TEST_F(ImageCommandsTest, CancellingARotationLeavesEverythingAsItWas) {
    main->settings().config.ProgressDelay = 0;
    main->settings().config.CreateNewWindow = 0;
    TfrmMDIChild* source = main->NewImageWindow(pattern(300, 200), "source");
    const QString name = source->FileName();
    bool cancelEnabled = false;
    QTimer::singleShot(0, [&] {
        cancelEnabled = main->progressForm().btCancel->isEnabled();
        main->progressForm().btCancel->click();
    });
    images().mnRotate270->trigger();
    EXPECT_TRUE(cancelEnabled) << "a rotation never writes the source";
    EXPECT_EQ(main->imageWindows().size(), 1);
    EXPECT_EQ(source->ImageWidth(), 300);
    EXPECT_EQ(source->FileName(), name);
    EXPECT_TRUE(messages.empty());
}

TEST_F(ImageCommandsTest, GreyFollowsTheFormulaInThePictureItself) {
    main->settings().config.CreateNewWindow = 0;
    TfrmMDIChild* window = main->NewImageWindow(pattern(16, 9), "p");
    const int x = 3;
    const int y = 4;
    const QRgb before = pixelAt(*window, x, y);
    images().mnImageConvertToGray->trigger();
    const int grey =
        int(std::lround(0.3 * qRed(before) + 0.59 * qGreen(before) + 0.11 * qBlue(before)));
    EXPECT_EQ(pixelAt(*window, x, y), qRgb(grey, grey, grey));
    EXPECT_FALSE(window->Saved());
    EXPECT_EQ(main->imageWindows().size(), 1);
}

TEST_F(ImageCommandsTest, CopyThenPasteKeepsPixelsAndResolution) {
    auto image = pattern(21, 13);
    image->Header->biXPelsPerMeter = 11811;
    TfrmMDIChild* window = main->NewImageWindow(std::move(image), "p");
    window->copyAction()->trigger();
    const QMimeData* data = QApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->hasFormat(picture_clipboard::ownFormat));
    EXPECT_TRUE(data->hasImage()) << "other programs can paste it";
    main->EvaluateEnablingRules();
    EXPECT_TRUE(images().mnImagePaste->isEnabled());
    images().mnImagePaste->trigger();
    ASSERT_EQ(main->imageWindows().size(), 2);
    TfrmMDIChild* pasted = main->activeImageWindow();
    EXPECT_TRUE(samePixels(pasted->Image(), window->Image()));
    EXPECT_EQ(pasted->Image().Header->biXPelsPerMeter, 11811);
    EXPECT_FALSE(pasted->Saved());

    QApplication::clipboard()->setText("words");
    EXPECT_FALSE(images().mnImagePaste->isEnabled()) << "Paste follows the clipboard";
    EXPECT_FALSE(images().popmnPasteImage->isEnabled());
}

TEST_F(ImageCommandsTest, AnIndexedClipboardPictureIsRefused) {
    QImage indexed(5, 5, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(0, 0, 0), qRgb(200, 10, 10)});
    indexed.fill(1);
    QApplication::clipboard()->setImage(indexed);
    images().mnImagePaste->trigger();
    EXPECT_TRUE(main->imageWindows().isEmpty());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, main->language().Text("Common", 58));

    QImage argb(4, 3, QImage::Format_ARGB32);
    argb.fill(qRgba(0, 0, 255, 255));
    QApplication::clipboard()->setImage(argb);
    images().mnImagePaste->trigger();
    ASSERT_EQ(main->imageWindows().size(), 1) << "32-bit pictures of other programs are taken";
    EXPECT_EQ(pixelAt(*main->activeImageWindow(), 2, 1), qRgb(0, 0, 255));
}

namespace {
// Answers the next size dialog with a width in pixels, proportions kept.
void answerSizeDialog(const QString& width) {
    QTimer::singleShot(0, [width] {
        auto* dialog = qobject_cast<TImageSizeForm*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->cmbUnits->setCurrentIndex(TImageSizeForm::Pixels);
        dialog->chbProportions->setChecked(true);
        dialog->edtWidth->Field()->setText(width);
        QTest::keyClick(dialog->edtWidth->Field(), Qt::Key_Return);
        dialog->btOK->click();
    });
}
} // namespace

TEST_F(ImageCommandsTest, ResizingAsksForTheSizeAndRefusesAbsurdOnes) {
    main->settings().config.CreateNewWindow = 1;
    TfrmMDIChild* source = main->NewImageWindow(pattern(30, 20), "source");
    answerSizeDialog("60");
    images().mnImageResize->trigger();
    ASSERT_EQ(main->imageWindows().size(), 2);
    EXPECT_EQ(main->activeImageWindow()->ImageWidth(), 60);
    EXPECT_EQ(main->activeImageWindow()->ImageHeight(), 40) << "proportions kept";
    EXPECT_TRUE(messages.empty());

    main->mdiArea()->setActiveSubWindow(source);
    answerSizeDialog("3000000");
    images().mnImageResize->trigger();
    EXPECT_EQ(main->imageWindows().size(), 2) << "3,000,000 x 2,000,000 pixels are refused";
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, main->language().Text("Common", 57));
    EXPECT_EQ(source->ImageWidth(), 30);
}

TEST_F(ImageCommandsTest, ANewResolutionMarksThePictureUnsaved) {
    TfrmMDIChild* window = main->NewImageWindow(pattern(8, 8), "p");
    window->SetSaved(true);
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<TResolutionForm*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->rbUser->click();
        dialog->edtHorizontal->Field()->setText("300");
        QTest::keyClick(dialog->edtHorizontal->Field(), Qt::Key_Return);
        dialog->edtVertical->Field()->setText("150");
        QTest::keyClick(dialog->edtVertical->Field(), Qt::Key_Return);
        dialog->btOK->click();
    });
    images().mnImageResolution->trigger();
    EXPECT_EQ(window->Image().Header->biXPelsPerMeter, 11811);
    EXPECT_EQ(window->Image().Header->biYPelsPerMeter, 5906);
    EXPECT_FALSE(window->Saved()) << "closing then asks to keep the new resolution";
}
