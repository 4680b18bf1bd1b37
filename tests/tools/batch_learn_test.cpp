// huemark-batch learn as a photographer uses it: a processing file from a grey card or white
// paper in a picture with a known cast, measured against the picture without it; and the
// refusals of rectangles, clipped areas and processings that would change nothing.
#include "batch_run.h"
#include "cast_pictures.h"
#include "image_file_calls.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <random>

namespace {

using namespace cast_pictures;

std::string samplePicture(const std::string& name) {
    return std::string(HUEMARK_DATA_DIR) + "/Images/" + name;
}

// The still life without a cast: a grey card of 128,128,128 and a sheet of paper of
// 245,245,242.
Picture stillLife() {
    return importPicture(samplePicture("still-life-small.bmp"));
}

// The still life with sensor noise: each channel moved by the sum of two steps of -3 to 3.
Picture withSensorNoise(Picture picture) {
    std::mt19937 steps(25);
    for (std::uint8_t& value : picture.bgr) {
        const int noise = static_cast<int>(steps() % 7) + static_cast<int>(steps() % 7) - 6;
        value = static_cast<std::uint8_t>(std::clamp(value + noise, 0, 255));
    }
    return picture;
}

// A picture as the photographer has it, and how its cast copy is stored.
struct Shot {
    const char* name;
    Picture truth;
    std::uint32_t castFormatBits; // JPEG quality for a .jpg, 0 for a .png
    // Whether the patch's mean colour is the card's: not in the picture with impulse noise, a
    // channel of one pixel in 13 set to 0 or 255, where the engine's area average keeps the
    // impulses that share the card's channel order.
    bool cardMeanIsNeutral;
};

std::vector<Shot> shots() {
    return {
        {"still-life-small.bmp", stillLife(), 0, true},
        {"still-life-small.bmp with sensor noise, as a JPEG of 90 %", withSensorNoise(stillLife()),
         9u << IP_JPEG_QUALITY_SHIFT, true},
        {"still-life-colour-noise.png", importPicture(samplePicture("still-life-colour-noise.png")),
         0, false},
    };
}

const Patch patches[] = {{"grey card", 450, 180, 520, 270}, {"white paper", 60, 290, 180, 360}};

// learn --neutral on the patch of `picture`, then apply: the result.
Picture learnedAndApplied(const ScratchFolder& folder, const std::string& picture,
                          const Patch& patch) {
    const std::string preset = folder.file("neutral.prs");
    const CommandRun learn =
        runBatch("learn " + picture + " --neutral " + patch.rectangle() + " -o " + preset);
    EXPECT_EQ(learn.status, 0) << learn.output;
    const CommandRun apply = runBatch("apply " + preset + " " + picture + " --out " +
                                      folder.file("out") + " --format png");
    EXPECT_EQ(apply.status, 0) << apply.output;
    return importPicture(
        folder.file("out/" + std::filesystem::path(picture).stem().string() + ".png"));
}

// A picture of 64 x 40 in one colour with a patch of another at 8,8,24,24.
Picture patchPicture(std::array<std::uint8_t, 3> backgroundBgr,
                     std::array<std::uint8_t, 3> patchBgr) {
    Picture p = patternPicture(64, 40);
    for (int y = 0; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x) {
            const bool inPatch = x >= 8 && x < 24 && y >= 8 && y < 24;
            std::copy_n((inPatch ? patchBgr : backgroundBgr).data(), 3, p.at(x, y));
        }
    }
    return p;
}

class LearnChecks : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(exportPicture(withCast(stillLife(), casts[0]), picture()), IP_OK);
    }
    std::string picture() const { return folder_.file("warm.png"); }
    std::string preset() const { return folder_.file("learned.prs"); }
    CommandRun learn(const std::string& options) const {
        return runBatch("learn " + picture() + " " + options + " -o " + preset());
    }
    bool written() const { return std::filesystem::exists(preset()); }

    ScratchFolder folder_;
};

} // namespace

