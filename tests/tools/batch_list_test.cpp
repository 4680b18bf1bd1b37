// huemark-batch taking its pictures from lists (--files-from, standard input, -0), as runs spread
// over machines by GNU parallel or a cluster's array jobs use it: the results of the same pictures
// given as arguments, one tree from every share of a list, the same bytes from any number of jobs.
#include "batch_run.h"
#include "image_file_calls.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <thread>

namespace {

using Files = std::map<std::string, std::vector<std::uint8_t>>;

// The files under a folder with their bytes, by their paths relative to it.
Files filesIn(const std::string& folder) {
    Files files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            files[entry.path().lexically_relative(folder).string()] = fileBytes(entry.path());
        }
    }
    return files;
}

// Runs a shell command line in which TOOL stands for the batch tool.
CommandRun runShell(std::string command) {
    command.replace(command.find("TOOL"), 4, HUEMARK_BATCH);
    return runCommandLine(command);
}

// A picture with a white card a little off, different for every seed.
Picture scene(int seed) {
    Picture picture = patternPicture(48, 32);
    for (std::size_t i = 1; i < picture.bgr.size(); i += 3) {
        picture.bgr[i] = static_cast<std::uint8_t>(picture.bgr[i] + seed * 23);
    }
    for (int y = 4; y < 12; ++y) {
        for (int x = 4; x < 12; ++x) {
            picture.at(x, y)[0] = 215;
            picture.at(x, y)[1] = 225;
            picture.at(x, y)[2] = 205;
        }
    }
    return picture;
}

std::string nulSeparated(const std::vector<std::string>& names) {
    std::string list;
    for (const std::string& name : names) {
        list += name + '\0';
    }
    return list;
}

// Pictures in three folders below shots/, named as lists written by hand or by find hold them,
// and a processing file learned from the first.
class FileLists : public ::testing::Test {
protected:
    void SetUp() override {
        for (std::size_t i = 0; i < names_.size(); ++i) {
            std::filesystem::create_directories(std::filesystem::path(picture(i)).parent_path());
            ASSERT_EQ(exportPicture(scene(static_cast<int>(i)), picture(i)), IP_OK);
        }
        ASSERT_EQ(
            runBatch("learn " + picture(0) + " --white 4,4,12,12 --auto -o " + preset_).status, 0);
    }

    std::string picture(std::size_t i) const { return folder_.file(names_[i]); }
    std::vector<std::string> pictures(std::size_t count) const {
        std::vector<std::string> all;
        for (std::size_t i = 0; i < count; ++i) {
            all.push_back(picture(i));
        }
        return all;
    }

    std::string listFile(const std::string& name, const std::string& content) const {
        const std::string path = folder_.file(name);
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }

    std::string apply(const std::string& arguments) const {
        return "apply " + preset_ + " " + arguments;
    }

    // What the tool writes under `out` for `inputs` given as arguments, with `options`.
    Files resultsOfArguments(const std::vector<std::string>& inputs, const std::string& out,
                             std::vector<std::string> options) const {
        options.insert(options.begin(), {"apply", preset_, "--out", folder_.file(out)});
        options.insert(options.end(), inputs.begin(), inputs.end());
        const BatchEnd end = BatchProcess(options).finish();
        EXPECT_EQ(exitStatus(end), 0) << end.output;
        return filesIn(folder_.file(out));
    }

    ScratchFolder folder_;
    const std::string preset_ = folder_.file("card.prs");
    // The last name only a NUL-separated list can hold.
    const std::vector<std::string> names_{"shots/a/x.png",           "shots/b/x.png",
                                          "shots/b/two  spaces.png", "shots/b/ leading.png",
                                          "shots/c/tab\there.bmp",   "shots/c/line\nbreak.png"};
    const std::size_t lineNames_ = 5;
};

