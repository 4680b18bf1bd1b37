// huemark-batch run as a separate program, as a user runs it.
#include "image_file_calls.h"

#include "tintworks.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sys/wait.h>

namespace {

struct CommandRun {
    int status = -1;
    std::string output;
};

CommandRun runBatch(const std::string& arguments) {
    const std::string command = std::string(HUEMARK_BATCH) + " " + arguments + " 2>&1";
    CommandRun run;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        run.output += buffer;
    }
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// A series of pictures with a white card (left block) and a black patch (right block).
Picture shot(int seed) {
    Picture p = patternPicture(64, 40);
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 64; ++x) {
            std::uint8_t* px = p.at(x, y);
            px[0] = static_cast<std::uint8_t>(px[0] / 2 + 40 + seed);
        }
    }
    for (int y = 4; y < 12; ++y) {
        for (int x = 4; x < 12; ++x) {
            std::uint8_t* px = p.at(x, y);
            px[0] = 215;
            px[1] = 225;
            px[2] = 205;
        }
    }
    return p;
}

// The engine's own repeat of the processing file on the picture in a file.
Picture replayed(const std::string& preset, const std::string& file) {
    int32_t type = -1;
    EXPECT_EQ(TWKLoadLastProcessing(preset.c_str(), &type), TWK_OK);
    TImportExportParams read = importBlock(file);
    EXPECT_EQ(ipImportInd(&read), IP_OK);
    auto block = static_cast<platform::MemHandle>(read.Bitmap);
    const Picture before = pictureOf(block);
    auto* data = static_cast<std::uint8_t*>(platform::memLock(block));
    TRepeatParams repeat{sizeof(TRepeatParams),
                         {before.width, before.height, static_cast<int32_t>(stride24(before.width)),
                          TWK_ROWS_BOTTOM_UP, 3, data + 40},
                         data + 40,
                         nullptr};
    EXPECT_EQ(TWKDoRepeatedImageOperation(type, &repeat, nullptr), TWK_OK);
    platform::memUnlock(block);
    const Picture after = pictureOf(block);
    platform::memFree(block);
    return after;
}

} // namespace

TEST(Batch, LearnsFromTheFirstShotAndCorrectsTheSeriesLikeTheEngine) {
    ScratchFolder folder;
    std::string inputs;
    for (int i = 0; i < 5; ++i) {
        const std::string name = folder.file("shot" + std::to_string(i) + ".jpg");
        ASSERT_EQ(exportPicture(shot(i), name, 8u << IP_JPEG_QUALITY_SHIFT), IP_OK);
        inputs += " " + name;
    }
    const std::string preset = folder.file("card.prs");
    const CommandRun learn =
        runBatch("learn " + folder.file("shot0.jpg") + " --white 4,4,12,12 --auto -o " + preset);
    ASSERT_EQ(learn.status, 0) << learn.output;

    const CommandRun apply = runBatch("apply " + preset + inputs + " --out " + folder.file("out") +
                                      " --format bmp --jobs 2");
    ASSERT_EQ(apply.status, 0) << apply.output;
    EXPECT_NE(apply.output.find("5 pictures: 5 corrected, 0 failed"), std::string::npos)
        << apply.output;
    for (int i = 0; i < 5; ++i) {
        const Picture result = importPicture(folder.file("out/shot" + std::to_string(i) + ".bmp"));
        EXPECT_EQ(result, replayed(preset, folder.file("shot" + std::to_string(i) + ".jpg"))) << i;
        int brightest = 0;
        for (int y = 4; y < 12; ++y) {
            for (int x = 4; x < 12; ++x) {
                brightest = std::max<int>(brightest, result.at(x, y)[0]);
            }
        }
        if (i == 0) {
            EXPECT_EQ(brightest, 255) << "the card's lightest pixel became white";
        }
    }
}

TEST(Batch, ReportsBadPicturesAndPresetsAndNeverOverwritesInputs) {
    ScratchFolder folder;
    const std::string good = folder.file("good.png");
    ASSERT_EQ(exportPicture(shot(0), good), IP_OK);
    writeFile(folder.file("broken.png"), {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0});
    const std::string preset = folder.file("p.prs");
    ASSERT_EQ(runBatch("learn " + good + " --grey 4,4,12,12 --gamma 1.2 -o " + preset).status, 0);

    const CommandRun mixed = runBatch("apply " + preset + " " + good + " " +
                                      folder.file("broken.png") + " --out " + folder.file("out"));
    EXPECT_EQ(mixed.status, 1);
    EXPECT_NE(mixed.output.find("broken.png: the file is damaged or incomplete"), std::string::npos)
        << mixed.output;
    EXPECT_NE(mixed.output.find("2 pictures: 1 corrected, 1 failed"), std::string::npos)
        << mixed.output;
    EXPECT_TRUE(std::filesystem::exists(folder.file("out/good.png")));

    const std::vector<std::uint8_t> before = fileBytes(good);
    const CommandRun same = runBatch("apply " + preset + " " + good + " --out " + folder.file(""));
    EXPECT_EQ(same.status, 1);
    EXPECT_NE(same.output.find("would overwrite the input"), std::string::npos) << same.output;
    EXPECT_EQ(fileBytes(good), before);

    writeFile(folder.file("junk.prs"), {'n', 'o', 'p', 'e'});
    const CommandRun junk =
        runBatch("apply " + folder.file("junk.prs") + " " + good + " --out " + folder.file("out"));
    EXPECT_EQ(junk.status, 2);
    EXPECT_NE(junk.output.find("cannot be read"), std::string::npos) << junk.output;

    EXPECT_NE(runBatch("learn " + good + " --white 1,2,3 -o " + preset).status, 0);
    EXPECT_NE(runBatch("apply " + preset + " " + good + " --out x --quality 12").status, 0);
}