TEST(LearnNeutral, BringsEveryCastPictureCloserToTheTruthAndItsPatchToNeutral) {
    for (const Shot& shot : shots()) {
        ASSERT_EQ(shot.truth.width, 600) << shot.name;
        const std::vector<colour_difference::Lab> truthLabs = labsOf(shot.truth);
        for (const Cast& cast : casts) {
            ScratchFolder folder;
            const std::string castFile =
                folder.file(shot.castFormatBits != 0 ? "cast.jpg" : "cast.png");
            ASSERT_EQ(exportPicture(withCast(shot.truth, cast), castFile, shot.castFormatBits),
                      IP_OK);
            const double before = meanCiede2000(truthLabs, importPicture(castFile));
            for (const Patch& patch : patches) {
                const Picture corrected = learnedAndApplied(folder, castFile, patch);
                const double after = meanCiede2000(truthLabs, corrected);
                const double patchChroma = colour_difference::chroma(patchLab(corrected, patch));
                std::printf("%s, %s cast, by the %s: mean CIEDE2000 %.2f before, %.2f after; "
                            "patch C* %.2f\n",
                            shot.name, cast.name, patch.name, before, after, patchChroma);
                EXPECT_LT(after, before) << shot.name << ", " << cast.name << ", " << patch.name;
                if (shot.cardMeanIsNeutral) {
                    EXPECT_LT(patchChroma, 1.0)
                        << shot.name << ", " << cast.name << ", " << patch.name;
                }
            }
        }
    }
}

TEST(LearnNeutral, ScalesEachChannelThroughBlackAndKeepsTheBrightestChannel) {
    ScratchFolder folder;
    const std::string warm = folder.file("warm.png");
    ASSERT_EQ(exportPicture(withCast(stillLife(), casts[0]), warm), IP_OK);
    // The grey card 128,128,128 under the warm cast is 128,113,90: green is scaled by 128 / 113,
    // blue by 128 / 90, and what goes beyond 255 stays there.
    const CommandRun dryRun = runBatch("learn " + warm + " --neutral 450,180,520,270 --dry-run");
    EXPECT_EQ(dryRun.status, 0) << dryRun.output;
    EXPECT_EQ(dryRun.output, warm + ": 600 x 400 pixels\n"
                                    "--neutral 450,180,520,270: area average 128,113,90 (R,G,B) "
                                    "becomes 128,128,128\n"
                                    "curves (a grey level in, each channel out):\n"
                                    "      in    0   64  128  192  255\n"
                                    "     red    0   64  128  192  255\n"
                                    "   green    0   72  145  217  255\n"
                                    "    blue    0   91  182  255  255\n"
                                    "--dry-run: nothing was written\n");
    EXPECT_EQ(folder.entries(), 1u) << "the dry run writes nothing";
}

TEST(LearnGrey, KeepBrightnessMakesTheGreyNeutralAtItsOwnLightness) {
    ScratchFolder folder;
    const Picture truth = stillLife();
    const Patch card = patches[0];
    for (const Cast& cast : casts) {
        const std::string castFile = folder.file("cast.png");
        const Picture castPicture = withCast(truth, cast);
        ASSERT_EQ(exportPicture(castPicture, castFile), IP_OK);
        const double castLightness = patchLab(castPicture, card).L;
        for (const bool keep : {false, true}) {
            const std::string options =
                "--grey " + card.rectangle() + (keep ? " --keep-brightness" : "");
            const CommandRun learn =
                runBatch("learn " + castFile + " " + options + " -o " + folder.file("grey.prs"));
            ASSERT_EQ(learn.status, 0) << learn.output;
            ASSERT_EQ(runBatch("apply " + folder.file("grey.prs") + " " + castFile + " --out " +
                               folder.file("out"))
                          .status,
                      0);
            const colour_difference::Lab result =
                patchLab(importPicture(folder.file("out/cast.png")), card);
            EXPECT_LT(colour_difference::chroma(result), 1.0) << cast.name << " " << options;
            if (keep) {
                EXPECT_LT(std::abs(result.L - castLightness), 0.5) << cast.name;
            } else {
                EXPECT_GT(result.L - castLightness, 2.0)
                    << cast.name << ": the brightest channel is brighter than the grey";
            }
        }
    }
}

