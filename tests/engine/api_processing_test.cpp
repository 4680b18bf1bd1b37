// Repeats, processing files and presets through the exported interface. Each test loads its
// own copy of the library, so it starts with empty slots and no preset.
#include "fresh_library.h"
#include "layer_params.h"

#include "platform/memory_block.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;

class TempFolder {
public:
    TempFolder() {
        path_ = fs::temp_directory_path() /
                ("tintworks-files-" + std::to_string(::getpid()) + "-" + std::to_string(serial_++));
        fs::create_directories(path_);
    }
    ~TempFolder() { fs::remove_all(path_); }
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    std::size_t entries() const {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(path_), fs::directory_iterator()));
    }

private:
    static inline int serial_ = 0;
    fs::path path_;
};

std::vector<std::uint8_t> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// A picture, its samples and a reference area, and one run of each operation type.
struct Scene {
    TestImage image{16, 12};
    std::vector<TRefArea> areas;
    std::vector<TLayerSample> samples;

    explicit Scene(std::uint32_t seed = 11) {
        image.randomize(seed, 20, 60);
        image.fillRect(0, 0, 4, 4, bgr(200, 190, 180));
        areas = {refArea(0, 0, 4, 4, TWK_REF_WHITE), refArea(6, 6, 9, 9, TWK_REF_COLOR)};
        samples = {layerSample(image, 6, 6, 9, 9, 10), layerSample(image, 10, 2, 12, 3, 5)};
    }

    int run(FreshLibrary& lib, int type, void* dest) {
        if (type <= TWK_OP_LAYER_CORRECTION) {
            TCorrectionParams p = correctionParams(image, dest, areas);
            p.Samples = samples.data();
            p.SampleCount = static_cast<int32_t>(samples.size());
            p.Gamma = 1.4;
            return lib.doOperation(type, &p, nullptr);
        }
        TLayerParams p = withColor(layerParams(image, dest, samples), bgr(20, 30, 250));
        if (type == TWK_OP_COLOR_FILTER) {
            p.Value.Passes = 2;
        }
        return lib.doOperation(type, &p, nullptr);
    }
};

std::vector<std::uint8_t> replayed(FreshLibrary& lib, int type, TestImage& target) {
    TestImage dest(target.width(), target.height());
    TRepeatParams r{sizeof(TRepeatParams), target.desc(), dest.data(), nullptr};
    EXPECT_EQ(lib.doRepeated(type, &r, nullptr), TWK_OK) << type;
    return dest.bytes();
}

// A fresh library, a scene to run operations on, a destination and a folder for files.
class SceneTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(lib.loaded()); }

    FreshLibrary lib;
    Scene scene;
    TestImage dest{16, 12};
    TempFolder folder;
};
using PresetWithScene = SceneTest;
using ProcessingFileWithScene = SceneTest;

} // namespace

TEST(Repeat, NothingToRepeatOrSaveAfterLoad) {
    FreshLibrary lib;
    ASSERT_TRUE(lib.loaded());
    TestImage image(2, 2);
    TRepeatParams r{sizeof(TRepeatParams), image.desc(), image.data(), nullptr};
    TempFolder folder;
    for (int type = 0; type <= 5; ++type) {
        EXPECT_EQ(lib.doRepeated(type, &r, nullptr), TWK_NOT_AVAILABLE);
        EXPECT_EQ(lib.saveLast(folder.file("x.prs").c_str(), type), TWK_NOT_AVAILABLE);
    }
    EXPECT_EQ(lib.doRepeated(6, &r, nullptr), TWK_INVALID_PARAMS);
    EXPECT_EQ(lib.saveLast(folder.file("x.prs").c_str(), -1), TWK_INVALID_PARAMS);
    EXPECT_EQ(folder.entries(), 0u);
}

