// The correction road end to end: regions drawn with the mouse, Start and Repeat pressed, and
// the window's pixels compared byte for byte with the engine called directly.
#include "program_fixture.h"

#include "contrast_form.h"
#include "correction_records.h"
#include "image_commands.h"
#include "operation_panel.h"
#include "options_form.h"
#include "panel_glyphs.h"
#include "progress_form.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <cstring>

namespace {
void drag(QWidget* viewport, QPoint from, QPoint to) {
    QTest::mousePress(viewport, Qt::LeftButton, {}, from);
    QTest::mouseMove(viewport, to);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, to);
}

std::unique_ptr<TDIBImage> copyOf(const TDIBImage& image) {
    auto copy = std::make_unique<TDIBImage>();
    EXPECT_TRUE(copy->CreateLike(image));
    std::memcpy(copy->Bits, image.Bits, image.ImageSize());
    return copy;
}

bool samePixels(const TDIBImage& a, const TDIBImage& b) {
    return a.ImageSize() == b.ImageSize() && std::memcmp(a.Bits, b.Bits, a.ImageSize()) == 0;
}

// A picture with a warm cast: a white sheet, a black strip, a grey card and colour patches.
std::unique_ptr<TDIBImage> scene() {
    auto image = ProgramTest::pattern(160, 120);
    for (int y = 0; y < 120; ++y) {
        std::uint8_t* row = image->Bits + std::size_t(119 - y) * image->RowStride();
        for (int x = 0; x < 160; ++x) {
            std::uint8_t* p = row + 3 * x;
            if (x < 40 && y < 40) { // white sheet under a warm light: blue, green, red
                p[0] = 180, p[1] = 220, p[2] = 250;
            } else if (x >= 120 && y < 40) { // black strip
                p[0] = 10, p[1] = 18, p[2] = 30;
            } else if (y >= 80 && x < 40) { // grey card
                p[0] = 100, p[1] = 120, p[2] = 140;
            } else if (y >= 80 && x >= 120) { // a red patch
                p[0] = 40, p[1] = 50, p[2] = 200;
            }
        }
    }
    return image;
}
} // namespace

class CorrectionRunTest : public ProgramTest {
protected:
    TfrmMDIChild* open() {
        TfrmMDIChild* window = main->NewImageWindow(scene(), "scene");
        window->SetZoom(1);
        window->FitToImage();
        QApplication::processEvents();
        return window;
    }
    void mark(TfrmMDIChild* window, int mode, QRect imageRect) {
        main->SetToolMode(mode);
        drag(window->View()->viewport(), window->imageToClient(imageRect.topLeft()),
             window->imageToClient(imageRect.bottomRight()));
    }
    TfrmMDIChild* newest() { return main->imageWindows().last(); }

    // A correction record written by hand: white and black point mode 2, levels 255 and 0 with
    // target mode 1, the program's reference colour as the target.
    TCorrectionParams handRecord(const TDIBImage& source, void* dest, TRefArea* areas, int count,
                                 double gamma) const {
        TCorrectionParams p{};
        p.Size = sizeof p;
        p.Image = source.Describe();
        p.Dest = dest;
        p.RefAreas = areas;
        p.RefCount = count;
        p.WhiteMode = p.BlackMode = 2;
        std::memset(p.LightLevel, 255, 4);
        p.WhiteTargetMode = p.BlackTargetMode = 1;
        const std::uint8_t* rgb = main->settings().config.ReferenceColour;
        p.TargetColor[0] = rgb[2];
        p.TargetColor[1] = rgb[1];
        p.TargetColor[2] = rgb[0];
        p.Gamma = gamma;
        return p;
    }
};