TEST(LearnWhite, MeasuresTheAreaAverageUnlessToldOtherwiseAndTakesTheLevels) {
    ScratchFolder folder;
    // Paper of 200,190,180 with one stray pixel of 250,200,230 in it.
    Picture paper = patchPicture({100, 100, 100}, {180, 190, 200});
    std::copy_n(std::array<std::uint8_t, 3>{230, 200, 250}.data(), 3, paper.at(12, 12));
    const std::string file = folder.file("paper.png");
    ASSERT_EQ(exportPicture(paper, file), IP_OK);
    const auto dryRun = [&](const std::string& options) {
        const CommandRun run = runBatch("learn " + file + " " + options + " --dry-run");
        EXPECT_EQ(run.status, 0) << run.output;
        return run.output;
    };
    EXPECT_TRUE(
        mentions(dryRun("--white 8,8,24,24"),
                 "--white 8,8,24,24: area average 200,190,180 (R,G,B) becomes 255,255,255"));
    EXPECT_TRUE(mentions(dryRun("--white 8,8,24,24 --white-level 240"),
                         "area average 200,190,180 (R,G,B) becomes 240,240,240"));
    EXPECT_TRUE(
        mentions(dryRun("--white 8,8,24,24 --measure lightest"),
                 "--white 8,8,24,24: lightest pixel 250,200,230 (R,G,B) becomes 255,255,255"));
    EXPECT_TRUE(mentions(dryRun("--white 8,8,24,24 --measure darkest-unclipped"),
                         "darkest unclipped pixel 200,190,180 (R,G,B)"));
    EXPECT_TRUE(mentions(dryRun("--black 8,8,24,24 --black-level 20"),
                         "--black 8,8,24,24: area average 200,190,180 (R,G,B) becomes 20,20,20"));
    EXPECT_TRUE(mentions(dryRun("--black 8,8,24,24 --measure lightest"),
                         "--black 8,8,24,24: darkest pixel 200,190,180 (R,G,B)"));
}

TEST_F(LearnChecks, RefusesRectanglesThatAreNotInsideThePictureNamingOptionAndSize) {
    const std::pair<const char*, const char*> bad[] = {
        {"--white 5000,5000,5100,5100", "--white: the rectangle 5000,5000,5100,5100 does not lie "
                                        "inside the picture, which is 600 x 400 pixels"},
        {"--grey 100,100,50,50", "--grey: the rectangle 100,100,50,50 is empty: right must be "
                                 "greater than left and bottom greater than top (the picture is "
                                 "600 x 400 pixels)"},
        {"--black 0,0,0,0", "--black: the rectangle 0,0,0,0 is empty"},
        {"--neutral 95%,10%,105%,20%", "--neutral: the rectangle 95%,10%,105%,20% (570,40,630,80 "
                                       "in pixels) does not lie inside the picture, which is 600 "
                                       "x 400 pixels"},
        {"--white 0,0,601,10 --gamma 1.2", "--white: the rectangle 0,0,601,10 does not lie inside"},
    };
    for (const auto& [options, message] : bad) {
        const CommandRun run = learn(options);
        EXPECT_EQ(run.status, 2) << options;
        EXPECT_TRUE(mentions(run.output, message)) << run.output;
        EXPECT_FALSE(written()) << options;
    }
    const CommandRun nothing = learn("--gamma 1.2");
    EXPECT_EQ(nothing.status, 2);
    EXPECT_TRUE(mentions(nothing.output, "learn needs a reference area (--neutral, --white, "
                                         "--black or --grey) or --auto"))
        << nothing.output;
    EXPECT_FALSE(written());
}