TEST(Repeat, ReplaysEqualTheOperationOnTheSamePictureAndWorkOnOthers) {
    FreshLibrary lib;
    ASSERT_TRUE(lib.loaded());
    for (int type = 0; type <= 5; ++type) {
        SCOPED_TRACE(type);
        Scene scene;
        TestImage direct(16, 12);
        ASSERT_EQ(scene.run(lib, type, direct.data()), TWK_OK);
        EXPECT_EQ(replayed(lib, type, scene.image), direct.bytes());

        // On another picture, the layer operations find their layer with the stored boxes:
        // the same as running them there with samples taken from the first picture.
        Scene other(99);
        if (type >= TWK_OP_LAYER_REPLACE_COLOR) {
            const std::vector<std::uint8_t> repeat = replayed(lib, type, other.image);
            TestImage dest(16, 12);
            TLayerParams p =
                withColor(layerParams(other.image, dest.data(), scene.samples), bgr(20, 30, 250));
            if (type == TWK_OP_COLOR_FILTER) {
                p.Value.Passes = 2;
            }
            ASSERT_EQ(lib.doOperation(type, &p, nullptr), TWK_OK);
            EXPECT_EQ(repeat, dest.bytes());
        }
    }
}

TEST(Repeat, LayerCorrectionWithoutMatchingPixelsCopiesThePicture) {
    FreshLibrary lib;
    ASSERT_TRUE(lib.loaded());
    Scene scene;
    TestImage dest(16, 12);
    ASSERT_EQ(scene.run(lib, TWK_OP_LAYER_CORRECTION, dest.data()), TWK_OK);
    TestImage green(16, 12);
    green.fill(bgr(0, 255, 0));
    EXPECT_EQ(replayed(lib, TWK_OP_LAYER_CORRECTION, green), green.bytes());
}

TEST(Repeat, BadRecordsAndReplaysLeaveTheSlotsAlone) {
    FreshLibrary lib;
    ASSERT_TRUE(lib.loaded());
    Scene scene;
    TestImage dest(16, 12);
    ASSERT_EQ(scene.run(lib, TWK_OP_IMAGE_CORRECTION, dest.data()), TWK_OK);
    EXPECT_EQ(lib.doRepeated(0, nullptr, nullptr), TWK_INVALID_PARAMS);
    TRepeatParams bad{sizeof(TRepeatParams), scene.image.desc(), dest.data(), nullptr};
    bad.Image.BytesPerPixel = 2;
    EXPECT_EQ(lib.doRepeated(0, &bad, nullptr), TWK_INVALID_PARAMS);
    bad.Image = scene.image.desc();
    bad.Dest = nullptr;
    EXPECT_EQ(lib.doRepeated(0, &bad, nullptr), TWK_INVALID_PARAMS);

    TempFolder folder;
    ASSERT_EQ(lib.saveLast(folder.file("before.prs").c_str(), 0), TWK_OK);
    TestImage other(16, 12);
    other.randomize(5);
    replayed(lib, 0, other);
    ASSERT_EQ(lib.saveLast(folder.file("after.prs").c_str(), 0), TWK_OK);
    EXPECT_EQ(readBytes(folder.file("before.prs")), readBytes(folder.file("after.prs")));
}

TEST_F(ProcessingFileWithScene, SizesAndHeader) {
    ASSERT_EQ(scene.run(lib, TWK_OP_IMAGE_CORRECTION, dest.data()), TWK_OK);
    ASSERT_EQ(lib.saveLast(folder.file("c.prs").c_str(), 0), TWK_OK);
    const std::vector<std::uint8_t> c = readBytes(folder.file("c.prs"));
    EXPECT_EQ(c.size(), 1052u);
    EXPECT_EQ(std::string(c.begin(), c.begin() + 9), std::string("HMPRESET\0", 9));
    EXPECT_EQ(c[12], 1) << "version 1";
    EXPECT_EQ(c[16], 0) << "type 0";
    double gamma = 0;
    std::memcpy(&gamma, c.data() + 20 + 1024, 8);
    EXPECT_EQ(gamma, 1.4);

    ASSERT_EQ(scene.run(lib, TWK_OP_LAYER_CORRECTION, dest.data()), TWK_OK);
    ASSERT_EQ(lib.saveLast(folder.file("l.prs").c_str(), 1), TWK_OK);
    const std::vector<std::uint8_t> l = readBytes(folder.file("l.prs"));
    EXPECT_EQ(l.size(), 1080u) << "two samples: 20 + 1024 + 8 + 4 + 24";
    EXPECT_EQ(l[16], 1);
    EXPECT_EQ(l[20 + 1032], 2) << "count";
    EXPECT_EQ(folder.entries(), 2u) << "no temporary files are left";
}