TEST_F(FileLists, LineAndNulListsGiveTheResultsOfTheSamePicturesAsArguments) {
    const Files expected =
        resultsOfArguments(pictures(names_.size()), "arguments", {"--keep-tree"});
    ASSERT_EQ(expected.size(), names_.size());
    Files lineExpected = expected;
    lineExpected.erase("c/line\nbreak.png");

    // Empty lines skipped, a CR before the LF and a last line without LF taken as lists have them.
    const std::string lines =
        listFile("lines.txt", "\n" + picture(0) + "\r\n\n" + picture(1) + "\n" + picture(2) +
                                  "\r\n" + picture(3) + "\n\n" + picture(4));
    const CommandRun fromLines =
        runBatch(apply("--files-from " + lines + " --keep-tree --out " + folder_.file("lines")));
    ASSERT_EQ(fromLines.status, 0) << fromLines.output;
    EXPECT_TRUE(mentions(fromLines.output, "5 pictures: 5 corrected, 0 failed"))
        << fromLines.output;
    EXPECT_EQ(filesIn(folder_.file("lines")), lineExpected);

    const std::string nul = listFile("nul.list", nulSeparated(pictures(names_.size())) + '\0');
    const CommandRun fromNul =
        runBatch(apply("--files-from " + nul + " -0 --keep-tree --out " + folder_.file("nul")));
    ASSERT_EQ(fromNul.status, 0) << fromNul.output;
    EXPECT_TRUE(mentions(fromNul.output, "6 pictures: 6 corrected, 0 failed")) << fromNul.output;
    EXPECT_EQ(filesIn(folder_.file("nul")), expected);

    const CommandRun dash =
        runBatch(apply("- --keep-tree --out " + folder_.file("dash") + " < " + lines));
    ASSERT_EQ(dash.status, 0) << dash.output;
    EXPECT_EQ(filesIn(folder_.file("dash")), lineExpected);

    const CommandRun piped = runShell("cat " + nul + " | TOOL " + apply("--null --files-from -") +
                                      " --keep-tree --out " + folder_.file("piped"));
    ASSERT_EQ(piped.status, 0) << piped.output;
    EXPECT_EQ(filesIn(folder_.file("piped")), expected);
}

TEST_F(FileLists, AMissingPictureInAListFailsAsAMissingArgumentDoes) {
    const std::string missing = folder_.file("shots/missing.png");
    const CommandRun asArgument =
        runBatch(apply(picture(0) + " " + missing + " --out " + folder_.file("arguments")));
    const std::string list = listFile("list.txt", picture(0) + "\n" + missing + "\n");
    const CommandRun inList =
        runBatch(apply("--files-from " + list + " --out " + folder_.file("list")));
    for (const CommandRun& run : {asArgument, inList}) {
        EXPECT_EQ(run.status, 1) << run.output;
        EXPECT_TRUE(mentions(run.output, missing + ": file not found")) << run.output;
        EXPECT_TRUE(mentions(run.output, "2 pictures: 1 corrected, 1 failed")) << run.output;
    }
    EXPECT_EQ(filesIn(folder_.file("list")), filesIn(folder_.file("arguments")));
}

TEST_F(FileLists, SharesOfAListWithATreeRootMakeTheTreeOfTheWholeList) {
    const std::string root = folder_.file("shots");
    const Files whole = resultsOfArguments(pictures(lineNames_), "whole", {"--keep-tree"});
    EXPECT_EQ(resultsOfArguments(pictures(lineNames_), "rooted", {"--tree-root", root}), whole);

    // As split -n l/K/N hands them out: the first share's pictures all lie in shots/a.
    const std::string first = listFile("share1", picture(0) + "\n");
    const std::string second =
        listFile("share2", picture(1) + "\n" + picture(2) + "\n" + picture(3) + "\n" + picture(4));
    for (const std::string& share : {first, second}) {
        const CommandRun run = runBatch(apply("--files-from " + share + " --tree-root " + root +
                                              " --out " + folder_.file("shares")));
        ASSERT_EQ(run.status, 0) << run.output;
    }
    EXPECT_EQ(filesIn(folder_.file("shares")), whole);

    const CommandRun parentOfTheShare = runBatch(
        apply("--files-from " + first + " --keep-tree --out " + folder_.file("share-parent")));
    ASSERT_EQ(parentOfTheShare.status, 0) << parentOfTheShare.output;
    EXPECT_EQ(namesIn(folder_.file("share-parent")), std::set<std::string>{"x.png"})
        << "without --tree-root, a share's tree starts at its own pictures' parent";

    const CommandRun outside =
        runBatch(apply("--files-from " + second + " --tree-root " + folder_.file("shots/b") +
                       " --out " + folder_.file("outside")));
    EXPECT_EQ(outside.status, 2) << outside.output;
    EXPECT_TRUE(mentions(outside.output, "not in the --tree-root folder")) << outside.output;
    EXPECT_TRUE(mentions(outside.output, picture(4))) << outside.output;
    EXPECT_FALSE(mentions(outside.output, picture(1))) << outside.output;
    EXPECT_FALSE(std::filesystem::exists(folder_.file("outside")));
}

TEST_F(FileLists, KeepTreeTakesRelativeNamesFromTheCurrentFolderAndNamesFromOtherFolders) {
    std::filesystem::create_directories(folder_.file("elsewhere"));
    ASSERT_EQ(exportPicture(scene(9), folder_.file("elsewhere/y.png")), IP_OK);
    const std::string list =
        listFile("relative.txt", "a/x.png\nb/two  spaces.png\n../elsewhere/y.png\n" +
                                     folder_.file("shots/c/tab\there.bmp") + "\n");
    const CommandRun run =
        runShell("cd " + folder_.file("shots") + " && TOOL " +
                 apply("--files-from " + list + " --keep-tree --out " + folder_.file("out")));
    ASSERT_EQ(run.status, 0) << run.output;
    const Files written = filesIn(folder_.file("out"));
    EXPECT_EQ(written.size(), 4u);
    EXPECT_EQ(written.at("elsewhere/y.png"),
              resultsOfArguments({folder_.file("elsewhere/y.png")}, "y", {}).at("y.png"));
    const Files shots = resultsOfArguments(pictures(lineNames_), "whole", {"--keep-tree"});
    for (const std::string name : {"a/x.png", "b/two  spaces.png", "c/tab\there.bmp"}) {
        EXPECT_EQ(written.at("shots/" + name), shots.at(name)) << name;
    }
}

