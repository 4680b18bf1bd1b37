// The collection file, byte for byte, and the palette panel.
#include "entry_picture.h"
#include "palette_list.h"
#include "palette_panel.h"

#include <QBuffer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QtEndian>

#include <gtest/gtest.h>

namespace {
QByteArray header(std::uint32_t version, const char* signature = "HMPAL") {
    QByteArray bytes(32, '\0');
    std::memcpy(bytes.data(), signature, 5);
    qToLittleEndian<std::uint32_t>(version, bytes.data() + 8);
    return bytes;
}

QByteArray u32(std::uint32_t value) {
    QByteArray bytes(4, '\0');
    qToLittleEndian<std::uint32_t>(value, bytes.data());
    return bytes;
}

// A packed 24-bit bitmap of w x h whose pixel (x, y) is red 10x, green 10y, blue 0.
QByteArray picture(int w, int h) {
    const int stride = (w * 3 + 3) / 4 * 4;
    QByteArray bytes(40 + stride * h, '\0');
    auto* header = bytes.data();
    qToLittleEndian<std::uint32_t>(40, header);
    qToLittleEndian<std::int32_t>(w, header + 4);
    qToLittleEndian<std::int32_t>(h, header + 8);
    qToLittleEndian<std::uint16_t>(1, header + 12);
    qToLittleEndian<std::uint16_t>(24, header + 14);
    for (int y = 0; y < h; ++y) {
        char* row = bytes.data() + 40 + (h - 1 - y) * stride;
        for (int x = 0; x < w; ++x) {
            row[3 * x + 2] = char(10 * x);
            row[3 * x + 1] = char(10 * y);
        }
    }
    return bytes;
}

TPaletteColor entry(std::uint32_t colour, const QByteArray& name, const QByteArray& bitmap = {}) {
    TPaletteColor e;
    e.Color = colour;
    e.Name = name;
    EXPECT_TRUE(e.SetPicture(bitmap));
    return e;
}

bool load(TPaletteList& list, QByteArray bytes) {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return list.Load(buffer);
}

QByteArray save(const TPaletteList& list) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(list.Save(buffer));
    return buffer.data();
}
} // namespace

TEST(PaletteList, RoundTripKeepsEverythingByteForByte) {
    TPaletteList list;
    list.Add(std::make_unique<TPaletteColor>(entry(0x00102030, "sky\r\nmorning", picture(3, 2))));
    list.Add(std::make_unique<TPaletteColor>(entry(0x00ffffff, "")));
    list.Add(std::make_unique<TPaletteColor>(entry(0x00000001, "Hautfarbe, hell")));
    const QByteArray bytes = save(list);
    EXPECT_EQ(bytes.left(8), QByteArray("HMPAL\0\0\0", 8));
    EXPECT_EQ(qFromLittleEndian<std::uint32_t>(bytes.constData() + 8), 3u);
    const int pictureBytes = picture(3, 2).size();
    EXPECT_EQ(bytes.size(), 32 + 4 + (28 + 4 + 12 + pictureBytes) + (28 + 4) + (28 + 4 + 15));

    TPaletteList back;
    ASSERT_TRUE(load(back, bytes));
    ASSERT_EQ(back.Count(), 3);
    EXPECT_EQ(back[0]->Color, 0x00102030u);
    EXPECT_EQ(back[0]->Name, "sky\r\nmorning");
    EXPECT_EQ(back[0]->PictureBytes(), picture(3, 2));
    EXPECT_EQ(back[1]->Name, "");
    EXPECT_EQ(back[1]->PictureSize, 0);
    EXPECT_EQ(back[2]->Color, 1u);
    EXPECT_EQ(save(back), bytes) << "saving what was read gives the same bytes";
}

TEST(PaletteList, NamesShowAsUtf8OrElseLatin1) {
    EXPECT_EQ(entry(1, "Caf\xc3\xa9 au lait").DisplayName(), QString::fromUtf8("Café au lait"));
    EXPECT_EQ(entry(1, "Caf\xe9 au lait").DisplayName(), QString::fromUtf8("Café au lait"));
    EXPECT_EQ(entry(1, "Caf\xe9").DisplayName(), QString::fromUtf8("Café"))
        << "a byte that would start a sequence at the very end is Latin-1 too";
    TPaletteColor renamed;
    renamed.SetDisplayName(QString::fromUtf8("Grün"));
    EXPECT_EQ(renamed.Name, QByteArray("Gr\xc3\xbcn"));
}