TEST(ProcessingFile, OneMarkedPixelBoxAsStored) {
    FreshLibrary lib;
    ASSERT_TRUE(lib.loaded());
    TestImage image(1, 1);
    image.set(0, 0, bgr(50, 60, 70));
    std::vector<TLayerSample> marked = {layerSample(image, 0, 0, 1, 1, 0)};
    TLayerParams p = withPasses(layerParams(image, image.data(), marked), 3);
    ASSERT_EQ(lib.doOperation(TWK_OP_COLOR_FILTER, &p, nullptr), TWK_OK);
    TempFolder folder;
    ASSERT_EQ(lib.saveLast(folder.file("f.prs").c_str(), 5), TWK_OK);
    const std::vector<std::uint8_t> f = readBytes(folder.file("f.prs"));
    ASSERT_EQ(f.size(), 20u + 4 + 4 + 12);
    std::int32_t passes = 0;
    std::int32_t count = 0;
    std::uint16_t box[6];
    std::memcpy(&passes, f.data() + 20, 4);
    std::memcpy(&count, f.data() + 24, 4);
    std::memcpy(box, f.data() + 28, 12);
    EXPECT_EQ(passes, 3);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(std::vector<std::uint16_t>(box, box + 6),
              (std::vector<std::uint16_t>{117, 217, 83, 183, 70, 71}));
}

TEST(ProcessingFile, RoundTripsReplayAlike) {
    for (int type = 0; type <= 5; ++type) {
        SCOPED_TRACE(type);
        TempFolder folder;
        const std::string path = folder.file("p.prs");
        Scene scene;
        std::vector<std::uint8_t> original;
        {
            FreshLibrary lib;
            ASSERT_TRUE(lib.loaded());
            TestImage dest(16, 12);
            ASSERT_EQ(scene.run(lib, type, dest.data()), TWK_OK);
            ASSERT_EQ(lib.saveLast(path.c_str(), type), TWK_OK);
            original = dest.bytes();
        }
        FreshLibrary lib;
        ASSERT_TRUE(lib.loaded());
        int32_t loadedType = -1;
        ASSERT_EQ(lib.loadLast(path.c_str(), &loadedType), TWK_OK);
        EXPECT_EQ(loadedType, type);
        for (int other = 0; other <= 5; ++other) {
            EXPECT_EQ(lib.isAvailable(other), other == type ? -1 : 0) << "a load fills one slot";
        }
        EXPECT_EQ(replayed(lib, type, scene.image), original);
        ASSERT_EQ(lib.saveLast(folder.file("again.prs").c_str(), type), TWK_OK);
        EXPECT_EQ(readBytes(folder.file("again.prs")), readBytes(path));
    }
}

TEST_F(ProcessingFileWithScene, LoadReplacesExactlyTheSlotOfItsType) {
    ASSERT_EQ(scene.run(lib, TWK_OP_LAYER_FILL, dest.data()), TWK_OK);
    ASSERT_EQ(lib.saveLast(folder.file("fill.prs").c_str(), 3), TWK_OK);
    for (int type : {2, 3, 4}) {
        ASSERT_EQ(scene.run(lib, type, dest.data()), TWK_OK);
    }
    ASSERT_EQ(lib.saveLast(folder.file("slot2.prs").c_str(), 2), TWK_OK);
    ASSERT_EQ(lib.saveLast(folder.file("slot4.prs").c_str(), 4), TWK_OK);
    int32_t type = -1;
    ASSERT_EQ(lib.loadLast(folder.file("fill.prs").c_str(), &type), TWK_OK);
    EXPECT_EQ(type, 3);
    ASSERT_EQ(lib.saveLast(folder.file("slot2-after.prs").c_str(), 2), TWK_OK);
    ASSERT_EQ(lib.saveLast(folder.file("slot4-after.prs").c_str(), 4), TWK_OK);
    EXPECT_EQ(readBytes(folder.file("slot2.prs")), readBytes(folder.file("slot2-after.prs")));
    EXPECT_EQ(readBytes(folder.file("slot4.prs")), readBytes(folder.file("slot4-after.prs")));
}