TEST_F(LearnChecks, WarnsOfClippedAreasAndWritesOnlyWithForce) {
    // Paper whose red channel is clipped in a quarter of its pixels.
    Picture paper = patchPicture({60, 60, 60}, {200, 230, 250});
    for (int y = 8; y < 12; ++y) {
        for (int x = 8; x < 24; ++x) {
            paper.at(x, y)[2] = 255;
        }
    }
    ASSERT_EQ(exportPicture(paper, picture()), IP_OK);
    const CommandRun clipped = learn("--neutral 8,8,24,24");
    EXPECT_EQ(clipped.status, 1);
    EXPECT_TRUE(mentions(clipped.output, "--neutral 8,8,24,24: the red channel of 25.0 % of the "
                                         "area's pixels is at 255 (clipped)"))
        << clipped.output;
    EXPECT_TRUE(mentions(clipped.output, "nothing was written")) << clipped.output;
    EXPECT_FALSE(written());

    // One pixel at 255 in 256 is not clipping.
    Picture speck = patchPicture({60, 60, 60}, {200, 230, 250});
    speck.at(10, 10)[2] = 255;
    ASSERT_EQ(exportPicture(speck, picture()), IP_OK);
    EXPECT_EQ(learn("--neutral 8,8,24,24").status, 0);
    EXPECT_TRUE(written());
    std::filesystem::remove(preset());

    ASSERT_EQ(exportPicture(paper, picture()), IP_OK);
    const CommandRun forced = learn("--neutral 8,8,24,24 --force");
    EXPECT_EQ(forced.status, 0) << forced.output;
    EXPECT_TRUE(mentions(forced.output, "warning: --neutral 8,8,24,24")) << forced.output;
    EXPECT_TRUE(written());
    std::filesystem::remove(preset());

    const CommandRun lightest = learn("--white 8,8,24,24 --measure lightest");
    EXPECT_EQ(lightest.status, 1);
    EXPECT_TRUE(mentions(lightest.output, "--white 8,8,24,24: the measured pixel 255,230,200 has a "
                                          "channel at 0 or 255 (clipped)"))
        << lightest.output;
    EXPECT_FALSE(written());
}

TEST_F(LearnChecks, RefusesProcessingsThatChangeNoPixelUnlessForced) {
    // A grey card that is neutral already, and a bright grey whose red channel is clipped: the
    // grey curve cannot bend where the grey meets the white point, and nothing changes.
    ASSERT_EQ(exportPicture(patchPicture({60, 90, 120}, {128, 128, 128}), picture()), IP_OK);
    const CommandRun neutral = learn("--neutral 8,8,24,24");
    EXPECT_EQ(neutral.status, 1);
    EXPECT_TRUE(
        mentions(neutral.output, "warning: the processing changes no pixel of " + picture()))
        << neutral.output;
    EXPECT_FALSE(written());

    ASSERT_EQ(exportPicture(patchPicture({60, 90, 120}, {230, 240, 255}), picture()), IP_OK);
    const CommandRun grey = learn("--grey 8,8,24,24");
    EXPECT_EQ(grey.status, 1);
    EXPECT_TRUE(mentions(grey.output, "changes no pixel")) << grey.output;
    EXPECT_TRUE(mentions(grey.output, "(clipped)")) << grey.output;
    EXPECT_FALSE(written());

    const CommandRun forced = learn("--grey 8,8,24,24 --force");
    EXPECT_EQ(forced.status, 0) << forced.output;
    EXPECT_TRUE(written());
}

TEST_F(LearnChecks, DryRunReportsTheSameWarningsAndStatusButWritesNothing) {
    ASSERT_EQ(exportPicture(patchPicture({60, 90, 120}, {128, 128, 128}), picture()), IP_OK);
    const CommandRun run = learn("--neutral 8,8,24,24 --dry-run");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(mentions(run.output, "area average 128,128,128 (R,G,B) becomes 128,128,128"))
        << run.output;
    EXPECT_TRUE(mentions(run.output, "changes no pixel")) << run.output;
    EXPECT_TRUE(mentions(run.output, "--dry-run: nothing was written")) << run.output;
    EXPECT_FALSE(written());
    EXPECT_EQ(folder_.entries(), 1u);
}
