// The built-in examples: each is what its script compiles to, opens only pictures that ship,
// and played offscreen to its end leaves the program as the same steps done directly do.
#include "program_fixture.h"

#include "example_commands.h"
#include "example_direct_steps.h"
#include "example_player.h"
#include "example_script.h"
#include "operation_panel.h"
#include "palette_panel.h"
#include "show_codes.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

namespace {
const QString imagesFolder = QString(HUEMARK_DATA_DIR) + "/Images";
const QString scriptsFolder = QString(HUEMARK_SOURCE_DIR) + "/tools/example-scripts";
constexpr int builtInExamples = 15;

QByteArray readAll(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

ExampleScript scriptOf(int number) {
    QString error;
    const auto script = parseExampleScript(
        QString::fromUtf8(readAll(QString("%1/Example%2.txt").arg(scriptsFolder).arg(number))),
        error);
    EXPECT_TRUE(script.has_value()) << error.toStdString();
    return script.value_or(ExampleScript{});
}

QByteArray collectionOf(const ExampleScript& script) {
    return script.collectionFile.isEmpty()
               ? QByteArray()
               : readAll(QString(HUEMARK_DATA_DIR) + "/Collection/" + script.collectionFile);
}

QByteArray fileBytes(TShowList& example) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(example.Save(buffer));
    return buffer.data();
}

// What an example leaves: the pictures, the operation, the tool, the regions, the collection.
struct ProgramState {
    std::vector<QByteArray> pictures;
    std::vector<QString> regions; // per window: each region's kind and rectangle
    int operation = 0;
    int tool = 0;
    QByteArray collection;

    bool operator==(const ProgramState&) const = default;
};

ProgramState stateOf(TfrmMDIParent& main) {
    ProgramState state;
    for (const TfrmMDIChild* window : main.imageWindows()) {
        const TDIBImage& image = window->Image();
        state.pictures.emplace_back(reinterpret_cast<const char*>(image.Bits),
                                    qsizetype(image.RowStride()) * image.Height());
        QString regions;
        for (int index = 0; index < window->Regions.Count(); ++index) {
            const TRefRegion& region = *window->Regions[index];
            const QRect& r = region.Rect;
            regions += QString("%1:%2,%3,%4x%5 ")
                           .arg(int(region.Kind))
                           .arg(r.x())
                           .arg(r.y())
                           .arg(r.width())
                           .arg(r.height());
        }
        state.regions.push_back(regions);
    }
    state.operation = main.settings().config.Operation;
    state.tool = main.toolMode();
    state.collection = main.collectionBytes();
    return state;
}
// What each example is to show: the pictures on screen at its end, the operation Start ran
// with (-1: Start is not pressed), the gamma Start saw and the colours in the collection.
struct Expected {
    std::size_t pictures;
    int operation;
    double gamma;
    int collectionColours;
};
const Expected expectedEnds[builtInExamples + 1] = {
    {},
    {2, 0, 1.0, 20},  // white reference
    {2, 0, 1.0, 20},  // white and black
    {2, 0, 1.0, 20},  // grey
    {2, 0, 1.0, 20},  // a collection colour
    {2, 0, 1.0, 20},  // light and dark points
    {2, 0, 1.4, 20},  // gamma
    {2, 0, 1.0, 20},  // hatched areas
    {2, 1, 1.0, 20},  // layer correction
    {2, 2, 1.0, 20},  // layer colour replacement
    {2, 3, 1.0, 20},  // layer filling
    {2, 4, 1.0, 20},  // layer transfer
    {2, 5, 1.0, 20},  // colour filter
    {4, 0, 1.0, 20},  // Repeat: two pictures and their corrections
    {1, -1, 1.0, 21}, // a colour taken into the collection
    {3, -1, 1.0, 20}, // two halves and their panorama
};
} // namespace