TEST_F(ProcessingFileWithScene, DamagedFilesAreRefusedAndChangeNothing) {
    ASSERT_EQ(scene.run(lib, TWK_OP_LAYER_CORRECTION, dest.data()), TWK_OK);
    const std::string good = folder.file("good.prs");
    ASSERT_EQ(lib.saveLast(good.c_str(), 1), TWK_OK);
    const std::vector<std::uint8_t> bytes = readBytes(good);

    auto patched = [&](std::size_t at, std::vector<std::uint8_t> with) {
        std::vector<std::uint8_t> b = bytes;
        std::copy(with.begin(), with.end(), b.begin() + static_cast<std::ptrdiff_t>(at));
        return b;
    };
    auto cut = [&](std::size_t size) {
        return std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + size);
    };
    const std::vector<std::pair<std::vector<std::uint8_t>, int>> damaged = {
        {patched(8, {'X'}), TWK_NOT_PROCESSING}, // no zero after the signature
        {patched(0, {'h'}), TWK_NOT_PROCESSING},
        {patched(16, {6}), TWK_NOT_PROCESSING}, // unknown type
        {patched(16, {0xFF, 0xFF, 0xFF, 0xFF}), TWK_NOT_PROCESSING},
        {cut(0), TWK_FILE_READ_ERROR},
        {cut(19), TWK_FILE_READ_ERROR},                                 // short header
        {cut(20 + 1024), TWK_FILE_READ_ERROR},                          // no gamma
        {cut(bytes.size() - 1), TWK_FILE_READ_ERROR},                   // last box cut
        {patched(1052, {0xFF, 0xFF, 0xFF, 0xFF}), TWK_FILE_READ_ERROR}, // count -1
        {patched(1052, {0x00, 0x00, 0x00, 0x80}), TWK_FILE_READ_ERROR}, // count -2^31
        {patched(1052, {0xFF, 0xFF, 0xFF, 0x7F}), TWK_FILE_READ_ERROR}, // count beyond the file
        {patched(1052, {3, 0, 0, 0}), TWK_FILE_READ_ERROR},             // one box more than stored
    };
    // Fill slot 1 with something else, to see that failed loads keep it.
    Scene other(3);
    ASSERT_EQ(other.run(lib, TWK_OP_LAYER_CORRECTION, dest.data()), TWK_OK);
    ASSERT_EQ(lib.saveLast(folder.file("kept.prs").c_str(), 1), TWK_OK);
    for (std::size_t i = 0; i < damaged.size(); ++i) {
        const std::string path = folder.file("bad" + std::to_string(i) + ".prs");
        writeBytes(path, damaged[i].first);
        int32_t type = 42;
        EXPECT_EQ(lib.loadLast(path.c_str(), &type), damaged[i].second) << "case " << i;
        if (damaged[i].second == TWK_NOT_PROCESSING || damaged[i].first.size() < 20) {
            EXPECT_EQ(type, 42) << "the type is written once it is known, case " << i;
        }
        EXPECT_EQ(lib.setPresetFile(path.c_str()), damaged[i].second) << "case " << i;
    }
    EXPECT_EQ(lib.loadLast(folder.file("missing.prs").c_str(), nullptr), TWK_FILE_READ_ERROR);
    EXPECT_EQ(lib.loadLast(folder.file("").c_str(), nullptr), TWK_FILE_READ_ERROR) << "a folder";
    EXPECT_EQ(lib.loadLast(nullptr, nullptr), TWK_FILE_READ_ERROR);
    const std::string pipe = folder.file("pipe");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(lib.loadLast(pipe.c_str(), nullptr), TWK_FILE_READ_ERROR)
        << "a pipe does not hang the call";

    ASSERT_EQ(lib.saveLast(folder.file("kept-after.prs").c_str(), 1), TWK_OK);
    EXPECT_EQ(readBytes(folder.file("kept.prs")), readBytes(folder.file("kept-after.prs")));
}

TEST_F(ProcessingFileWithScene, AFailedSaveKeepsThePreviousFile) {
    const std::string path = folder.file("kept.prs");
    ASSERT_EQ(scene.run(lib, TWK_OP_LAYER_CORRECTION, dest.data()), TWK_OK);
    ASSERT_EQ(lib.saveLast(path.c_str(), 1), TWK_OK);
    const std::vector<std::uint8_t> before = readBytes(path);
    ASSERT_EQ(scene.run(lib, TWK_OP_IMAGE_CORRECTION, dest.data()), TWK_OK);

    // In a child process whose files may not grow past 100 bytes, the write fails.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{100, 100};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::_exit(lib.saveLast(path.c_str(), 0));
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), TWK_FILE_WRITE_ERROR);
    EXPECT_EQ(readBytes(path), before);
    EXPECT_EQ(folder.entries(), 1u) << "the temporary file is removed";

    fs::create_directory(folder.file("a-folder"));
    EXPECT_EQ(lib.saveLast(folder.file("a-folder").c_str(), 0), TWK_FILE_WRITE_ERROR);
    EXPECT_EQ(lib.saveLast(folder.file("no/such/folder.prs").c_str(), 0), TWK_FILE_WRITE_ERROR);
    EXPECT_EQ(lib.saveLast(nullptr, 0), TWK_FILE_WRITE_ERROR);
    EXPECT_EQ(folder.entries(), 2u);
}

