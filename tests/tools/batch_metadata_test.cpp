// huemark-batch with phone photos: pictures read upright by their EXIF orientation, in apply
// and in learn, and the camera's metadata kept in every format that holds it.
#include "image_file_calls.h"
#include "metadata_pictures.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int storedWidth = 64;
constexpr int storedHeight = 32;

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

// The name of the first file made in `folder` within a minute; empty when none comes.
std::string firstMadeIn(int watch) {
    pollfd ready{watch, POLLIN, 0};
    alignas(inotify_event) char buffer[4096];
    if (::poll(&ready, 1, 60000) != 1 || ::read(watch, buffer, sizeof buffer) <= 0) {
        return {};
    }
    const auto* event = reinterpret_cast<const inotify_event*>(buffer);
    return event->len > 0 ? std::string(event->name) : std::string();
}

// huemark-batch started without a shell; its output and exit status collected by finish().
class BatchProcess {
public:
    explicit BatchProcess(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), HUEMARK_BATCH);
        std::vector<char*> argv;
        for (std::string& argument : arguments) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        int output[2];
        EXPECT_EQ(::pipe2(output, O_CLOEXEC), 0);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(output[1], STDOUT_FILENO);
            ::dup2(output[1], STDERR_FILENO);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(output[1]);
        output_ = output[0];
    }
    BatchProcess(const BatchProcess&) = delete;
    BatchProcess& operator=(const BatchProcess&) = delete;

    CommandRun finish() {
        CommandRun run;
        char buffer[512];
        for (ssize_t got; (got = ::read(output_, buffer, sizeof buffer)) > 0;) {
            run.output.append(buffer, static_cast<std::size_t>(got));
        }
        ::close(output_);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return run;
    }

private:
    pid_t pid_ = -1;
    int output_ = -1;
};

long entriesIn(const std::string& folder) {
    return std::distance(std::filesystem::directory_iterator(folder),
                         std::filesystem::directory_iterator());
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
        EXPECT_EQ(entriesIn(folder_.file(format)), 1) << format << ": no staging file is left";
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
    const int watch = ::inotify_init1(IN_CLOEXEC);
    ::inotify_add_watch(watch, out.c_str(), IN_CREATE);

    BatchProcess batch({"apply", preset, large, "--out", out, "--format", "tif"});
    // The staging file comes first and names its writer: ".large.tif.<worker>.XXXXXX.tif".
    const std::string staging = firstMadeIn(watch);
    ::close(watch);
    const std::string stem = ".large.tif.";
    ASSERT_TRUE(staging.starts_with(stem)) << staging;
    ::kill(std::stoi(staging.substr(stem.size())), SIGKILL);
    const CommandRun run = batch.finish();

    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find(large + ": the worker was killed by signal 9"), std::string::npos)
        << run.output;
    EXPECT_EQ(entriesIn(out), 0) << "the staging file and the library's file of it are removed";
}