TEST(PaletteList, OlderVersionsAndTheEmptyCollection) {
    TPaletteList list;
    const QByteArray version1 =
        header(1) + u32(1) + u32(0) + u32(0x00abcdef) + u32(7) + u32(9) + u32(3) + "one";
    ASSERT_TRUE(load(list, version1));
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list[0]->SecondColor, 0x00abcdefu) << "version 1: the second colour is the colour";
    EXPECT_EQ(list[0]->Name, "one");
    const QByteArray rewritten = save(list);
    EXPECT_EQ(qFromLittleEndian<std::uint32_t>(rewritten.constData() + 8), 3u);
    EXPECT_EQ(rewritten.size(), 32 + 4 + 28 + 4 + 3) << "written as version 3";

    const QByteArray version2 = header(2) + u32(1) + u32(0) + u32(5) + u32(5) + u32(99) + u32(0) +
                                QByteArray(8, '\0') + u32(2) + "ab";
    ASSERT_TRUE(load(list, version2));
    EXPECT_EQ(list[0]->PictureSize, 0) << "version 2 never holds pictures";
    EXPECT_EQ(list[0]->Name, "ab");

    list.Clear();
    EXPECT_EQ(save(list), header(3) + u32(0)) << "36 bytes";
}

TEST(PaletteList, DamagedFilesGiveTheirReasonAndAnEmptyList) {
    TPaletteList list;
    EXPECT_FALSE(load(list, header(3, "HMPAX") + u32(0)));
    EXPECT_EQ(list.LastError, TPaletteList::NotACollection);
    EXPECT_FALSE(load(list, header(0) + u32(0)));
    EXPECT_EQ(list.LastError, TPaletteList::BadVersion);
    EXPECT_FALSE(load(list, header(4) + u32(0)));
    EXPECT_EQ(list.LastError, TPaletteList::BadVersion);
    EXPECT_FALSE(load(list, header(3).left(20)));
    EXPECT_EQ(list.LastError, TPaletteList::ReadError);

    const QByteArray good = header(3) + u32(2) + u32(0) + u32(1) + u32(0) + u32(0) + u32(0) +
                            QByteArray(8, '\0') + u32(0);
    EXPECT_FALSE(load(list, good)) << "the second entry is missing";
    EXPECT_EQ(list.Count(), 0) << "a failed entry discards the whole list";
    EXPECT_EQ(list.LastError, TPaletteList::ReadError);

    const QByteArray hugeName = header(3) + u32(1) + u32(0) + u32(1) + u32(0) + u32(0) + u32(0) +
                                QByteArray(8, '\0') + u32(0xfffffff0u);
    EXPECT_FALSE(load(list, hugeName)) << "a name longer than the file";
    const QByteArray hugePicture = header(3) + u32(1) + u32(0) + u32(1) + u32(0) + u32(0x7ffffff0) +
                                   u32(0) + QByteArray(8, '\0') + u32(0);
    EXPECT_FALSE(load(list, hugePicture)) << "a picture larger than the file";
    EXPECT_FALSE(load(list, header(3) + u32(0x80000000u))) << "a negative count";
    EXPECT_EQ(list.Count(), 0);
}

TEST(PaletteList, AFailedSaveKeepsThePreviousFile) {
    QTemporaryDir dir;
    TPaletteList list;
    list.Add(std::make_unique<TPaletteColor>(entry(1, "kept")));
    const QString file = dir.filePath("kept.col");
    ASSERT_TRUE(list.SaveFile(file));
    const QByteArray before = [&] {
        QFile f(file);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    EXPECT_FALSE(list.SaveFile(dir.filePath("missing/folder/x.col")));
    EXPECT_EQ(list.LastError, TPaletteList::WriteError);
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);
    EXPECT_FALSE(list.LoadFile(dir.filePath("none.col")));
    EXPECT_EQ(list.LastError, TPaletteList::ReadError);
}

TEST(EntryPicture, BrokenHeadersAreNeverDrawn) {
    EXPECT_TRUE(packedBitmapFits(picture(3, 2)));
    EXPECT_FALSE(packedBitmapFits(picture(3, 2).left(50))) << "rows missing";
    QByteArray wide = picture(3, 2);
    qToLittleEndian<std::int32_t>(1 << 20, wide.data() + 4);
    EXPECT_FALSE(packedBitmapFits(wide));
    QByteArray negative = picture(3, 2);
    qToLittleEndian<std::int32_t>(-2, negative.data() + 8);
    EXPECT_FALSE(packedBitmapFits(negative));
    QByteArray palette = picture(3, 2);
    qToLittleEndian<std::uint16_t>(8, palette.data() + 14);
    EXPECT_FALSE(packedBitmapFits(palette)) << "an 8-bit picture needs its colour table";
    EXPECT_TRUE(pictureTopLeft(negative, 2, 2).isNull());
    const QImage part = pictureTopLeft(picture(5, 4), 2, 3);
    EXPECT_EQ(part.size(), QSize(2, 3));
    EXPECT_EQ(part.pixel(1, 2), qRgb(10, 20, 0));
}

class PanelTest : public ::testing::Test {
protected:
    void fill(int count) {
        for (int i = 0; i < count; ++i) {
            panel.List().Add(std::make_unique<TPaletteColor>(entry(std::uint32_t(i), "")));
        }
        panel.Reset();
    }
    TPalettePanel panel;
};

