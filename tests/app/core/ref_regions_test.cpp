#include "hatch_region.h"
#include "ref_regions.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
std::vector<RegionKind> kinds(const TRefRegionList& list) {
    std::vector<RegionKind> result;
    for (int i = 0; i < list.Count(); ++i) {
        result.push_back(list[i]->Kind);
    }
    return result;
}

// The pixels of a width x height picture inside a region, row by row ('#' inside).
std::string mask(platform::RegionHandle region, int width, int height) {
    std::string rows;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            rows += platform::regionContains(region, x, y) ? '#' : '.';
        }
        rows += '\n';
    }
    return rows;
}
} // namespace

TEST(RefRegionList, WhichNewRegionReplacesWhich) {
    TRefRegionList list;
    list.AddRegion(RegionKind::White, QRect(0, 0, 2, 2), 0);
    list.AddRegion(RegionKind::Light, QRect(5, 5, 2, 2), 0);
    EXPECT_EQ(kinds(list), std::vector{RegionKind::Light}) << "Light replaces White";
    list.AddRegion(RegionKind::Dark, QRect(1, 1, 1, 1), 0);
    list.AddRegion(RegionKind::Black, QRect(2, 2, 1, 1), 0);
    EXPECT_EQ(kinds(list), (std::vector{RegionKind::Black, RegionKind::Light}))
        << "Black after Dark replaces it, new non-Colour regions go to the front";
    list.AddRegion(RegionKind::Black, QRect(3, 3, 1, 1), 0);
    EXPECT_EQ(list.Count(), 2) << "a second Black replaces the first";
    EXPECT_EQ(list.FindFirst(RegionKind::Black)->Rect, QRect(3, 3, 1, 1));

    list.AddRegion(RegionKind::Colour, QRect(0, 0, 1, 1), 0x0000ff);
    list.AddRegion(RegionKind::Colour, QRect(1, 0, 1, 1), 0x00ff00);
    list.AddRegion(RegionKind::Colour, QRect(2, 0, 1, 1), 0xff0000);
    EXPECT_EQ(list.Count(), 5) << "any number of Colour regions, appended";
    EXPECT_EQ(list[4]->RegionColour, 0xff0000u);
    EXPECT_EQ(list.Label(list[2]), "1");
    EXPECT_EQ(list.Label(list[4]), "3");
    EXPECT_EQ(list.Label(list[0]), "B");
    EXPECT_EQ(list.ActiveRegion(), list[4]) << "the newest region is Active";

    std::vector<QRect> removed;
    list.AddRegion(RegionKind::Grey, QRect(9, 9, 1, 1), 0, &removed);
    EXPECT_EQ(kinds(list), (std::vector{RegionKind::Grey, RegionKind::Black, RegionKind::Light}))
        << "Grey removes every Colour region";
    EXPECT_EQ(removed.size(), 3u);
    EXPECT_EQ(list[0]->RegionColour, 0u);
    list.AddRegion(RegionKind::Colour, QRect(0, 0, 1, 1), 7);
    EXPECT_EQ(list.FindFirst(RegionKind::Grey), nullptr) << "and Colour removes Grey";
}

TEST(RefRegionList, DeletingTheActiveRegionRenumbersAndMovesActive) {
    TRefRegionList list;
    list.AddRegion(RegionKind::White, QRect(0, 0, 1, 1), 0);
    TRefRegion* first = list.AddRegion(RegionKind::Colour, QRect(1, 0, 1, 1), 1);
    TRefRegion* second = list.AddRegion(RegionKind::Colour, QRect(2, 0, 1, 1), 2);
    TRefRegion* third = list.AddRegion(RegionKind::Colour, QRect(3, 0, 1, 1), 3);
    list.SetActive(first);
    list.DeleteActive();
    EXPECT_EQ(list.Label(second), "1");
    EXPECT_EQ(list.Label(third), "2");
    EXPECT_EQ(list.ActiveRegion(), list[0]) << "the region before it becomes Active";
    list.DeleteActive();
    EXPECT_EQ(list.ActiveRegion(), second) << "the first one when none is before";
    list.Clear();
    list.DeleteActive();
    EXPECT_EQ(list.Count(), 0);
}