TEST_F(CorrectionRunTest, ImageCorrectionEqualsTheEngineCalledDirectly) {
    TfrmMDIChild* window = open();
    const auto original = copyOf(window->Image());
    mark(window, 3, QRect(5, 5, 20, 20));   // White
    mark(window, 4, QRect(125, 5, 20, 20)); // Black
    mark(window, 5, QRect(5, 85, 20, 20));  // Grey
    main->correction().operationPanel()->edtGamma->SetValue(1.3L);
    main->correction().tbStart->trigger();
    ASSERT_EQ(main->imageWindows().size(), 2) << "Create new window is on at first start";
    const TDIBImage& result = newest()->Image();
    EXPECT_TRUE(result.Corrected);
    EXPECT_TRUE(samePixels(window->Image(), *original)) << "the source is untouched";
    EXPECT_EQ(double(main->correction().operationPanel()->edtGamma->Value()), 1.0)
        << "gamma back to 1.0";

    auto expected = copyOf(*original);
    TRefArea areas[] = {{5, 85, 25, 105, 0, TWK_REF_GREY, 0},
                        {125, 5, 145, 25, 0, TWK_REF_BLACK, 0},
                        {5, 5, 25, 25, 0, TWK_REF_WHITE, 0}};
    TCorrectionParams p = handRecord(*original, expected->Bits, areas, 3, 1.3);
    ASSERT_EQ(TWKDoImageOperation(TWK_OP_IMAGE_CORRECTION, &p, nullptr), TWK_OK);
    EXPECT_TRUE(samePixels(result, *expected));
}

TEST_F(CorrectionRunTest, LayerOperationsAndTheFilterEqualTheEngine) {
    for (int operation = 1; operation <= 5; ++operation) {
        main->correction().ChooseOperation(operation);
        TfrmMDIChild* window = open();
        const auto original = copyOf(window->Image());
        EXPECT_EQ(main->toolMode(), 6) << "choosing the operation pressed its region button";
        mark(window, 6, QRect(125, 85, 20, 20)); // the red patch
        main->correction().tbStart->trigger();
        ASSERT_EQ(main->imageWindows().size(), 2) << operation;
        auto expected = copyOf(*original);
        TLayerSample sample{
            {125, 85, 145, 105, nullptr}, original->Describe(), 5}; // layer and filter range 5
        int result = -1;
        if (operation == 1) {
            TRefArea area{125, 85, 145, 105, 0, TWK_REF_COLOR, 0};
            TCorrectionParams p = handRecord(*original, expected->Bits, &area, 1, 1.0);
            p.Samples = &sample;
            p.SampleCount = 1;
            result = TWKDoImageOperation(operation, &p, nullptr);
        } else {
            TLayerParams p{};
            p.Size = sizeof p;
            p.Image = original->Describe();
            p.Dest = expected->Bits;
            p.Samples = &sample;
            p.SampleCount = 1;
            if (operation == 5) {
                p.Value.Passes = 5;
            } else if (operation == 4) {
                std::memset(p.Value.Color, 255, 4);
            } else {
                const std::uint8_t* rgb = main->settings().config.ReferenceColour;
                p.Value.Color[0] = rgb[2];
                p.Value.Color[1] = rgb[1];
                p.Value.Color[2] = rgb[0];
            }
            result = TWKDoImageOperation(operation, &p, nullptr);
        }
        ASSERT_EQ(result, TWK_OK) << operation;
        EXPECT_TRUE(samePixels(newest()->Image(), *expected)) << "operation " << operation;
        EXPECT_EQ(newest()->Image().Corrected, operation == 1);
        main->CloseAll();
    }
}

TEST_F(CorrectionRunTest, RepeatOnASecondPictureAndInTheSameWindow) {
    TfrmMDIChild* first = open();
    mark(first, 3, QRect(5, 5, 20, 20));
    main->correction().tbStart->trigger();
    QApplication::processEvents();
    EXPECT_TRUE(main->correction().tbRepeat->isEnabled());

    main->settings().config.CreateNewWindow = 0;
    TfrmMDIChild* second = main->NewImageWindow(scene(), "second");
    const auto original = copyOf(second->Image());
    main->correction().operationPanel()->edtGamma->SetValue(1.5L);
    main->correction().tbRepeat->trigger();
    EXPECT_EQ(main->imageWindows().size(), 3) << "the result stays in its window";
    EXPECT_FALSE(second->Saved());
    EXPECT_TRUE(second->Image().Corrected);
    EXPECT_EQ(double(main->correction().operationPanel()->edtGamma->Value()), 1.5)
        << "Repeat keeps gamma";
    auto expected = copyOf(*original);
    TRepeatParams p{sizeof(TRepeatParams), original->Describe(), expected->Bits, nullptr};
    ASSERT_EQ(TWKDoRepeatedImageOperation(0, &p, nullptr), TWK_OK);
    EXPECT_TRUE(samePixels(second->Image(), *expected));
    EXPECT_FALSE(samePixels(second->Image(), *original));
}

