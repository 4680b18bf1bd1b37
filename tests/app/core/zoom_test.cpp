#include "zoom.h"

#include <gtest/gtest.h>

#include <vector>

TEST(Zoom, ClampingAndTheWalkThroughAllScales) {
    EXPECT_EQ(zoom::clamp(0), 1);
    EXPECT_EQ(zoom::clamp(-1), 1);
    EXPECT_EQ(zoom::clamp(20), 16);
    EXPECT_EQ(zoom::clamp(-20), -16);
    EXPECT_EQ(zoom::stepOut(1), -2) << "1:1 goes to 1:2, not to 1:1 again";
    EXPECT_EQ(zoom::stepIn(-2), 1);

    std::vector<int> walk{-16};
    while (walk.back() != 16) {
        walk.push_back(zoom::stepIn(walk.back()));
    }
    EXPECT_EQ(walk.size(), 31u) << "31 scales from 1:16 to 16:1";
    EXPECT_EQ(zoom::stepIn(16), 16);
    std::vector<int> back{16};
    while (back.back() != -16) {
        back.push_back(zoom::stepOut(back.back()));
    }
    EXPECT_EQ(std::vector<int>(back.rbegin(), back.rend()), walk);
    EXPECT_EQ(zoom::stepOut(-16), -16);
}

TEST(Zoom, DisplaySizeAndCaption) {
    EXPECT_EQ(zoom::displaySize({1001, 601}, -2), QSize(500, 300));
    EXPECT_EQ(zoom::displaySize({1001, 601}, 3), QSize(3003, 1803));
    EXPECT_EQ(zoom::captionSuffix(2), " (2:1)");
    EXPECT_EQ(zoom::captionSuffix(-3), " (1:3)");
    EXPECT_EQ(zoom::captionSuffix(1), " (1:1)");
}

TEST(Zoom, CoordinateMapsAtSeveralZooms) {
    const QPoint scroll(30, 12);
    EXPECT_EQ(zoom::clientToImage(QPoint(10, 8), scroll, 1), QPoint(40, 20));
    EXPECT_EQ(zoom::clientToImage(QPoint(10, 8), scroll, 4), QPoint(10, 5));
    EXPECT_EQ(zoom::clientToImage(QPoint(10, 8), scroll, -3), QPoint(120, 60));
    EXPECT_EQ(zoom::imageToClient(QPoint(10, 5), scroll, 4), QPoint(10, 8));
    EXPECT_EQ(zoom::imageToClient(QPoint(120, 60), scroll, -3), QPoint(10, 8));
    for (const int z : {1, 2, 5, 16}) {
        for (const QPoint image : {QPoint(0, 0), QPoint(7, 3), QPoint(100, 250)}) {
            const QPoint client = zoom::imageToClient(image, scroll, z);
            EXPECT_EQ(zoom::clientToImage(client, scroll, z), image) << z;
            EXPECT_EQ(zoom::clientToImage(client + QPoint(z - 1, z - 1), scroll, z), image)
                << "every screen pixel of an image pixel maps back to it, zoom " << z;
        }
    }
    EXPECT_EQ(zoom::clientToImage(QPoint(-1, -1), QPoint(0, 0), 2), QPoint(-1, -1))
        << "left of the picture is never column 0";
    EXPECT_EQ(zoom::imageToClient(QRect(2, 3, 4, 5), QPoint(0, 0), 3), QRect(6, 9, 12, 15));
    EXPECT_EQ(zoom::clientToImage(QRect(6, 9, 12, 15), QPoint(0, 0), 3), QRect(2, 3, 4, 5));
}

TEST(Zoom, FittingThePictureIntoTheFrame) {
    const QSize border(8, 28);
    EXPECT_EQ(zoom::fitImageToFrame({400, 300}, border, {1000, 700}), 1) << "fits at 1:1";
    EXPECT_EQ(zoom::fitImageToFrame({1001, 601}, border, {509, 329}), -2)
        << "at 1:2 the 1001 x 601 picture counts as 501 x 301";
    EXPECT_EQ(zoom::fitImageToFrame({1001, 601}, border, {508, 329}), -3);
    EXPECT_EQ(zoom::fitImageToFrame({100000, 100000}, border, {800, 600}), -16)
        << "never below 1:16";
    EXPECT_EQ(zoom::fitImageToFrame({10, 10}, border, {4000, 4000}), 1) << "never magnifies";
}

TEST(Zoom, ZoomingIntoARectangle) {
    EXPECT_EQ(zoom::zoomForRect(QRect(0, 0, 100, 50), {400, 400}, 1), 4);
    EXPECT_EQ(zoom::zoomForRect(QRect(0, 0, 300, 300), {400, 400}, 1), 2)
        << "a factor of 1 still zooms one step";
    EXPECT_EQ(zoom::zoomForRect(QRect(0, 0, 100, 100), {400, 400}, -4), 4)
        << "16 image pixels per 100 fit: 16 div 4";
    EXPECT_EQ(zoom::zoomForRect(QRect(0, 0, 1600, 1600), {400, 400}, -8), -4)
        << "a smaller reduction: -8 div 2";
    EXPECT_EQ(zoom::zoomForRect(QRect(0, 0, 1000, 1000), {400, 400}, 1), 1)
        << "a rectangle larger than the window changes nothing";
    EXPECT_EQ(zoom::zoomForRect(QRect(0, 0, 10000, 10000), {400, 400}, -16), -16);
}
