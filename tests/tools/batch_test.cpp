// huemark-batch run as a separate program, as a user runs it.
#include "batch_run.h"
#include "image_file_calls.h"

#include "platform/picture_format.h"
#include "tintworks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <set>
#include <sstream>

#include <unistd.h>

namespace {

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

// The engine's own repeat of the processing file on the picture in a file (or, when the file
// is incomplete, on the part of it the library delivers).
Picture replayed(const std::string& preset, const std::string& file, int expectedRead = IP_OK) {
    int32_t type = -1;
    EXPECT_EQ(TWKLoadLastProcessing(preset.c_str(), &type), TWK_OK);
    TImportExportParams read = importBlock(file);
    EXPECT_EQ(ipImportInd(&read), expectedRead);
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

// A processing file learned from a small shot, as a user makes one.
std::string learnedPreset(const ScratchFolder& folder) {
    const std::string card = folder.file("card.bmp");
    EXPECT_EQ(exportPicture(shot(0), card), IP_OK);
    const std::string preset = folder.file("card.prs");
    EXPECT_EQ(runBatch("learn " + card + " --white 4,4,12,12 --auto -o " + preset).status, 0);
    return preset;
}

// A 3000 x 2000 picture: 18 MB as a BMP, so that writing it takes a while.
Picture largeShot(int seed) {
    Picture p = patternPicture(3000, 2000);
    for (std::size_t i = 2; i < p.bgr.size(); i += 3) {
        p.bgr[i] = static_cast<std::uint8_t>(p.bgr[i] + seed * 40);
    }
    return p;
}

// A process's state letter from /proc ('T' when stopped); 0 when it is gone.
char processState(pid_t pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    const std::string stat((std::istreambuf_iterator<char>(file)), {});
    const std::size_t close = stat.rfind(") ");
    return close == std::string::npos ? '\0' : stat[close + 2];
}

std::vector<pid_t> childrenOf(pid_t parent) {
    std::vector<pid_t> children;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        std::ifstream file(entry.path() / "stat");
        const std::string stat((std::istreambuf_iterator<char>(file)), {});
        const std::size_t close = stat.rfind(") ");
        std::istringstream rest(close == std::string::npos ? "" : stat.substr(close + 2));
        char state = 0;
        pid_t parentOfEntry = 0;
        if (rest >> state >> parentOfEntry && parentOfEntry == parent) {
            children.push_back(std::stoi(name));
        }
    }
    return children;
}

// Stops a process and waits until it is stopped; false when it is gone.
bool stopProcess(pid_t pid) {
    if (::kill(pid, SIGSTOP) != 0) {
        return false;
    }
    for (int tries = 0; tries < 100000; ++tries) {
        const char state = processState(pid);
        if (state == 'T') {
            return true;
        }
        if (state == '\0' || state == 'Z' || state == 'X') {
            return false;
        }
        ::usleep(100);
    }
    return false;
}

// Stops the tool's worker; kills it when the temporary file it made is still there, so that it
// is certainly in the middle of that picture, else lets it go on. True when it was killed.
bool killWorkerWhileItWrites(pid_t tool, const std::string& temporaryFile) {
    for (pid_t worker : childrenOf(tool)) {
        if (stopProcess(worker)) {
            if (std::filesystem::exists(temporaryFile)) {
                ::kill(worker, SIGKILL);
                return true;
            }
            ::kill(worker, SIGCONT);
        }
    }
    return false;
}

// The JPEG file the tool should write for an input: the engine's result in the given quality.
std::vector<std::uint8_t> expectedJpeg(const ScratchFolder& folder, const std::string& preset,
                                       const std::string& input, int quality) {
    const std::string reference = folder.file("reference.jpg");
    EXPECT_EQ(exportPicture(replayed(preset, input), reference,
                            static_cast<std::uint32_t>(quality) << IP_JPEG_QUALITY_SHIFT),
              IP_OK);
    return fileBytes(reference);
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
    EXPECT_NE(runBatch("apply " + preset + " " + good + " --out x --quality 101").status, 0);
}

TEST(Batch, ReplacesAWorkerThatIsKilledAndCorrectsTheOtherPictures) {
    ScratchFolder folder;
    const std::string preset = learnedPreset(folder);
    const std::string out = folder.file("out");
    std::filesystem::create_directory(out);
    std::vector<std::string> names;
    std::vector<std::string> arguments{"apply", preset, "--out", out, "--jobs", "1"};
    for (int i = 0; i < 6; ++i) {
        const bool large = i >= 1 && i <= 4;
        names.push_back((large ? "large" : "small") + std::to_string(i) + ".bmp");
        ASSERT_EQ(exportPicture(large ? largeShot(i) : shot(i), folder.file(names.back())), IP_OK);
        arguments.push_back(folder.file(names.back()));
    }
    FolderWatch watch(out);
    BatchProcess batch(arguments);
    for (bool killed = false; !killed;) {
        const std::string made = watch.nextMade();
        ASSERT_FALSE(made.empty()) << "no worker was caught in the middle of a picture";
        killed = killWorkerWhileItWrites(batch.pid(), out + "/" + made);
    }
    const BatchEnd end = batch.finish();

    EXPECT_EQ(exitStatus(end), 1) << end.output;
    EXPECT_TRUE(mentions(end.output, "6 pictures: 5 corrected, 1 failed")) << end.output;
    const std::set<std::string> written = namesIn(out);
    ASSERT_EQ(written.size(), 5u) << "one result missing, no temporary file left";
    for (const std::string& name : names) {
        if (written.count(name) == 0) {
            EXPECT_TRUE(mentions(end.output, name + ": the worker was killed by signal 9 (Killed)"))
                << end.output;
        } else {
            EXPECT_EQ(importPicture(out + "/" + name), replayed(preset, folder.file(name))) << name;
        }
    }
}

TEST(Batch, RefusesRunsWhoseResultsWouldOverwriteEachOther) {
    ScratchFolder folder;
    const std::string preset = learnedPreset(folder);
    std::filesystem::create_directories(folder.file("a"));
    std::filesystem::create_directories(folder.file("b"));
    for (const char* name : {"a/x.png", "b/x.png", "x.png", "x.bmp"}) {
        ASSERT_EQ(exportPicture(shot(1), folder.file(name)), IP_OK);
    }
    const std::string out = folder.file("out");
    const struct {
        std::vector<std::string> inputs;
        std::string options;
    } clashing[] = {
        {{"a/x.png", "b/x.png"}, "--jobs 4"},
        {{"x.png", "x.bmp"}, "--format png"},
        {{"x.png", "x.bmp"}, "--format png --keep-tree"},
        {{"x.png", "x.png"}, ""},
        {{"x.png", "./x.png"}, "--keep-tree"},
    };
    for (const auto& run : clashing) {
        std::string command = "apply " + preset;
        for (const std::string& input : run.inputs) {
            command += " " + folder.file(input);
        }
        const CommandRun refused = runBatch(command + " --out " + out + " " + run.options);
        EXPECT_EQ(refused.status, 2) << refused.output;
        EXPECT_TRUE(mentions(refused.output, "would be written to the same file")) << command;
        for (const std::string& input : run.inputs) {
            EXPECT_TRUE(mentions(refused.output, folder.file(input))) << refused.output;
        }
        EXPECT_FALSE(std::filesystem::exists(out)) << "nothing written: " << command;
    }
}

TEST(Batch, KeepTreeKeepsTheInputFoldersApartUnderTheOutputFolder) {
    ScratchFolder folder;
    const std::string preset = learnedPreset(folder);
    const std::vector<std::string> inputs{"shots/a/x.png", "shots/b/x.png", "shots/b/c/y.png"};
    std::string command = "apply " + preset;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        std::filesystem::create_directories(
            std::filesystem::path(folder.file(inputs[i])).parent_path());
        ASSERT_EQ(exportPicture(shot(static_cast<int>(i) + 1), folder.file(inputs[i])), IP_OK);
        command += " " + folder.file(inputs[i]);
    }
    const std::string out = folder.file("out");
    const CommandRun run = runBatch(command + " --out " + out + " --keep-tree --jobs 3");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(mentions(run.output, "3 pictures: 3 corrected, 0 failed")) << run.output;
    EXPECT_EQ(namesIn(out),
              (std::set<std::string>{"a", "a/x.png", "b", "b/x.png", "b/c", "b/c/y.png"}));
    for (const std::string& input : inputs) {
        EXPECT_EQ(importPicture(out + "/" + input.substr(6)), replayed(preset, folder.file(input)))
            << input;
    }
}