TEST_F(CorrectionRunTest, UndoAndRedoOfCorrectionsEditsAndCropsGiveBackTheExactPictures) {
    main->settings().config.CreateNewWindow = 0;
    TfrmMDIChild* window = open();
    window->SetSaved(true);
    const auto original = copyOf(window->Image());
    EXPECT_FALSE(main->images().mnUndo->isEnabled());
    mark(window, 3, QRect(5, 5, 20, 20));
    main->correction().tbStart->trigger();
    QApplication::processEvents();
    const auto corrected = copyOf(window->Image());
    ASSERT_FALSE(samePixels(*corrected, *original));
    EXPECT_FALSE(window->Saved());
    main->EvaluateEnablingRules();
    EXPECT_TRUE(main->images().mnUndo->isEnabled());

    main->images().ConvertToGrey();
    const auto grey = copyOf(window->Image());
    window->CropRect = QRect(2, 3, 30, 20);
    main->runCrop(*window);
    ASSERT_EQ(window->ImageWidth(), 30);

    main->images().mnUndo->trigger(); // the crop
    EXPECT_TRUE(samePixels(window->Image(), *grey));
    main->images().mnUndo->trigger(); // the grey
    EXPECT_TRUE(samePixels(window->Image(), *corrected));
    main->images().mnUndo->trigger(); // the correction
    EXPECT_TRUE(samePixels(window->Image(), *original));
    EXPECT_EQ(window->Regions.Count(), 1) << "the White region is back with its picture";
    EXPECT_TRUE(window->Saved()) << "back at the saved picture";
    EXPECT_FALSE(window->CanUndo());

    main->images().mnRedo->trigger();
    EXPECT_TRUE(samePixels(window->Image(), *corrected));
    EXPECT_FALSE(window->Saved());
    main->images().mnRedo->trigger();
    main->images().mnRedo->trigger();
    EXPECT_EQ(window->ImageWidth(), 30);
    EXPECT_FALSE(window->CanRedo());
    main->images().mnUndo->trigger();
    main->images().Rotate(0); // a new change: what could be redone is gone
    EXPECT_FALSE(window->CanRedo());
}

TEST_F(CorrectionRunTest, ResultsAreNamedAfterTheirSourceAndKeepItsMetadata) {
    TfrmMDIChild* window = open();
    window->setFileName("/photos/dune.v2.jpg");
    window->Metadata.Exif = "II*\0exif";
    mark(window, 3, QRect(5, 5, 20, 20));
    main->correction().tbStart->trigger();
    main->mdiArea()->setActiveSubWindow(window);
    main->correction().tbStart->trigger();
    QApplication::processEvents();
    ASSERT_EQ(main->imageWindows().size(), 3);
    EXPECT_EQ(main->imageWindows()[1]->FileName(), "dune.v2 (2)");
    EXPECT_EQ(main->imageWindows()[2]->FileName(), "dune.v2 (3)");
    EXPECT_EQ(main->imageWindows()[2]->Metadata, window->Metadata);
    // A result of a result counts on from the same name.
    main->mdiArea()->setActiveSubWindow(main->imageWindows()[2]);
    main->images().ConvertToGrey();
    EXPECT_EQ(main->imageWindows().last()->FileName(), "dune.v2 (4)");
}

TEST_F(CorrectionRunTest, AStartWithNothingToCorrectSaysSoInsteadOfCopying) {
    open();
    main->correction().tbStart->trigger();
    EXPECT_EQ(main->imageWindows().size(), 1);
    EXPECT_EQ(main->findChild<QLabel*>("StatusPanel0")->text(),
              "Nothing to correct: mark a reference area, switch on Auto or choose a gamma.");
    main->correction().operationPanel()->edtGamma->SetValue(1.5L);
    main->correction().tbStart->trigger();
    EXPECT_EQ(main->imageWindows().size(), 2) << "a gamma alone corrects";
}