TEST_F(FileLists, TwoJobsAndOneWriteTheSameBytes) {
    std::vector<std::string> inputs;
    std::filesystem::create_directories(folder_.file("series"));
    for (int i = 0; i < 8; ++i) {
        inputs.push_back(folder_.file("series/shot" + std::to_string(i) + ".jpg"));
        ASSERT_EQ(exportPicture(scene(i), inputs.back(), 9u << IP_JPEG_QUALITY_SHIFT), IP_OK);
    }
    const std::string list = listFile("series.txt", nulSeparated(inputs));
    Files byJobs[2];
    for (int jobs : {1, 2}) {
        const std::string out = folder_.file("jobs" + std::to_string(jobs));
        const CommandRun run = runBatch(apply("-0 --files-from " + list + " --quality 85 --jobs " +
                                              std::to_string(jobs) + " --out " + out));
        ASSERT_EQ(run.status, 0) << run.output;
        byJobs[jobs - 1] = filesIn(out);
    }
    EXPECT_EQ(byJobs[0].size(), inputs.size());
    EXPECT_EQ(byJobs[1], byJobs[0]);
}

TEST_F(FileLists, CorrectTakesItsPicturesFromAListAsApplyDoes) {
    const std::string list = listFile("list.txt", picture(0) + "\n" + picture(2) + "\n");
    const CommandRun fromList = runBatch("correct --neutral 4,4,12,12 --files-from " + list +
                                         " --out " + folder_.file("list"));
    ASSERT_EQ(fromList.status, 0) << fromList.output;
    const BatchEnd fromArguments = BatchProcess({"correct", "--neutral", "4,4,12,12", picture(0),
                                                 picture(2), "--out", folder_.file("arguments")})
                                       .finish();
    ASSERT_EQ(exitStatus(fromArguments), 0) << fromArguments.output;
    EXPECT_EQ(filesIn(folder_.file("list")).size(), 2u);
    EXPECT_EQ(filesIn(folder_.file("list")), filesIn(folder_.file("arguments")));
}

TEST_F(FileLists, RefusesListsItCannotUseAndRunsAnEmptyOne) {
    const std::string list = listFile("list.txt", picture(0) + "\n");
    const std::string out = folder_.file("out");
    const struct {
        std::string command;
        std::string message;
    } refused[] = {
        {apply("--files-from " + folder_.file("none.txt")), "none.txt: the list cannot be read"},
        {apply("--files-from " + folder_.file("shots")), "shots: the list cannot be read"},
        {apply("- " + picture(1) + " < " + list), "must be the only picture"},
        {apply(picture(1) + " --files-from " + list), "--files-from takes the place"},
        {apply("-0 " + picture(1)), "-0 needs a list"},
        {apply(""), "apply needs the pictures"},
        {"correct --neutral 4,4,12,12", "correct --neutral needs the pictures"},
        {"correct --areas " + list + " --files-from " + list, "--areas excludes --files-from"},
    };
    for (const auto& [command, message] : refused) {
        const CommandRun run = runBatch(command + " --out " + out);
        EXPECT_EQ(run.status, 2) << command << "\n" << run.output;
        EXPECT_TRUE(mentions(run.output, message)) << command << "\n" << run.output;
    }
    EXPECT_FALSE(std::filesystem::exists(out));

    // A share of a split list may be empty: it corrects nothing and fails nothing.
    const CommandRun empty =
        runBatch(apply("--files-from " + listFile("empty", "\n\r\n") + " --out " + out));
    EXPECT_EQ(empty.status, 0) << empty.output;
    EXPECT_TRUE(mentions(empty.output, "0 pictures: 0 corrected, 0 failed")) << empty.output;
    EXPECT_TRUE(filesIn(out).empty());
}

TEST(BatchJobs, DefaultToTheProcessorsTheRunMayUse) {
    EXPECT_TRUE(mentions(runShell("taskset -c 0 TOOL apply --help").output, "[1 - 256]=1"))
        << "one processor allowed, as a cluster's job may allow fewer than the machine has";
    if (std::thread::hardware_concurrency() >= 2) {
        EXPECT_TRUE(mentions(runShell("taskset -c 0,1 TOOL apply --help").output, "[1 - 256]=2"));
    }
}

} // namespace