// Runs of large pictures, so that a signal finds the workers writing.
class InterruptedBatch : public ::testing::Test {
protected:
    void SetUp() override {
        preset_ = learnedPreset(folder_);
        for (int i = 0; i < 2; ++i) {
            small_.push_back("small" + std::to_string(i) + ".bmp");
            ASSERT_EQ(exportPicture(shot(i), folder_.file(small_.back())), IP_OK);
        }
        for (int i = 0; i < 6; ++i) {
            large_.push_back("large" + std::to_string(i) + ".bmp");
            ASSERT_EQ(exportPicture(largeShot(i), folder_.file(large_.back())), IP_OK);
        }
        std::filesystem::create_directory(out());
    }

    std::string out() const { return folder_.file("out"); }

    std::vector<std::string> arguments(const std::vector<std::string>& inputs, int jobs) const {
        std::vector<std::string> all{"apply", preset_,  "--out",
                                     out(),   "--jobs", std::to_string(jobs)};
        for (const std::string& input : inputs) {
            all.push_back(folder_.file(input));
        }
        return all;
    }

    // Every file in the output folder is the whole result of an input of the same name: no
    // temporary file is left and no result is cut short.
    void expectOnlyWholeResults() const {
        for (const std::string& name : namesIn(out())) {
            ASSERT_TRUE(std::filesystem::exists(folder_.file(name))) << name << " is no result";
            EXPECT_EQ(importPicture(out() + "/" + name), replayed(preset_, folder_.file(name)))
                << name;
        }
    }