TEST(BuiltInExamples, AreWhatTheirScriptsCompileTo) {
    for (int number = 1; number <= builtInExamples; ++number) {
        const ExampleScript script = scriptOf(number);
        TShowList compiled;
        compileExampleScript(script, collectionOf(script), compiled);
        const QString file = QString("%1/Example%2.shw").arg(imagesFolder).arg(number);
        EXPECT_EQ(fileBytes(compiled), readAll(file)) << "run scripts/compile-examples: " << number;
        EXPECT_EQ(script.languages.size(), 2) << number;
        for (const ExampleStep& step : script.steps) {
            if (step.kind == ExampleStep::Kind::Open) {
                EXPECT_TRUE(QFileInfo::exists(imagesFolder + "/" + step.file))
                    << number << ": " << step.file.toStdString();
            }
        }
    }
}

class BuiltInExample : public ProgramTest, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        main->settings().config.PromptToSave = 0;
        TExamplePlayer& player = main->examples().player();
        player.SetTimeScale(0);
        player.SetSpeed(20);
        player.beep = [] {};
        player.chooseLanguage = [](const TShowList&) { return 0; };
        player.askBreak = [] {
            ADD_FAILURE() << "the example asked to break off";
            return true;
        };
    }

    // The state the example starts from, as the player restores it.
    void startFrom(const ExampleScript& script) {
        main->settings().config = script.config;
        main->applyConfig();
        main->setCollectionBytes(collectionOf(script), false);
    }
};

TEST_P(BuiltInExample, PlaysToItsEndAsTheStepsDoneDirectly) {
    const int number = GetParam();
    const ExampleScript script = scriptOf(number);
    startFrom(script);
    ExampleDirectSteps direct(*main, script, imagesFolder);
    ASSERT_TRUE(direct.Run()) << "the steps done directly did not finish";
    QApplication::processEvents();
    const ProgramState expected = stateOf(*main);
    ASSERT_TRUE(main->CloseAll());
    messages.clear();

    TExamplePlayer& player = main->examples().player();
    ASSERT_EQ(
        player.Example().LoadFromFile(QString("%1/Example%2.shw").arg(imagesFolder).arg(number)),
        TShowLoadResult::Loaded);
    // A last long pause keeps the state the example's steps left until it is read.
    const int steps = player.Example().Count();
    player.Example().AddDelay(1000000);
    player.SetTimeScale(0.001);
    int startOperation = -1;
    QObject::connect(main->correction().tbStart, &QAction::triggered,
                     [&] { startOperation = main->settings().config.Operation; });
    // A correction sets the gamma back to 1: the highest value it had is the one Start used.
    double startGamma = 1.0;
    TRealEdit* gammaField = main->correction().operationPanel()->edtGamma;
    QObject::connect(gammaField, &TRealEdit::valueChanged,
                     [&] { startGamma = std::max(startGamma, double(gammaField->Value())); });
    ASSERT_TRUE(player.Start(false));
    QElapsedTimer clock;
    clock.start();
    while (player.Position() <= steps && player.Running() && clock.elapsed() < 30000) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    ASSERT_TRUE(player.Running()) << "the example ended early";
    ASSERT_GT(player.Position(), steps) << "the example did not reach its end";
    const ProgramState played = stateOf(*main);
    const int colours = main->collections().palettePanel()->List().Count();
    player.Abort();
    EXPECT_TRUE(messages.empty()) << messages.front().text.toStdString();
    EXPECT_EQ(played.pictures.size(), expected.pictures.size());
    EXPECT_EQ(played.regions, expected.regions);
    EXPECT_EQ(played.operation, expected.operation);
    EXPECT_EQ(played.tool, expected.tool);
    EXPECT_TRUE(played.collection == expected.collection) << "the collection";
    EXPECT_TRUE(played == expected) << "the example left another state than its steps";
    const Expected& end = expectedEnds[number];
    EXPECT_EQ(played.pictures.size(), end.pictures);
    if (played.pictures.size() >= 2) {
        EXPECT_NE(played.pictures.back(), played.pictures.front()) << "a changed picture";
    }
    EXPECT_EQ(startOperation, end.operation);
    EXPECT_NEAR(startGamma, end.gamma, 1e-9);
    EXPECT_EQ(colours, end.collectionColours);
}

INSTANTIATE_TEST_SUITE_P(Examples, BuiltInExample, ::testing::Range(1, builtInExamples + 1));
