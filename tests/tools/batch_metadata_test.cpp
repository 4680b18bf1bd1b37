// huemark-batch with phone photos: pictures read upright by their EXIF orientation, in apply
// and in learn, and the camera's metadata kept in every format that holds it.
#include "batch_run.h"
#include "image_file_calls.h"
#include "metadata_pictures.h"

#include <gtest/gtest.h>

#include <csignal>

namespace {

constexpr int storedWidth = 64;
constexpr int storedHeight = 32;

// The quadrant picture as it is seen: the stored one turned clockwise (orientation 6).
Picture uprightPicture() {
    const auto& levels = camera_metadata::quadrantGreys;
    Picture p = camera_metadata::quadrantPicture(storedHeight, storedWidth);
    const std::array<std::uint8_t, 4> turned{levels[2], levels[0], levels[3], levels[1]};
    for (int y = 0; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x) {
            std::uint8_t* px = p.at(x, y);
            px[0] = px[1] = px[2] = turned[(y < p.height / 2 ? 0 : 2) + (x < p.width / 2 ? 0 : 1)];
        }
    }
    return p;
}

class BatchMetadata : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(exportPicture(camera_metadata::quadrantPicture(storedWidth, storedHeight),
                                phone(), 9u << IP_JPEG_QUALITY_SHIFT),
                  IP_OK);
        camera_metadata::addTo(phone(), 6, storedWidth, storedHeight);
        ASSERT_EQ(exportPicture(uprightPicture(), upright()), IP_OK);
    }

    std::string phone() const { return folder_.file("phone.jpg"); }
    std::string upright() const { return folder_.file("upright.png"); }

    // A processing file learned from `picture`, its white area the bottom left quadrant as seen.
    std::string learnFrom(const std::string& picture, const std::string& name) const {
        const std::string preset = folder_.file(name);
        const CommandRun learn = runBatch("learn " + picture + " --white 0,32,16,64 -o " + preset);
        EXPECT_EQ(learn.status, 0) << learn.output;
        return preset;
    }

    CommandRun apply(const std::string& preset, const std::string& input, const std::string& format,
                     const std::string& out) const {
        return runBatch("apply " + preset + " " + input + " --out " + folder_.file(out) +
                        " --format " + format + " --quality 9");
    }

    ScratchFolder folder_;
};

} // namespace

TEST_F(BatchMetadata, PhonePhotosAreCorrectedUprightAndKeepTheirMetadataInEveryFormat) {
    const std::string preset = learnFrom(upright(), "upright.prs");
    ASSERT_EQ(apply(preset, upright(), "png", "reference").status, 0);
    const Picture reference = importPicture(folder_.file("reference/upright.png"));
    ASSERT_EQ(reference.width, storedHeight);
    ASSERT_NE(reference, uprightPicture()) << "the correction changes the pixels";

    for (const char* format : {"jpg", "tif", "png"}) {
        const CommandRun run = apply(preset, phone(), format, format);
        ASSERT_EQ(run.status, 0) << run.output;
        const std::string result = folder_.file(std::string(format) + "/phone." + format);
        const camera_metadata::Found found = camera_metadata::readFrom(result);
        EXPECT_EQ(found.model, camera_metadata::model) << format;
        EXPECT_EQ(found.captureDate, camera_metadata::captureDate) << format;
        EXPECT_EQ(found.title, camera_metadata::title) << format;
        EXPECT_EQ(found.orientation, 1) << format;
        EXPECT_EQ(found.icc, camera_metadata::iccProfile()) << format;
        EXPECT_FALSE(found.thumbnail) << format;
        EXPECT_EQ(namesIn(folder_.file(format)),
                  std::set<std::string>{"phone." + std::string(format)})
            << "no staging file is left";
    }
    EXPECT_EQ(importPicture(folder_.file("png/phone.png")), reference);
    EXPECT_EQ(importPicture(folder_.file("tif/phone.tif")), reference);
    EXPECT_EQ(importPicture(folder_.file("jpg/phone.jpg")).height, storedWidth);

    ASSERT_EQ(apply(preset, phone(), "bmp", "bmp").status, 0);
    EXPECT_EQ(importPicture(folder_.file("bmp/phone.bmp")), reference);
}

TEST_F(BatchMetadata, LearnTakesItsRectanglesOnThePictureAsItIsSeen) {
    const std::string fromPhone = learnFrom(phone(), "phone.prs");
    const std::string fromUpright = learnFrom(upright(), "upright.prs");
    ASSERT_EQ(apply(fromPhone, upright(), "png", "by-phone").status, 0);
    ASSERT_EQ(apply(fromUpright, upright(), "png", "by-upright").status, 0);
    EXPECT_EQ(importPicture(folder_.file("by-phone/upright.png")),
              importPicture(folder_.file("by-upright/upright.png")));
}

TEST_F(BatchMetadata, AWorkerKilledWhileItStagesAResultLeavesNothingBehind) {
    const std::string preset = learnFrom(upright(), "upright.prs");
    const std::string large = folder_.file("large.jpg");
    ASSERT_EQ(exportPicture(camera_metadata::quadrantPicture(4000, 3000), large), IP_OK);
    camera_metadata::addTo(large, 6, 4000, 3000);
    const std::string out = folder_.file("out");
    std::filesystem::create_directory(out);
    FolderWatch watch(out);

    BatchProcess batch({"apply", preset, large, "--out", out, "--format", "tif"});
    // The staging file comes first and names its writer: ".large.tif.<worker>.XXXXXX.tif".
    const std::string staging = watch.nextMade();
    const std::string stem = ".large.tif.";
    ASSERT_TRUE(staging.starts_with(stem)) << staging;
    ::kill(std::stoi(staging.substr(stem.size())), SIGKILL);
    const BatchEnd end = batch.finish();

    EXPECT_EQ(exitStatus(end), 1) << end.output;
    EXPECT_TRUE(mentions(end.output, large + ": the worker was killed by signal 9")) << end.output;
    EXPECT_TRUE(namesIn(out).empty())
        << "the staging file and the library's file of it are removed";
}
