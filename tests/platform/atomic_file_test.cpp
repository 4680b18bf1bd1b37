// Saving through a temporary file: the name it gets, where it goes, and what a writer that
// died leaves behind.
#include "platform/atomic_file.h"

#include "image_file_calls.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <set>

#include <sys/wait.h>
#include <unistd.h>

namespace {

std::set<std::string> namesIn(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

// Writes `text` through an AtomicFile and commits it; errno's text when a step fails.
std::string saveText(const std::string& target, const std::string& text) {
    platform::AtomicFile file(target);
    const int descriptor = file.open();
    if (descriptor < 0) {
        return std::string("open: ") + std::strerror(errno);
    }
    const bool written =
        ::write(descriptor, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(file.release());
    if (!written || !file.commit()) {
        return std::string("write or commit: ") + std::strerror(errno);
    }
    return {};
}

// Whether every multi-byte UTF-8 character in `text` is whole.
bool wholeUtf8(const std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        if ((lead & 0xC0) == 0x80 || i + length > text.size()) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

} // namespace

TEST(AtomicFile, SavesUnderNamesUpToTheFileSystemLimit) {
    for (const std::size_t length : {5u, 245u, 250u, 251u, 255u}) {
        ScratchFolder folder;
        const std::string name = std::string(length - 4, 'n') + ".png";
        ASSERT_EQ(saveText(folder.file(name), "picture"), "") << length << "-byte name";
        EXPECT_EQ(namesIn(folder.file("")), std::set<std::string>{name});
        EXPECT_EQ(fileBytes(folder.file(name)),
                  (std::vector<std::uint8_t>{'p', 'i', 'c', 't', 'u', 'r', 'e'}));
    }
}

TEST(AtomicFile, KeepsAHiddenShortTemporaryFileBesideTheTargetUntilCommitted) {
    ScratchFolder folder;
    std::string name = "a";
    for (int i = 0; i < 100; ++i) {
        name += "\xC3\xA9"; // é: two bytes, so a cut after an odd number of bytes splits one
    }
    {
        platform::AtomicFile file(folder.file(name));
        ASSERT_GE(file.open(), 0) << std::strerror(errno);
        const std::set<std::string> during = namesIn(folder.file(""));
        ASSERT_EQ(during.size(), 1u);
        const std::string temporary = *during.begin();
        EXPECT_EQ(temporary.front(), '.');
        EXPECT_LE(temporary.size(), 64u);
        EXPECT_TRUE(wholeUtf8(temporary)) << temporary;
        EXPECT_EQ(temporary.compare(1, 3, "a\xC3\xA9"), 0) << "starts with the target's name";
    }
    EXPECT_TRUE(namesIn(folder.file("")).empty()) << "the uncommitted file is removed";
}

TEST(AtomicFile, RemovesWhatADeadWriterLeftForItsTargetAndNothingElse) {
    ScratchFolder folder;
    const std::string target = folder.file("result.png");
    writeFile(folder.file("unrelated.txt"), {'x'});
    platform::AtomicFile ownWriter(target);
    ASSERT_GE(ownWriter.open(), 0);

    const pid_t writer = ::fork();
    if (writer == 0) {
        platform::AtomicFile first(target);
        platform::AtomicFile other(folder.file("other.png"));
        const bool opened = first.open() >= 0 && other.open() >= 0;
        ::kill(::getpid(), opened ? SIGKILL : SIGABRT); // dies in the middle of saving
    }
    ASSERT_GT(writer, 0);
    siginfo_t end{};
    ASSERT_EQ(::waitid(P_PID, static_cast<id_t>(writer), &end, WEXITED | WNOWAIT), 0);
    ASSERT_EQ(end.si_status, SIGKILL);
    EXPECT_EQ(namesIn(folder.file("")).size(), 4u) << "two files of the dead writer, ours, one";

    EXPECT_EQ(platform::AtomicFile::removeLeftovers(target, writer), 1);
    ::waitpid(writer, nullptr, 0);
    const std::set<std::string> left = namesIn(folder.file(""));
    EXPECT_EQ(left.size(), 3u);
    EXPECT_EQ(left.count("unrelated.txt"), 1u);
    EXPECT_EQ(platform::AtomicFile::removeLeftovers(folder.file("other.png"), writer), 1);

    ::close(ownWriter.release());
    EXPECT_TRUE(ownWriter.commit()) << "the live writer's file was left alone";
    EXPECT_EQ(namesIn(folder.file("")), (std::set<std::string>{"result.png", "unrelated.txt"}));
}