namespace {

// A packed bottom-up 24-bit bitmap in a movable block: header, then rows.
platform::MemHandle bitmapBlock(TestImage& picture, std::uint16_t bitCount = 24,
                                int headerHeight = 0) {
    const std::uint32_t headerSize = 40;
    const std::size_t bytes = picture.bytes().size();
    platform::MemHandle block = platform::memAlloc(headerSize + bytes, platform::MemZeroInit);
    auto* data = static_cast<std::uint8_t*>(platform::memLock(block));
    const std::int32_t width = picture.width();
    const std::int32_t height = headerHeight != 0 ? headerHeight : picture.height();
    std::memcpy(data, &headerSize, 4);
    std::memcpy(data + 4, &width, 4);
    std::memcpy(data + 8, &height, 4);
    const std::uint16_t planes = 1;
    std::memcpy(data + 12, &planes, 2);
    std::memcpy(data + 14, &bitCount, 2);
    std::memcpy(data + headerSize, picture.bytes().data(), bytes);
    platform::memUnlock(block);
    return block;
}

std::vector<std::uint8_t> rowsOf(platform::MemHandle block) {
    const auto* data = static_cast<const std::uint8_t*>(platform::memLock(block));
    std::vector<std::uint8_t> rows(data + 40, data + platform::memSize(block));
    platform::memUnlock(block);
    return rows;
}

} // namespace

TEST_F(PresetWithScene, AppliesInPlaceToBitmapsInMemoryBlocks) {
    ASSERT_EQ(scene.run(lib, TWK_OP_IMAGE_CORRECTION, dest.data()), TWK_OK);
    ASSERT_EQ(lib.saveLast(folder.file("c.prs").c_str(), 0), TWK_OK);

    TestImage picture(16, 12);
    picture.randomize(21);
    platform::MemHandle block = bitmapBlock(picture);
    EXPECT_EQ(lib.applyPreset(block), TWK_NO_PRESET);
    ASSERT_EQ(lib.setPresetFile(folder.file("c.prs").c_str()), TWK_OK);
    EXPECT_EQ(lib.applyPreset(block), TWK_OK);
    EXPECT_EQ(platform::memLockCount(block), 0u);
    EXPECT_EQ(rowsOf(block), replayed(lib, 0, picture)) << "the same as repeating slot 0";

    EXPECT_EQ(lib.applyPreset(nullptr), TWK_INVALID_PARAMS);
    platform::MemHandle eightBit = bitmapBlock(picture, 8);
    const std::vector<std::uint8_t> eightBefore = rowsOf(eightBit);
    EXPECT_EQ(lib.applyPreset(eightBit), TWK_INVALID_PARAMS);
    EXPECT_EQ(platform::memLockCount(eightBit), 0u) << "unlocked again after the refusal";
    EXPECT_EQ(rowsOf(eightBit), eightBefore);
    platform::MemHandle topDown = bitmapBlock(picture, 24, -12);
    const std::vector<std::uint8_t> topDownBefore = rowsOf(topDown);
    EXPECT_EQ(lib.applyPreset(topDown), TWK_OK);
    EXPECT_EQ(rowsOf(topDown), topDownBefore) << "a negative height has no rows to process";
    platform::MemHandle tooTall = bitmapBlock(picture, 24, 13);
    EXPECT_EQ(lib.applyPreset(tooTall), TWK_INVALID_PARAMS) << "more rows than the block holds";
    platform::MemHandle tiny = platform::memAlloc(10, platform::MemZeroInit);
    EXPECT_EQ(lib.applyPreset(tiny), TWK_INVALID_PARAMS);
    for (platform::MemHandle h : {block, eightBit, topDown, tooTall, tiny}) {
        EXPECT_EQ(platform::memLockCount(h), 0u);
        platform::memFree(h);
    }

    for (int type = 1; type <= 5; ++type) {
        EXPECT_EQ(lib.isAvailable(type), 0) << "presets do not touch the slots";
    }
    EXPECT_EQ(lib.setPresetFile(folder.file("missing.prs").c_str()), TWK_FILE_READ_ERROR);
    platform::MemHandle again = bitmapBlock(picture);
    EXPECT_EQ(lib.applyPreset(again), TWK_NO_PRESET) << "a failed load leaves no preset";
    platform::memFree(again);
}