TEST_F(CorrectionRunTest, TheUndoBudgetComesFromTheSettings) {
    main->settings().undoMegabytes = 0; // no undo at all
    main->settings().config.CreateNewWindow = 0;
    TfrmMDIChild* window = open();
    EXPECT_EQ(window->History().Budget(), 0u);
    mark(window, 3, QRect(5, 5, 20, 20));
    main->correction().tbStart->trigger();
    EXPECT_FALSE(window->CanUndo());
    EXPECT_TRUE(window->Image().Corrected) << "the correction was made all the same";
}

TEST_F(CorrectionRunTest, AChangedUndoBudgetReachesTheOpenWindowsAtOnce) {
    main->settings().config.CreateNewWindow = 0;
    TfrmMDIChild* window = open();
    mark(window, 3, QRect(5, 5, 20, 20));
    main->correction().tbStart->trigger();
    ASSERT_TRUE(window->CanUndo());
    QTimer::singleShot(0, [] {
        auto* options = qobject_cast<TOptionsForm*>(QApplication::activeModalWidget());
        ASSERT_NE(options, nullptr);
        options->edtUndoMegabytes->SetValue(0);
        options->btOK->click();
    });
    main->settingsCommands().showOptions();
    EXPECT_EQ(window->History().Budget(), 0u);
    EXPECT_FALSE(window->CanUndo()) << "the kept step no longer fits";
}

TEST_F(CorrectionRunTest, AFailedInPlaceRunLeavesNothingToUndo) {
    main->settings().config.CreateNewWindow = 0;
    main->correction().ChooseOperation(1);
    TfrmMDIChild* window = open();
    mark(window, 3, QRect(5, 5, 20, 20)); // a layer correction needs a Colour region
    main->correction().tbStart->trigger();
    EXPECT_FALSE(window->CanUndo());
}

TEST_F(CorrectionRunTest, LayerOperationWithoutAColourRegionWarns) {
    main->correction().ChooseOperation(1);
    TfrmMDIChild* window = open();
    const auto original = copyOf(window->Image());
    mark(window, 3, QRect(5, 5, 20, 20));
    main->correction().tbStart->trigger();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, MessageKind::Warning);
    EXPECT_EQ(messages[0].text, main->language().Text("Common", 11));
    EXPECT_EQ(main->imageWindows().size(), 1);
    EXPECT_TRUE(samePixels(window->Image(), *original));
}

TEST_F(CorrectionRunTest, CancelGivesNoWindowAndNoMessage) {
    main->settings().config.ProgressDelay = 0;
    TfrmMDIChild* window = open();
    mark(window, 3, QRect(5, 5, 20, 20));
    bool cancelEnabled = false;
    QTimer::singleShot(0, [&] {
        TProgressForm& progress = main->progressForm();
        cancelEnabled = progress.btCancel->isEnabled();
        progress.btCancel->click();
    });
    main->correction().tbStart->trigger();
    EXPECT_TRUE(cancelEnabled) << "with Create new window, Cancel may be used";
    EXPECT_EQ(main->imageWindows().size(), 1);
    EXPECT_TRUE(messages.empty());

    main->correction().cmbCreateNewImage->setChecked(false);
    EXPECT_EQ(main->settings().config.CreateNewWindow, 0) << "written at once";
    QTimer::singleShot(0, [&] { cancelEnabled = main->progressForm().btCancel->isEnabled(); });
    main->correction().tbStart->trigger();
    EXPECT_FALSE(cancelEnabled) << "writing into the picture itself cannot be cancelled";
}

