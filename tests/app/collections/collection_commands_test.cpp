// The main window's colour collection commands on a real main window.
#include "program_fixture.h"

#include "color_form.h"
#include "palette_panel.h"
#include "panel_glyphs.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

namespace {
QString label(const TfrmMDIParent& main, int index) {
    // lbRGB and lbComment are the panel's two labels, in that order.
    const auto labels = main.collections().palettePanel()->parentWidget()->findChildren<QLabel*>(
        QString(), Qt::FindDirectChildrenOnly);
    return labels.value(labels.size() - 2 + index)->text();
}

// Answers the next colour dialog: a new colour (or none) and a new comment.
void answerColourDialog(std::optional<std::array<int, 3>> colour, const QString& comment) {
    QTimer::singleShot(0, [colour, comment] {
        auto* dialog = qobject_cast<TfrmColor*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        if (colour) {
            for (int c = 0; c < 3; ++c) {
                dialog->Edits[c]->setText(QString::number((*colour)[c]));
            }
        }
        dialog->Memo->setPlainText(comment);
        dialog->accept();
    });
}
} // namespace

TEST_F(ProgramTest, TheShippedCollectionAndTheSelectedColour) {
    TPalettePanel* panel = main->collections().palettePanel();
    ASSERT_GE(panel->List().Count(), 15) << "greys, skin, sky, foliage and paper";
    EXPECT_TRUE(main->settings().paletteFileName.isEmpty()) << "saved under a name of one's own";
    EXPECT_FALSE(panel->Modified);
    panel->List()[2]->Name = "Mid grey\r\nfor the 18% grey card in the studio";
    panel->List()[2]->Color = 0x00302010;
    panel->SetPressedButton(2);
    EXPECT_EQ(label(*main, 0), "R:16, G:32, B:48");
    EXPECT_EQ(label(*main, 1), "Mid grey") << "the first line";
    const std::uint8_t* reference = main->settings().config.ReferenceColour;
    EXPECT_EQ(reference[0], 16);
    EXPECT_EQ(reference[2], 48) << "the selected colour is the reference colour";
    panel->List()[2]->Name = "A rather long name of a colour";
    panel->SetPressedButton(2);
    EXPECT_EQ(label(*main, 1), QString("A rather long name") + QChar(0x2026))
        << "at most 19 characters, the ellipsis included";
    panel->List()[2]->Name = "Foliage, summer green";
    panel->SetPressedButton(2);
    EXPECT_EQ(label(*main, 1), QString("Foliage, summer") + QChar(0x2026))
        << "a long name ends after a whole word";
    EXPECT_EQ(main->collections().lbComment->toolTip(), "Foliage, summer green");
    panel->List()[2]->Name = "Ultramarinebluepigmentcard";
    panel->SetPressedButton(2);
    EXPECT_EQ(label(*main, 1), QString("Ultramarinebluepig") + QChar(0x2026))
        << "one long word is cut where it must be";
    panel->List()[2]->Name = "Paper white";
    panel->SetPressedButton(2);
    EXPECT_EQ(label(*main, 1), "Paper white");
}

TEST_F(ProgramTest, ThePicturesSwitchShowsWhatTheCollectionShows) {
    QAction* button = main->collections().btViewPictures;
    auto face = [](const QIcon& icon) {
        return icon.pixmap(32, 32).toImage().convertToFormat(QImage::Format_ARGB32);
    };
    EXPECT_FALSE(main->collections().palettePanel()->DrawPictures());
    EXPECT_EQ(face(button->icon()), face(panelGlyph(PanelGlyph::HidePictures)));
    button->trigger();
    EXPECT_TRUE(main->collections().palettePanel()->DrawPictures());
    EXPECT_EQ(face(button->icon()), face(panelGlyph(PanelGlyph::ShowPictures)));
    button->trigger();
    EXPECT_FALSE(main->collections().palettePanel()->DrawPictures());
    EXPECT_EQ(face(button->icon()), face(panelGlyph(PanelGlyph::HidePictures)));
}