    ScratchFolder folder_;
    std::string preset_;
    std::vector<std::string> small_;
    std::vector<std::string> large_;
};

TEST_F(InterruptedBatch, CtrlCToTheToolAndItsWorkersLeavesNoTemporaryFiles) {
    FolderWatch watch(out());
    BatchProcess batch(arguments(large_, 2));
    ASSERT_FALSE(watch.nextMade().empty());
    ::kill(-batch.pid(), SIGINT); // as the terminal does: to the whole process group
    const BatchEnd end = batch.finish();

    EXPECT_TRUE(endedBySignal(end, SIGINT)) << end.waitStatus << "\n" << end.output;
    EXPECT_TRUE(mentions(end.output, "interrupted by signal 2 (Interrupt)")) << end.output;
    EXPECT_TRUE(mentions(end.output, "not done")) << end.output;
    EXPECT_TRUE(batch.groupGone());
    expectOnlyWholeResults();
}

TEST_F(InterruptedBatch, SigtermToTheToolStopsItsWorkersAndLeavesNoTemporaryFiles) {
    FolderWatch watch(out());
    BatchProcess batch(arguments(large_, 2));
    ASSERT_FALSE(watch.nextMade().empty());
    ::kill(batch.pid(), SIGTERM);
    const BatchEnd end = batch.finish();

    EXPECT_TRUE(endedBySignal(end, SIGTERM)) << end.waitStatus << "\n" << end.output;
    EXPECT_TRUE(mentions(end.output, "interrupted by signal 15 (Terminated)")) << end.output;
    EXPECT_TRUE(batch.groupGone()) << "no worker goes on writing after the tool ended";
    expectOnlyWholeResults();
}

TEST_F(InterruptedBatch, TheFileSizeLimitEndsTheRunWithoutHalfWrittenFiles) {
    std::vector<std::string> inputs = small_;
    inputs.insert(inputs.end(), large_.begin(), large_.end());
    BatchProcess batch(arguments(inputs, 1), 1 << 20);
    const BatchEnd end = batch.finish();

    EXPECT_EQ(exitStatus(end), 128 + SIGXFSZ) << end.output;
    EXPECT_TRUE(mentions(end.output, large_[0] + ": the file size limit (ulimit -f) was reached"))
        << end.output;
    EXPECT_TRUE(mentions(end.output, "8 pictures: 2 corrected, 1 failed, 5 not done"))
        << end.output;
    EXPECT_EQ(namesIn(out()), std::set<std::string>(small_.begin(), small_.end()));
    expectOnlyWholeResults();
}

TEST(Batch, UsesTheQualityForJpegResultsWhateverTheCaseOfTheirExtension) {
    ScratchFolder folder;
    const std::string preset = learnedPreset(folder);
    const std::vector<std::string> inputs{"a.Jpg", "b.JPEG", "c.jpeg", "d.JPG"};
    std::string command = "apply " + preset;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        ASSERT_EQ(exportPicture(shot(static_cast<int>(i)), folder.file(inputs[i]),
                                8u << IP_JPEG_QUALITY_SHIFT),
                  IP_OK);
        command += " " + folder.file(inputs[i]);
    }
    const CommandRun run = runBatch(command + " --out " + folder.file("out") + " --quality 2");
    ASSERT_EQ(run.status, 0) << run.output;
    for (const std::string& input : inputs) {
        EXPECT_EQ(fileBytes(folder.file("out/" + input)),
                  expectedJpeg(folder, preset, folder.file(input), 2))
            << input;
    }
}

TEST(Batch, KeepsTheJpeAndTiffExtensionsOfItsInputs) {
    ScratchFolder folder;
    const std::string preset = learnedPreset(folder);
    const std::vector<std::string> inputs{"a.jpe", "b.JPE", "c.tiff", "d.TIFF"};
    std::string command = "apply " + preset;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        ASSERT_EQ(exportPicture(shot(static_cast<int>(i)), folder.file(inputs[i])), IP_OK);
        command += " " + folder.file(inputs[i]);
    }
    const std::string out = folder.file("out");
    const CommandRun run = runBatch(command + " --out " + out + " --quality 3");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(namesIn(out), std::set<std::string>(inputs.begin(), inputs.end()));
    for (const std::string& jpeg : {inputs[0], inputs[1]}) {
        EXPECT_EQ(fileBytes(out + "/" + jpeg), expectedJpeg(folder, preset, folder.file(jpeg), 3))
            << jpeg << " is a JPEG file in the quality asked for";
    }
    for (const std::string& tiff : {inputs[2], inputs[3]}) {
        EXPECT_EQ(platform::pictureFormatOfFile((out + "/" + tiff).c_str()),
                  platform::PictureFormat::Tiff)
            << tiff;
        EXPECT_EQ(importPicture(out + "/" + tiff), replayed(preset, folder.file(tiff))) << tiff;
    }
}