TEST_F(CorrectionRunTest, ProcessingFilesSwitchTheOperation) {
    main->correction().ChooseOperation(3);
    TfrmMDIChild* window = open();
    mark(window, 6, QRect(125, 85, 20, 20));
    main->correction().tbStart->trigger();
    const QString file = folder.filePath("filling.prs");
    main->correction().SaveProcessing(file);
    ASSERT_TRUE(QFile::exists(file));
    EXPECT_EQ(main->settings().processingDirectory, QDir(folder.path()).absolutePath());

    main->correction().ChooseOperation(0);
    EXPECT_TRUE(main->correction().operationPanel()->pnlWBAuto->isVisibleTo(main.get()));
    main->correction().OpenProcessing(file);
    EXPECT_EQ(main->settings().config.Operation, 3);
    EXPECT_FALSE(main->correction().operationPanel()->pnlWBAuto->isVisibleTo(main.get()));
    EXPECT_TRUE(main->correction().operationPanel()->edtLayerRange->isVisibleTo(main.get()));

    QFile damaged(folder.filePath("damaged.prs"));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("HMPRESET but nothing more");
    damaged.close();
    main->correction().ChooseOperation(5);
    main->correction().OpenProcessing(damaged.fileName());
    EXPECT_EQ(main->settings().config.Operation, 5) << "a damaged file changes nothing";
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, MessageKind::Error);
    EXPECT_TRUE(main->correction().operationPanel()->pnlFilter->isVisibleTo(main.get()));
}

TEST_F(CorrectionRunTest, PanelSettingsAreWrittenAtOnce) {
    TOperationPanel* panel = main->correction().operationPanel();
    panel->chbAuto->setChecked(true);
    EXPECT_EQ(main->settings().config.Auto, 1);
    panel->rbtBrightness->click();
    EXPECT_EQ(main->settings().config.ColourMode, 2);
    panel->edtLayerRange->Field()->setText("-40");
    QTest::keyClick(panel->edtLayerRange->Field(), Qt::Key_Return);
    EXPECT_EQ(main->settings().config.LayerRange, -40);
    main->correction().btRefLight->trigger();
    EXPECT_TRUE(main->lightPicker()->isVisible()) << "the picker shows while Light is down";
    main->correction().btRefDark->trigger();
    EXPECT_FALSE(main->lightPicker()->isVisible());
    EXPECT_TRUE(main->darkPicker()->isVisible());
    open();
    QApplication::processEvents();
    main->correction().tbStart->trigger();
    EXPECT_FALSE(main->darkPicker()->isVisible()) << "Start hides the pickers";
}

TEST_F(CorrectionRunTest, TheLightPickerShowsTheMeasuredLevel) {
    TfrmMDIChild* window = open();
    mark(window, 7, QRect(5, 5, 20, 20)); // Light, on the white sheet
    QApplication::processEvents();
    ASSERT_TRUE(main->lightPicker()->isVisible());
    TImageRegion area{5, 5, 25, 25, nullptr};
    TColorSampleParams p{};
    p.Size = sizeof p;
    p.Image = window->Image().Describe();
    p.Area = &area;
    p.SampleMode = 2;
    p.Light = -1;
    ASSERT_EQ(TWKDoImageOperation(TWK_OP_COLOR_SAMPLE, &p, nullptr), TWK_OK);
    EXPECT_EQ(main->lightPicker()->MeasuredLevel(), std::max({p.Color[0], p.Color[1], p.Color[2]}));
    window->DeleteAllRegions();
    QApplication::processEvents();
    EXPECT_EQ(main->lightPicker()->MeasuredLevel(), -1) << "no Light region: no mark";
}