TEST(MyList, StreamsRoundTripAndDamagedStreamsLeaveNothing) {
    TRefRegionList regions;
    regions.AddRegion(RegionKind::Dark, QRect(-3, 4, 10, 20), 0);
    regions.AddRegion(RegionKind::Colour, QRect(1, 2, 3, 4), 0x123456);
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    ASSERT_TRUE(regions.SaveToStream(buffer));
    EXPECT_EQ(buffer.size(), 4 + 2 * 32) << "a count and two 32-byte regions";
    buffer.seek(0);
    TRefRegionList back;
    ASSERT_TRUE(back.LoadFromStream(buffer));
    ASSERT_EQ(back.Count(), 2);
    EXPECT_EQ(back[0]->Rect, QRect(-3, 4, 10, 20));
    EXPECT_EQ(back[1]->RegionColour, 0x123456u);
    EXPECT_TRUE(back[1]->Active);

    QBuffer cut;
    cut.setData(buffer.data().left(40));
    cut.open(QIODevice::ReadOnly);
    EXPECT_FALSE(back.LoadFromStream(cut));
    EXPECT_EQ(back.Count(), 0) << "a failed load leaves the list empty";

    QByteArray huge("\xff\xff\xff\x7f", 4); // two billion areas announced, none there
    QBuffer hostile(&huge);
    hostile.open(QIODevice::ReadOnly);
    THatchAreaList areas;
    EXPECT_FALSE(areas.LoadFromStream(hostile));

    areas.AddPolygon(1, {QPoint(0, 0), QPoint(5, 0), QPoint(0, 5)});
    areas.DeleteItem(7);
    areas.DeleteItem(-1);
    EXPECT_EQ(areas.Count(), 1) << "indexes outside the list are ignored";
    QTemporaryDir dir;
    const QString file = dir.filePath("areas.bin");
    ASSERT_TRUE(areas.SaveToFile(file));
    THatchAreaList reread;
    ASSERT_TRUE(reread.LoadFromFile(file));
    EXPECT_EQ(reread[0]->Points, areas[0]->Points);
    EXPECT_FALSE(areas.SaveToFile(dir.filePath("no/such/folder/areas.bin")));
    EXPECT_TRUE(QFile::exists(file));
}

TEST(HatchAreaList, RectanglesAreFourCornersAndShortPolygonsAreDropped) {
    THatchAreaList areas;
    areas.AddRectangle(0, QRect(2, 3, 4, 5));
    EXPECT_EQ(areas[0]->Points,
              (std::vector{QPoint(2, 3), QPoint(6, 3), QPoint(6, 8), QPoint(2, 8)}));
    EXPECT_FALSE(areas.AddPolygon(1, {QPoint(0, 0), QPoint(4, 4)}));
    EXPECT_EQ(areas.Count(), 1);
    EXPECT_FALSE(areas.HasOuter());
}

TEST(BuildHatchRegion, InnerOuterAndMixedAreas) {
    THatchAreaList none;
    EXPECT_EQ(BuildHatchRegion(none, 6, 4), nullptr) << "no areas: the whole picture";

    THatchAreaList inner;
    inner.AddRectangle(0, QRect(1, 1, 2, 2));
    platform::RegionHandle region = BuildHatchRegion(inner, 6, 4);
    EXPECT_EQ(mask(region, 6, 4), "######\n"
                                  "#..###\n"
                                  "#..###\n"
                                  "######\n")
        << "an inner area is left out of the picture";
    platform::deleteRegion(region);

    THatchAreaList outer;
    outer.AddRectangle(1, QRect(2, 0, 3, 2));
    region = BuildHatchRegion(outer, 6, 4);
    EXPECT_EQ(mask(region, 6, 4), "..###.\n"
                                  "..###.\n"
                                  "......\n"
                                  "......\n")
        << "with an outer area only its inside is processed";
    platform::deleteRegion(region);

    THatchAreaList mixed;
    mixed.AddRectangle(1, QRect(0, 0, 6, 4));
    mixed.AddRectangle(0, QRect(0, 1, 6, 2));
    mixed.AddPolygon(1, {QPoint(0, 0), QPoint(4, 4), QPoint(0, 4)}); // a triangle, winding
    region = BuildHatchRegion(mixed, 6, 4);
    EXPECT_EQ(mask(region, 6, 4), "######\n"
                                  "#.....\n"
                                  "##....\n"
                                  "######\n")
        << "in list order: all, less the middle band, plus the triangle";
    platform::deleteRegion(region);
}
