// huemark --help and --version answer on a machine without a display, before the program
// claims its single instance or reads its settings; other arguments still reach the program.
#include "socket_files.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
constexpr int waitLimitMs = 20000;

struct Answer {
    int exitCode = -1;
    QString output;
    QString errors;
};

class ProgramInformation : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home_.isValid());
        for (const char* folder : {"runtime", "config", "data"}) {
            ASSERT_TRUE(QDir(home_.path()).mkdir(folder));
        }
        ASSERT_TRUE(QFile::setPermissions(runtime(),
                                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }

    QString runtime() const { return home_.filePath("runtime"); }

    // The X platform with no display at all: a start that set up the windowing would abort.
    QProcessEnvironment withoutDisplay() const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "xcb");
        environment.remove("DISPLAY");
        environment.remove("WAYLAND_DISPLAY");
        environment.insert("XDG_RUNTIME_DIR", runtime());
        environment.insert("XDG_CONFIG_HOME", home_.filePath("config"));
        environment.insert("XDG_DATA_HOME", home_.filePath("data"));
        return environment;
    }

    void start(QProcess& program, const QStringList& arguments) const {
        program.setProcessEnvironment(withoutDisplay());
        program.start(HUEMARK_PROGRAM, arguments);
    }

    Answer ask(const QStringList& arguments) const {
        QProcess program;
        start(program, arguments);
        EXPECT_TRUE(program.waitForFinished(waitLimitMs)) << arguments.join(' ').toStdString();
        return {program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1,
                QString::fromLocal8Bit(program.readAllStandardOutput()),
                QString::fromLocal8Bit(program.readAllStandardError())};
    }

    // What the program left in its private folders: settings, data and instance sockets.
    QStringList leftBehind() const {
        QStringList entries;
        for (const char* folder : {"runtime", "config", "data"}) {
            entries += QDir(home_.filePath(folder))
                           .entryList(QDir::AllEntries | QDir::System | QDir::Hidden |
                                      QDir::NoDotAndDotDot);
        }
        return entries;
    }

private:
    QTemporaryDir home_;
};

TEST_F(ProgramInformation, VersionIsTheNameAndVersionOnly) {
    for (const char* option : {"--version", "-v"}) {
        const Answer answer = ask({option});
        EXPECT_EQ(answer.exitCode, 0) << option;
        EXPECT_EQ(answer.output.toStdString(), "Huemark " HUEMARK_VERSION "\n");
        EXPECT_EQ(answer.errors.toStdString(), "");
    }
    EXPECT_EQ(leftBehind(), QStringList());
}

TEST_F(ProgramInformation, HelpShowsUsageOptionsAndArguments) {
    const std::string help = "Usage: " HUEMARK_PROGRAM " [options] [pictures...]\n"
                             "Corrects the colours of photographs and scanned pictures.\n"
                             "\n"
                             "Options:\n"
                             "  -h, --help     Displays this help.\n"
                             "  -v, --version  Displays version information.\n"
                             "\n"
                             "Arguments:\n"
                             "  pictures       Pictures to open (BMP, JPEG, TIFF, PNG, PCX).\n";
    for (const char* option : {"--help", "-h"}) {
        const Answer answer = ask({option});
        EXPECT_EQ(answer.exitCode, 0) << option;
        EXPECT_EQ(answer.output.toStdString(), help);
        EXPECT_EQ(answer.errors.toStdString(), "");
    }
    EXPECT_EQ(leftBehind(), QStringList());
}

// Qt's own options are not taken for requests: -platform offscreen starts the program without a
// display, and it claims its single instance in its runtime folder.
TEST_F(ProgramInformation, QtOptionsStillReachTheProgram) {
    QProcess program;
    start(program, {"-platform", "offscreen", HUEMARK_DATA_DIR "/Images/still-life-small.bmp"});
    ASSERT_TRUE(program.waitForStarted());
    bool claimed = false;
    for (int waited = 0; waited < waitLimitMs && !claimed; waited += 100) {
        program.waitForFinished(100);
        ASSERT_EQ(program.state(), QProcess::Running) << program.readAllStandardError().data();
        claimed = !socketsIn(runtime()).isEmpty();
    }
    EXPECT_TRUE(claimed) << "the program runs on the offscreen platform";
    program.kill();
    program.waitForFinished();
}
} // namespace