TEST(Batch, WritesResultsWhoseNamesAre250BytesLong) {
    ScratchFolder folder;
    const std::string preset = learnedPreset(folder);
    const std::string name = std::string(246, 'n') + ".png";
    ASSERT_EQ(exportPicture(shot(2), folder.file("short.png")), IP_OK);
    std::filesystem::rename(folder.file("short.png"), folder.file(name));
    const CommandRun run =
        runBatch("apply " + preset + " " + folder.file(name) + " --out " + folder.file("out"));
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(importPicture(folder.file("out/" + name)), replayed(preset, folder.file(name)));
    EXPECT_EQ(namesIn(folder.file("out")), std::set<std::string>{name});
}

TEST(Batch, NamesTheResultsOfInputsWithoutAWrittenExtensionByTheirContent) {
    ScratchFolder folder;
    const std::string preset = learnedPreset(folder);
    const struct {
        std::string made;  // written under this name
        std::string input; // then renamed to this
    } inputs[] = {{"scan.png", "scan"}, {"photo.jpg", "photo.jfif"}, {"frame.bmp", "frame.dib"}};
    std::string command = "apply " + preset;
    for (const auto& input : inputs) {
        ASSERT_EQ(exportPicture(shot(3), folder.file(input.made)), IP_OK);
        std::filesystem::rename(folder.file(input.made), folder.file(input.input));
        command += " " + folder.file(input.input);
    }
    const std::string out = folder.file("out");
    const CommandRun run = runBatch(command + " --out " + out);
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(namesIn(out), (std::set<std::string>{"scan.png", "photo.jpg", "frame.bmp"}));
    EXPECT_EQ(importPicture(out + "/scan.png"), replayed(preset, folder.file("scan")));
    EXPECT_EQ(importPicture(out + "/frame.bmp"), replayed(preset, folder.file("frame.dib")));
    EXPECT_EQ(fileBytes(out + "/photo.jpg"),
              expectedJpeg(folder, preset, folder.file("photo.jfif"), 8));
}

TEST(Batch, CountsIncompletePicturesAsFailedUnlessTheyAreAccepted) {
    ScratchFolder folder;
    const std::string preset = learnedPreset(folder);
    const std::string good = folder.file("good.bmp");
    const std::string cut = folder.file("cut.bmp");
    ASSERT_EQ(exportPicture(shot(1), good), IP_OK);
    ASSERT_EQ(exportPicture(shot(2), cut), IP_OK);
    // A bottom-up BMP ending after 24 of its 40 rows.
    std::vector<std::uint8_t> bytes = fileBytes(cut);
    bytes.resize(bytes.size() - stride24(64) * 16);
    writeFile(cut, bytes);
    int code = -1;
    importPicture(cut, &code);
    ASSERT_EQ(code, IP_INCOMPLETE) << "the library delivers the rows that are there";

    const CommandRun refused =
        runBatch("apply " + preset + " " + good + " " + cut + " --out " + folder.file("strict"));
    EXPECT_EQ(refused.status, 1) << refused.output;
    EXPECT_TRUE(mentions(refused.output, cut + ": the picture file is incomplete"))
        << refused.output;
    EXPECT_TRUE(mentions(refused.output, "2 pictures: 1 corrected, 1 failed")) << refused.output;
    EXPECT_EQ(namesIn(folder.file("strict")), std::set<std::string>{"good.bmp"});

    const CommandRun accepted = runBatch("apply " + preset + " " + good + " " + cut + " --out " +
                                         folder.file("lenient") + " --accept-incomplete");
    EXPECT_EQ(accepted.status, 0) << accepted.output;
    EXPECT_TRUE(mentions(accepted.output, cut + ": incomplete file")) << accepted.output;
    EXPECT_TRUE(mentions(accepted.output, "2 pictures: 2 corrected (1 incomplete), 0 failed"))
        << accepted.output;
    EXPECT_EQ(importPicture(folder.file("lenient/cut.bmp")), replayed(preset, cut, IP_INCOMPLETE));

    const CommandRun learn = runBatch("learn " + cut + " --grey 4,4,12,12 -o " + preset);
    EXPECT_EQ(learn.status, 2);
    EXPECT_TRUE(mentions(learn.output, "the picture file is incomplete")) << learn.output;
}
