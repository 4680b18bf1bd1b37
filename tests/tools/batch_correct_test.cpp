// huemark-batch correct: a series in which the grey card moves, each picture made neutral by
// its own rectangle, as learn --neutral and apply would make it.
#include "batch_run.h"
#include "cast_pictures.h"
#include "image_file_calls.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

using namespace cast_pictures;

// The still life with the grey card at the right, and mirrored, with the card at the left.
Picture stillLife() {
    return importPicture(std::string(HUEMARK_DATA_DIR) + "/Images/still-life-small.bmp");
}

Picture mirrored(Picture picture) {
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width / 2; ++x) {
            std::swap_ranges(picture.at(x, y), picture.at(x, y) + 3,
                             picture.at(picture.width - 1 - x, y));
        }
    }
    return picture;
}

const Patch cardAtTheRight{"card at the right", 450, 180, 520, 270};
const Patch cardAtTheLeft{"card at the left", 80, 180, 150, 270};

class Correct : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(exportPicture(withCast(stillLife(), casts[0]), right()), IP_OK);
        ASSERT_EQ(exportPicture(withCast(mirrored(stillLife()), casts[1]), left()), IP_OK);
    }
    std::string right() const { return folder_.file("right.png"); }
    std::string left() const { return folder_.file("left.png"); }
    std::string list(const std::string& lines) const {
        const std::string name = folder_.file("areas.txt");
        std::ofstream(name) << lines;
        return name;
    }
    // What learn --neutral and apply make of `picture`.
    Picture learnedAndApplied(const std::string& picture, const std::string& rectangle) const {
        const std::string preset = folder_.file("card.prs");
        EXPECT_EQ(runBatch("learn " + picture + " --neutral " + rectangle + " -o " + preset).status,
                  0);
        EXPECT_EQ(runBatch("apply " + preset + " " + picture + " --out " + folder_.file("applied"))
                      .status,
                  0);
        return importPicture(
            folder_.file("applied/" + std::filesystem::path(picture).filename().string()));
    }

    ScratchFolder folder_;
};

} // namespace

TEST_F(Correct, MakesEachPictureNeutralByItsOwnRectangleInPercent) {
    // 450,180,520,270 and 80,180,150,270 on 600 x 400.
    const std::string areas = list("# the card moves\n"
                                   "75%,45%,86.67%,67.5% " +
                                   right() +
                                   "\n"
                                   "13.33%,45%,25%,67.5%\t" +
                                   left() + "\n");
    const CommandRun run =
        runBatch("correct --areas " + areas + " --out " + folder_.file("out") + " --jobs 2");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(mentions(run.output, "2 pictures: 2 corrected, 0 failed")) << run.output;

    const Picture fromRight = importPicture(folder_.file("out/right.png"));
    const Picture fromLeft = importPicture(folder_.file("out/left.png"));
    EXPECT_LT(colour_difference::chroma(patchLab(fromRight, cardAtTheRight)), 1.0);
    EXPECT_LT(colour_difference::chroma(patchLab(fromLeft, cardAtTheLeft)), 1.0);
    EXPECT_LT(meanCiede2000(labsOf(stillLife()), fromRight), 1.0);
    EXPECT_LT(meanCiede2000(labsOf(mirrored(stillLife())), fromLeft), 1.0);
    EXPECT_EQ(fromRight, learnedAndApplied(right(), "450,180,520,270"));
    EXPECT_EQ(fromLeft, learnedAndApplied(left(), "80,180,150,270"));
}

TEST_F(Correct, OneRectangleForEveryPictureAndTheApplyOutputOptions) {
    const CommandRun run = runBatch("correct --neutral 75%,45%,86.67%,67.5% " + right() + " " +
                                    left() + " --out " + folder_.file("out") + " --format bmp");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(importPicture(folder_.file("out/right.bmp")),
              learnedAndApplied(right(), "450,180,520,270"));
    EXPECT_TRUE(std::filesystem::exists(folder_.file("out/left.bmp")));
}

TEST_F(Correct, FailsThePicturesWhoseRectangleDoesNotFitAndRefusesOnesThatFitNone) {
    const CommandRun outside =
        runBatch("correct --areas " +
                 list("450,180,520,270 " + right() + "\n450,180,620,270 " + left() + "\n") +
                 " --out " + folder_.file("out"));
    EXPECT_EQ(outside.status, 1);
    EXPECT_TRUE(mentions(outside.output,
                         left() + ": " + folder_.file("areas.txt") +
                             " line 2: the rectangle 450,180,620,270 does not lie inside the "
                             "picture, which is 600 x 400 pixels"))
        << outside.output;
    EXPECT_TRUE(mentions(outside.output, "2 pictures: 1 corrected, 1 failed")) << outside.output;
    EXPECT_EQ(namesIn(folder_.file("out")), std::set<std::string>{"right.png"});

    for (const char* rectangle : {"100,100,50,50", "0,0,0,0", "10%,10%,120%,20%"}) {
        const CommandRun refused = runBatch("correct --neutral " + std::string(rectangle) + " " +
                                            right() + " --out " + folder_.file("refused"));
        EXPECT_EQ(refused.status, 2) << rectangle;
        EXPECT_TRUE(mentions(refused.output, "--neutral: the rectangle " + std::string(rectangle)))
            << refused.output;
        EXPECT_FALSE(std::filesystem::exists(folder_.file("refused"))) << rectangle;
    }
    const CommandRun badList = runBatch("correct --areas " + list("450,180,520 " + right() + "\n") +
                                        " --out " + folder_.file("refused"));
    EXPECT_EQ(badList.status, 2);
    EXPECT_TRUE(mentions(badList.output, "areas.txt line 1: expected a rectangle"))
        << badList.output;
}

TEST_F(Correct, LeavesPicturesWithAClippedCardUnwrittenUnlessForced) {
    Picture clipped = stillLife();
    for (int y = cardAtTheRight.top; y < cardAtTheRight.bottom; ++y) {
        for (int x = cardAtTheRight.left; x < cardAtTheRight.right; ++x) {
            clipped.at(x, y)[0] = 255;
        }
    }
    ASSERT_EQ(exportPicture(clipped, right()), IP_OK);
    const std::string command =
        "correct --neutral 450,180,520,270 " + right() + " --out " + folder_.file("out");
    const CommandRun refused = runBatch(command);
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(mentions(refused.output, "the blue channel of 100.0 % of the area's pixels is at "
                                         "255 (clipped)"))
        << refused.output;
    EXPECT_FALSE(std::filesystem::exists(folder_.file("out/right.png")));
    EXPECT_EQ(runBatch(command + " --force").status, 0);
    EXPECT_TRUE(std::filesystem::exists(folder_.file("out/right.png")));
}