namespace {

// A processing file of `type` with the given body after its header.
std::vector<std::uint8_t> processingFile(std::uint8_t type, const std::vector<std::uint8_t>& body) {
    std::vector<std::uint8_t> file = {'H', 'M', 'P', 'R', 'E', 'S', 'E',  'T', 0, 0,
                                      0,   0,   1,   0,   0,   0,   type, 0,   0, 0};
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

std::vector<std::uint8_t> bytesOf(auto value) {
    std::vector<std::uint8_t> bytes(sizeof value);
    std::memcpy(bytes.data(), &value, sizeof value);
    return bytes;
}

} // namespace

TEST(ProcessingFile, ValuesNoProgramWritesAreRefusedBeforeAnyReplay) {
    FreshLibrary lib;
    ASSERT_TRUE(lib.loaded());
    TempFolder folder;
    std::vector<std::uint8_t> box = bytesOf(std::int32_t{1});
    box.resize(box.size() + 12, 0x10);
    auto filter = [&](std::int32_t passes) {
        std::vector<std::uint8_t> body = bytesOf(passes);
        body.insert(body.end(), box.begin(), box.end());
        return processingFile(5, body);
    };
    auto correction = [&](double gamma) {
        std::vector<std::uint8_t> body(1024);
        for (std::size_t i = 0; i < body.size(); ++i) {
            body[i] = static_cast<std::uint8_t>(i);
        }
        const std::vector<std::uint8_t> g = bytesOf(gamma);
        body.insert(body.end(), g.begin(), g.end());
        return processingFile(0, body);
    };
    const std::vector<std::pair<std::vector<std::uint8_t>, int>> cases = {
        {filter(1), TWK_OK},
        {filter(TWK_MAX_FILE_PASSES), TWK_OK},
        {filter(TWK_MAX_FILE_PASSES + 1), TWK_FILE_READ_ERROR},
        {filter(0x7FFFFFFF), TWK_FILE_READ_ERROR},
        {filter(-1), TWK_FILE_READ_ERROR},
        {correction(1.4), TWK_OK},
        {correction(std::numeric_limits<double>::quiet_NaN()), TWK_FILE_READ_ERROR},
        {correction(std::numeric_limits<double>::infinity()), TWK_FILE_READ_ERROR},
        {correction(-std::numeric_limits<double>::infinity()), TWK_FILE_READ_ERROR},
        {correction(0.0), TWK_FILE_READ_ERROR},
        {correction(-2.0), TWK_FILE_READ_ERROR},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const std::string path = folder.file("case" + std::to_string(i) + ".prs");
        writeBytes(path, cases[i].first);
        EXPECT_EQ(lib.loadLast(path.c_str(), nullptr), cases[i].second) << "case " << i;
        EXPECT_EQ(lib.setPresetFile(path.c_str()), cases[i].second) << "case " << i;
    }
}

TEST(ProcessingFile, AFilterOfNoPassesReplaysAsNothing) {
    FreshLibrary lib;
    ASSERT_TRUE(lib.loaded());
    TempFolder folder;
    std::vector<std::uint8_t> file = {'H', 'M', 'P', 'R', 'E', 'S', 'E', 'T', 0, 0,
                                      0,   0,   1,   0,   0,   0,   5,   0,   0, 0};
    file.resize(file.size() + 8, 0); // no passes, no boxes
    writeBytes(folder.file("none.prs"), file);
    ASSERT_EQ(lib.loadLast(folder.file("none.prs").c_str(), nullptr), TWK_OK);
    TestImage image(3, 3);
    image.randomize(2);
    TestImage dest(3, 3);
    dest.fill(bgr(6, 6, 6));
    const std::vector<std::uint8_t> before = dest.bytes();
    TRepeatParams r{sizeof(TRepeatParams), image.desc(), dest.data(), nullptr};
    EXPECT_EQ(lib.doRepeated(TWK_OP_COLOR_FILTER, &r, nullptr), TWK_OK);
    EXPECT_EQ(dest.bytes(), before);
}