TEST_F(PanelTest, AnEmptyListHasNoSelectionAndOnlyClicks) {
    EXPECT_EQ(panel.PressedButton(), -1);
    for (QToolButton* arrow : {panel.ScrollLeftButton(), panel.ScrollRightButton(),
                               panel.MoveLeftButton(), panel.MoveRightButton()}) {
        EXPECT_FALSE(arrow->isEnabled());
    }
    QSignalSpy changed(&panel, &TPalettePanel::colorChanged);
    QSignalSpy clicked(&panel, &TPalettePanel::colorClick);
    QTest::mousePress(panel.Cells(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_EQ(changed.count(), 0);
}

TEST_F(PanelTest, LayoutSizesAndLimits) {
    panel.SetButtons(5);
    panel.SetButtonWidth(45);
    panel.SetButtonHeight(40);
    EXPECT_EQ(panel.size(), QSize(316, 40));
    panel.SetMoveVisible(false);
    EXPECT_EQ(panel.width(), 271);
    panel.SetButtons(0);
    EXPECT_EQ(panel.Buttons(), 1);
    panel.SetButtonWidth(4);
    EXPECT_EQ(panel.ButtonWidth(), 10);
    EXPECT_EQ(panel.PictureWidth(), 2);
}

TEST_F(PanelTest, ScrollingStaysInsideTheList) {
    fill(3);
    panel.SetPosition(2);
    EXPECT_EQ(panel.Position(), 0) << "three entries fit into five cells";
    EXPECT_FALSE(panel.ScrollLeftButton()->isEnabled());
    EXPECT_FALSE(panel.ScrollRightButton()->isEnabled());
    fill(5); // eight now
    panel.ScrollRightButton()->click();
    EXPECT_EQ(panel.Position(), 1);
    panel.SetPosition(10);
    EXPECT_EQ(panel.Position(), 3);
    EXPECT_FALSE(panel.ScrollRightButton()->isEnabled());
}

TEST_F(PanelTest, AddingDeletingAndMovingEntries) {
    fill(5);
    QSignalSpy changed(&panel, &TPalettePanel::colorChanged);
    panel.AddEntry(entry(99, "sixth"));
    EXPECT_EQ(panel.PressedButton(), 5);
    EXPECT_EQ(panel.Position(), 1) << "the new entry shows as the last cell";
    EXPECT_TRUE(panel.Modified);
    EXPECT_GE(changed.count(), 1);
    panel.DeleteSelected();
    EXPECT_EQ(panel.PressedButton(), 4) << "the new last entry";
    EXPECT_EQ(panel.List().Count(), 5);

    panel.Modified = false;
    panel.SetPressedButton(0);
    panel.MoveSelected(-1);
    EXPECT_FALSE(panel.Modified) << "the first entry cannot move left";
    EXPECT_FALSE(panel.MoveLeftButton()->isEnabled());
    panel.MoveRightButton()->click();
    EXPECT_EQ(panel.PressedButton(), 1);
    EXPECT_EQ(panel.List()[1]->Color, 0u) << "entries 0 and 1 exchanged";
    EXPECT_TRUE(panel.Modified);

    TPaletteColor selected;
    ASSERT_TRUE(panel.GetSelected(selected));
    EXPECT_EQ(selected.Color, 0u);
    panel.ReplaceSelected(entry(7, "seven"));
    EXPECT_EQ(panel.List()[1]->Name, "seven");
}

TEST_F(PanelTest, ClicksSelectAndDoubleClicksReport) {
    fill(4);
    QSignalSpy clicked(&panel, &TPalettePanel::colorClick);
    QSignalSpy doubled(&panel, &TPalettePanel::dblClick);
    QTest::mousePress(panel.Cells(), Qt::LeftButton, {}, QPoint(panel.ButtonWidth() * 2 + 5, 5));
    EXPECT_EQ(panel.PressedButton(), 2);
    EXPECT_EQ(clicked.count(), 1);
    QTest::mouseDClick(panel.Cells(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(doubled.count(), 1);
}

TEST_F(PanelTest, PicturesLargerThanTheCellShowTheirTopLeftCentred) {
    panel.SetButtonWidth(30); // pictures of 22 x 22
    panel.SetButtonHeight(32);
    panel.List().Add(std::make_unique<TPaletteColor>(entry(0x000000ff, "", picture(40, 40))));
    panel.Reset(); // the only entry is selected
    panel.SetDrawPictures(true);
    panel.show();
    const QImage shot = panel.Cells()->grab().toImage();
    // The selected cell's picture starts at 1 + 4 + 1 = 6 on both axes.
    EXPECT_EQ(shot.pixel(6, 6) & 0xffffff, qRgb(0, 0, 0) & 0xffffffu);
    EXPECT_EQ(shot.pixel(6 + 21, 6 + 21) & 0xffffff, qRgb(210, 210, 0) & 0xffffffu)
        << "the picture's pixel (21, 21): only its top-left 22 x 22";
    panel.SetDrawPictures(false);
    const QImage swatch = panel.Cells()->grab().toImage();
    EXPECT_EQ(swatch.pixel(10, 10) & 0xffffff, qRgb(255, 0, 0) & 0xffffffu) << "the colour";
}