TEST(CorrectionRecordsFill, LightDarkAutoAndTransfer) {
    auto image = ProgramTest::pattern(40, 30);
    TRefRegionList regions;
    THatchAreaList areas;
    regions.AddRegion(RegionKind::Light, QRect(1, 1, 4, 4), 0);
    regions.AddRegion(RegionKind::Colour, QRect(10, 10, 4, 4), 0);
    CorrectionSettings settings;
    settings.lightLevel = 230;
    settings.autoWhiteBlack = true;
    CorrectionRecords records;
    ASSERT_TRUE(records.Fill(settings, *image, image->Bits, regions, areas));
    const TCorrectionParams& p = records.correction;
    EXPECT_EQ(p.WhiteTargetMode, 2);
    EXPECT_EQ(p.LightLevel[3], 230);
    EXPECT_EQ(p.BlackTargetMode, 1) << "no Dark region";
    EXPECT_EQ(p.DarkLevel[0], 0);
    EXPECT_EQ(p.Auto, -1);
    ASSERT_EQ(p.RefCount, 2) << "every region is a reference area";
    EXPECT_EQ(p.RefAreas[0].RefClass, TWK_REF_WHITE) << "Light measures as white";
    EXPECT_EQ(p.RefAreas[1].RefClass, TWK_REF_COLOR);
    const TImageRegion* limit = p.Region; // a packed field: read it by value
    EXPECT_EQ(limit, nullptr);

    image->Corrected = true;
    areas.AddRectangle(0, QRect(0, 0, 5, 5));
    CorrectionRecords again;
    ASSERT_TRUE(again.Fill(settings, *image, image->Bits, regions, areas));
    EXPECT_EQ(again.correction.Auto, 0) << "no Auto on a corrected picture";
    const TImageRegion* region = again.correction.Region;
    ASSERT_NE(region, nullptr);
    EXPECT_EQ(region->Right, 40);

    settings.operation = 4;
    CorrectionRecords transfer;
    ASSERT_TRUE(transfer.Fill(settings, *image, image->Bits, regions, areas));
    EXPECT_EQ(transfer.EngineType(), 4);
    const std::int32_t samples = transfer.layer.SampleCount;
    EXPECT_EQ(samples, 1);
    EXPECT_EQ(transfer.layer.Value.Color[0], 255);
    EXPECT_EQ(transfer.layer.Value.Color[3], 255) << "transfer passes 255 four times";
}

namespace {
QImage iconImage(const QAction* action) {
    return action->icon().pixmap(32, 32).toImage().convertToFormat(QImage::Format_ARGB32);
}

QImage glyphImage(PanelGlyph glyph) {
    return panelGlyph(glyph).pixmap(32, 32).toImage().convertToFormat(QImage::Format_ARGB32);
}
} // namespace

TEST_F(CorrectionRunTest, TheColourButtonShowsTheGlyphOfEachOperation) {
    const PanelGlyph expected[] = {PanelGlyph::RefColour, PanelGlyph::RefColourLayer,
                                   PanelGlyph::Layer, PanelGlyph::Layer, PanelGlyph::Layer};
    EXPECT_NE(glyphImage(PanelGlyph::RefColour), glyphImage(PanelGlyph::RefColourLayer));
    EXPECT_NE(glyphImage(PanelGlyph::RefColourLayer), glyphImage(PanelGlyph::Layer));
    for (int operation = 0; operation < 5; ++operation) {
        main->correction().ChooseOperation(operation);
        EXPECT_EQ(iconImage(main->correction().btRefColor), glyphImage(expected[operation]))
            << "operation " << operation;
    }

    TfrmMDIChild* window = open();
    main->correction().ChooseOperation(1);
    mark(window, 6, QRect(125, 85, 20, 20));
    main->correction().tbStart->trigger();
    const QString file = folder.filePath("layer.prs");
    main->correction().SaveProcessing(file);
    main->correction().ChooseOperation(0);
    main->correction().OpenProcessing(file);
    EXPECT_EQ(iconImage(main->correction().btRefColor), glyphImage(PanelGlyph::RefColourLayer))
        << "a processing file switches the glyph with the operation";
}

TEST_F(CorrectionRunTest, LabelsShowWithTheirFields) {
    TOperationPanel* panel = main->correction().operationPanel();
    EXPECT_EQ(panel->lbContrast->text(), main->language().Text("Bottom Toolbar", 17));
    EXPECT_FALSE(panel->lbLayerRange->text().isEmpty());
    for (int operation = 0; operation < 6; ++operation) {
        main->correction().ChooseOperation(operation);
        EXPECT_EQ(panel->lbContrast->isVisibleTo(main.get()),
                  panel->pnlContrBrght->isVisibleTo(main.get()))
            << "operation " << operation;
        EXPECT_EQ(panel->pnlContrBrght->isVisibleTo(main.get()), operation <= 1);
        EXPECT_EQ(panel->lbLayerRange->isVisibleTo(main.get()),
                  panel->edtLayerRange->isVisibleTo(main.get()))
            << "operation " << operation;
    }
}