TEST_F(ProgramTest, EditingTheNameKeepsThePictureAndANewColourDropsIt) {
    TPalettePanel* panel = main->collections().palettePanel();
    TPaletteColor withPicture;
    withPicture.Color = 0x000000ff;
    QByteArray bitmap(40 + 8, '\0');
    bitmap[0] = 40;
    bitmap[4] = 2;  // width 2
    bitmap[8] = 1;  // height 1
    bitmap[12] = 1; // planes
    bitmap[14] = 24;
    ASSERT_TRUE(withPicture.SetPicture(bitmap));
    panel->AddEntry(withPicture);
    const int index = panel->PressedButton();
    answerColourDialog(std::nullopt, "renamed");
    main->collections().EditCollectionColour();
    EXPECT_EQ(panel->List()[index]->Name, "renamed");
    EXPECT_EQ(panel->List()[index]->PictureBytes(), bitmap) << "the picture stays";
    answerColourDialog(std::array{0, 255, 0}, "green now");
    main->collections().EditCollectionColour();
    EXPECT_EQ(panel->List()[index]->Color, 0x0000ff00u);
    EXPECT_EQ(panel->List()[index]->PictureSize, 0) << "a new colour drops the picture";
    EXPECT_EQ(panel->PressedButton(), index);

    const int before = panel->List().Count();
    answerColourDialog(std::array{1, 2, 3}, "added");
    main->collections().AddCollectionColour();
    ASSERT_EQ(panel->List().Count(), before + 1);
    EXPECT_EQ(panel->List()[before]->Color, 0x00030201u);
    main->collections().DeleteCollectionColour();
    EXPECT_EQ(panel->List().Count(), before);
}

TEST_F(ProgramTest, ColoursFromPicturesJoinTheCollection) {
    TPalettePanel* panel = main->collections().palettePanel();
    const int before = panel->List().Count();
    TfrmMDIChild* window = main->NewImageWindow(pattern(120, 90), "p");
    main->SetToolMode(9);
    QTest::mouseClick(window->View()->viewport(), Qt::LeftButton, {}, QPoint(30, 20));
    ASSERT_EQ(panel->List().Count(), before + 1);
    EXPECT_EQ(panel->List()[before]->Color, 30u | (20u << 8) | (50u << 16));
    EXPECT_TRUE(panel->List()[before]->Name.isEmpty());

    window->Regions.AddRegion(RegionKind::White, QRect(10, 10, 80, 60), 0);
    QApplication::processEvents();
    ASSERT_TRUE(main->collections().btFromImage->isEnabled());
    main->collections().btFromImage->trigger();
    ASSERT_EQ(panel->List().Count(), before + 2);
    const TPaletteColor& taken = *panel->List()[before + 1];
    const BgrColor mean = window->Image().ExtractColor(QRect(10, 10, 80, 60));
    EXPECT_EQ(taken.Color, mean[2] | (mean[1] << 8) | (std::uint32_t(mean[0]) << 16));
    ASSERT_GT(taken.PictureSize, 0);
    const QByteArray picture = taken.PictureBytes();
    EXPECT_EQ(qFromLittleEndian<std::int32_t>(picture.constData() + 4), panel->PictureWidth())
        << "cut to the panel's picture size";
    EXPECT_TRUE(panel->Modified);
}

TEST_F(ProgramTest, CollectionFilesOpenSaveAndFail) {
    TPalettePanel* panel = main->collections().palettePanel();
    const QString file = folder.filePath("mine.col");
    ASSERT_TRUE(main->collections().SaveCollectionTo(file));
    EXPECT_EQ(main->settings().paletteFileName, file);
    EXPECT_FALSE(panel->Modified);
    const int count = panel->List().Count();

    QFile damaged(folder.filePath("damaged.col"));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("NOT A COLLECTION AT ALL, JUST TEXT");
    damaged.close();
    EXPECT_FALSE(main->collections().LoadCollection(damaged.fileName()));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, main->language().Text("Common", 38));
    EXPECT_TRUE(main->settings().paletteFileName.isEmpty());
    EXPECT_EQ(panel->List().Count(), 0) << "a failed load leaves the collection empty";
    EXPECT_EQ(panel->PressedButton(), -1);

    ASSERT_TRUE(main->collections().LoadCollection(file));
    EXPECT_EQ(panel->List().Count(), count);
    EXPECT_EQ(panel->PressedButton(), 0);

    main->settings().config.SaveCollection = 1;
    panel->DeleteSelected();
    EXPECT_TRUE(main->close());
    TPaletteList reread;
    ASSERT_TRUE(reread.LoadFile(file));
    EXPECT_EQ(reread.Count(), count - 1) << "saved without asking at close";
}

TEST_F(ProgramTest, ClosingWithAnUnsavedCollectionAsks) {
    main->collections().palettePanel()->DeleteSelected();
    answers = {MessageAnswer::No};
    EXPECT_TRUE(main->close());
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back().text, main->language().Text("Common", 1));
}
