// Reference rectangles as huemark-batch reads them, in pixels and in percent, and the area
// lists of correct.
#include "area_list.h"
#include "image_file_calls.h"
#include "reference_rectangle.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

ReferenceRectangle parsed(const std::string& text) {
    const std::optional<ReferenceRectangle> rectangle = parseRectangle("--neutral", text);
    EXPECT_TRUE(rectangle.has_value()) << text;
    return rectangle.value_or(ReferenceRectangle{});
}

} // namespace

TEST(ReferenceRectangle, ReadsPixelsAndPercentagesAndRefusesAnythingElse) {
    EXPECT_EQ(inPixels(parsed("10,20,30,40"), 600, 400), (PixelRectangle{10, 20, 30, 40}));
    EXPECT_EQ(inPixels(parsed("50%,10%,60%,20%"), 600, 400), (PixelRectangle{300, 40, 360, 80}));
    EXPECT_EQ(inPixels(parsed("12.5%,0%,100%,100%"), 600, 400), (PixelRectangle{75, 0, 600, 400}));
    EXPECT_EQ(inPixels(parsed("10,10%,20,20%"), 600, 400), (PixelRectangle{10, 40, 20, 80}));
    // A percentage is the nearest pixel edge: 0.1 % of 600 is 0.6.
    EXPECT_EQ(inPixels(parsed("0.1%,0%,1%,1%"), 600, 400), (PixelRectangle{1, 0, 6, 4}));

    for (const char* bad : {"", "1,2,3", "1,2,3,4,5", "1,2,3,x", "1.5,2,3,4", "1,2,3,4 ", "1,,3,4",
                            "%,1,2,3", "1,2,3,4%%", "nan%,1,2,3", "1,2,3,+4"}) {
        EXPECT_FALSE(parseRectangle("--white", bad).has_value()) << bad;
    }
}

TEST(ReferenceRectangle, NamesTheOptionAndThePictureSizeWhenItDoesNotFit) {
    EXPECT_EQ(rectangleProblem(parsed("0,0,600,400"), 600, 400), "");
    EXPECT_EQ(rectangleProblem(parsed("5000,5000,5100,5100"), 600, 400),
              "--neutral: the rectangle 5000,5000,5100,5100 does not lie inside the picture, "
              "which is 600 x 400 pixels (left and right 0 to 600, top and bottom 0 to 400)");
    EXPECT_EQ(rectangleProblem(parsed("100,100,50,50"), 600, 400),
              "--neutral: the rectangle 100,100,50,50 is empty: right must be greater than left "
              "and bottom greater than top (the picture is 600 x 400 pixels)");
    EXPECT_EQ(rectangleProblem(parsed("0,0,0,0"), 600, 400),
              "--neutral: the rectangle 0,0,0,0 is empty: right must be greater than left and "
              "bottom greater than top (the picture is 600 x 400 pixels)");
    EXPECT_EQ(rectangleProblem(parsed("90%,10%,101%,20%"), 600, 400),
              "--neutral: the rectangle 90%,10%,101%,20% (540,40,606,80 in pixels) does not lie "
              "inside the picture, which is 600 x 400 pixels (left and right 0 to 600, top and "
              "bottom 0 to 400)");
    // Less than a pixel wide on this picture.
    EXPECT_NE(rectangleProblem(parsed("10%,10%,10.05%,20%"), 600, 400).find("is empty"),
              std::string::npos);
    EXPECT_NE(rectangleProblem(parsed("-1,0,10,10"), 600, 400).find("does not lie inside"),
              std::string::npos);
    EXPECT_NE(rectangleProblem(parsed("0,0,601,10"), 600, 400).find("does not lie inside"),
              std::string::npos);
}

TEST(ReferenceRectangle, RefusesBeforeReadingAnyPictureOnlyWhatFitsNoPicture) {
    EXPECT_EQ(rectangleProblemOnAnyPicture(parsed("5000,5000,5100,5100")), "");
    EXPECT_EQ(rectangleProblemOnAnyPicture(parsed("10,10%,5%,20%")), "");
    EXPECT_NE(rectangleProblemOnAnyPicture(parsed("100,100,50,50")).find("is empty"),
              std::string::npos);
    EXPECT_NE(rectangleProblemOnAnyPicture(parsed("10%,0,10%,5")).find("is empty"),
              std::string::npos);
    EXPECT_NE(rectangleProblemOnAnyPicture(parsed("0%,0%,100.5%,50%")).find("any picture"),
              std::string::npos);
    EXPECT_NE(rectangleProblemOnAnyPicture(parsed("-5,0,10,10")).find("any picture"),
              std::string::npos);
}

TEST(AreaList, ReadsARectangleAndAPictureALineAndNamesTheLineItCannotRead) {
    ScratchFolder folder;
    const std::string list = folder.file("areas.txt");
    std::ofstream(list) << "# rectangle  picture\n"
                           "\n"
                           "10%,12%,18%,20%\tshots/first shot.jpg\r\n"
                           "  1210,640,1400,820   shots/IMG_0002.jpg  \n";
    std::string problem;
    const auto pictures = readAreaList(list, problem);
    ASSERT_TRUE(pictures.has_value()) << problem;
    ASSERT_EQ(pictures->size(), 2u);
    EXPECT_EQ((*pictures)[0].picture, "shots/first shot.jpg");
    EXPECT_EQ((*pictures)[0].rectangle.text, "10%,12%,18%,20%");
    EXPECT_EQ((*pictures)[0].rectangle.source, list + " line 3");
    EXPECT_EQ(inPixels((*pictures)[0].rectangle, 1000, 1000), (PixelRectangle{100, 120, 180, 200}));
    EXPECT_EQ((*pictures)[1].picture, "shots/IMG_0002.jpg");
    EXPECT_EQ(inPixels((*pictures)[1].rectangle, 1, 1), (PixelRectangle{1210, 640, 1400, 820}));

    std::ofstream(list) << "1,2,3,4 a.jpg\n1,2,3 b.jpg\n";
    EXPECT_FALSE(readAreaList(list, problem).has_value());
    EXPECT_EQ(problem, list + " line 2: expected a rectangle LEFT,TOP,RIGHT,BOTTOM (in pixels or "
                              "percent), then the picture");
    std::ofstream(list) << "1,2,3,4\n";
    EXPECT_FALSE(readAreaList(list, problem).has_value());
    EXPECT_EQ(problem, list + " line 1: expected a rectangle LEFT,TOP,RIGHT,BOTTOM (in pixels or "
                              "percent), then the picture");
    std::ofstream(list) << "# nothing\n";
    EXPECT_FALSE(readAreaList(list, problem).has_value());
    EXPECT_EQ(problem, list + ": the list names no picture");
    EXPECT_FALSE(readAreaList(folder.file("missing.txt"), problem).has_value());
    EXPECT_EQ(problem, folder.file("missing.txt") + ": the list cannot be read");
}
