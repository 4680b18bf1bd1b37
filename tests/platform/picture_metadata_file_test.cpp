// The metadata library against files made and read back with exiv2 itself, and the staging
// file that saves go through.
#include "image_file_calls.h"
#include "metadata_checks.h"

#include "platform/atomic_file.h"
#include "platform/picture_metadata_file.h"
#include "platform/staged_picture_file.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

#include <sys/stat.h>
#include <sys/wait.h>

namespace {

using platform::MetadataBlocks;

constexpr int storedWidth = 64;
constexpr int storedHeight = 32;

// A picture file of the quadrant picture with the camera's metadata, orientation `orientation`.
std::string cameraFile(const ScratchFolder& folder, const std::string& name, int orientation) {
    const std::string path = folder.file(name);
    EXPECT_EQ(exportPicture(camera_metadata::quadrantPicture(storedWidth, storedHeight), path,
                            9u << IP_JPEG_QUALITY_SHIFT),
              IP_OK);
    camera_metadata::addTo(path, orientation, storedWidth, storedHeight);
    return path;
}

MetadataBlocks cameraBlocks(const ScratchFolder& folder) {
    return platform::readPictureMetadata(cameraFile(folder, "camera.jpg", 6)).blocks;
}

std::set<std::string> namesIn(const ScratchFolder& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.file(""))) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

// Colour noise, which compresses hardly at all: the compressed data behind a file's header then
// takes several of the 256 KB chunks in which a larger or smaller header moves it.
Picture noisePicture(int width, int height) {
    Picture picture{width, height, 0, 0,
                    std::vector<std::uint8_t>(std::size_t(width) * height * 3)};
    std::mt19937 noise(3);
    for (std::uint8_t& sample : picture.bgr) {
        sample = static_cast<std::uint8_t>(noise());
    }
    return picture;
}

MetadataBlocks withProfileOf(MetadataBlocks blocks, std::size_t profileBytes) {
    blocks.icc.resize(profileBytes, '\x33');
    camera_metadata::putBigEndian(blocks.icc, 0, static_cast<std::uint32_t>(blocks.icc.size()));
    return blocks;
}

mode_t permissionsOf(const std::string& path) {
    struct stat status {};
    ::stat(path.c_str(), &status);
    return status.st_mode & 07777;
}

} // namespace

TEST(PictureMetadata, ReadsTheCamerasBlocksWithTheirOrientationAndKeepsThemUpright) {
    ScratchFolder folder;
    const platform::FileMetadata read =
        platform::readPictureMetadata(cameraFile(folder, "camera.jpg", 6));

    EXPECT_EQ(read.orientation, 6);
    EXPECT_FALSE(read.decodedUpright);
    EXPECT_EQ(read.orientationToApply(), 6);
    EXPECT_EQ(read.blocks.icc, camera_metadata::iccProfile());
    ASSERT_GE(read.blocks.exif.size(), 4u);
    EXPECT_TRUE(read.blocks.exif.starts_with(std::string("II*\0", 4)) ||
                read.blocks.exif.starts_with(std::string("MM\0*", 4)));
    const camera_metadata::Found exif = camera_metadata::readBlock(read.blocks.exif);
    EXPECT_EQ(exif.model, camera_metadata::model);
    EXPECT_EQ(exif.captureDate, camera_metadata::captureDate);
    EXPECT_EQ(exif.orientation, 1) << "the pixels are turned upright on reading";
    EXPECT_FALSE(exif.thumbnail);
    EXPECT_NE(read.blocks.xmp.find(camera_metadata::title), std::string::npos);
    EXPECT_EQ(read.blocks.xmp.find("Orientation>6<"), std::string::npos) << read.blocks.xmp;
}

TEST(PictureMetadata, TiffFilesAreTurnedUprightByTheImageFileLibraryAlready) {
    ScratchFolder folder;
    const std::string path = folder.file("camera.tif");
    ASSERT_EQ(exportPicture(camera_metadata::quadrantPicture(storedWidth, storedHeight), path),
              IP_OK);
    camera_metadata::addTo(path, 8, storedWidth, storedHeight);

    const platform::FileMetadata read = platform::readPictureMetadata(path);
    EXPECT_EQ(read.orientation, 8);
    EXPECT_TRUE(read.decodedUpright);
    EXPECT_EQ(read.orientationToApply(), 1);
    EXPECT_EQ(camera_metadata::readBlock(read.blocks.exif).model, camera_metadata::model);
    EXPECT_EQ(read.blocks.icc, camera_metadata::iccProfile());
    EXPECT_EQ(importPicture(path).width, storedHeight) << "the library turned it";
}

TEST(PictureMetadata, FilesWithoutMetadataOrThatCannotBeReadGiveEmptyBlocks) {
    ScratchFolder folder;
    const Picture picture = camera_metadata::quadrantPicture(storedWidth, storedHeight);
    for (const char* name : {"plain.bmp", "plain.pcx", "plain.tif", "plain.png", "plain.jpg"}) {
        ASSERT_EQ(exportPicture(picture, folder.file(name)), IP_OK);
        const platform::FileMetadata read = platform::readPictureMetadata(folder.file(name));
        EXPECT_TRUE(read.blocks.empty()) << name;
        EXPECT_EQ(read.orientation, 1) << name;
    }
    EXPECT_TRUE(platform::readPictureMetadata(folder.file("missing.jpg")).blocks.empty());
}

TEST(PictureMetadata, WritesTheBlocksIntoJpegTiffAndPngFilesWithoutTouchingThePixels) {
    ScratchFolder folder;
    const MetadataBlocks blocks = cameraBlocks(folder);
    const Picture upright = camera_metadata::quadrantPicture(storedHeight, storedWidth);
    for (const char* name : {"result.jpg", "result.tif", "result.png", "result.JPEG"}) {
        const std::string path = folder.file(name);
        ASSERT_EQ(exportPicture(upright, path, 9u << IP_JPEG_QUALITY_SHIFT), IP_OK);
        const Picture before = importPicture(path);

        ASSERT_TRUE(platform::writePictureMetadata(path, blocks)) << name;

        const camera_metadata::Found found = camera_metadata::readFrom(path);
        expectCameraDataKeptUpright(found, name);
        EXPECT_EQ(found.pixelWidth, storedHeight) << name << ": the sizes of the written file";
        EXPECT_EQ(found.pixelHeight, storedWidth) << name;
        EXPECT_EQ(importPicture(path), before) << name;
        EXPECT_EQ(platform::readPictureMetadata(path).blocks.icc, blocks.icc) << name;
    }
}

TEST(PictureMetadata, AJpegWhoseHeaderIsLargerThanTheFirst64KbIsWrittenWhole) {
    ScratchFolder folder;
    MetadataBlocks large = withProfileOf(cameraBlocks(folder), 200 * 1024);
    const std::string path = folder.file("large.jpg");
    ASSERT_EQ(exportPicture(camera_metadata::quadrantPicture(storedWidth, storedHeight), path),
              IP_OK);
    const Picture before = importPicture(path);
    ASSERT_TRUE(platform::writePictureMetadata(path, large));
    large.icc[200] = '\x44';
    ASSERT_TRUE(platform::writePictureMetadata(path, large)) << "into a header beyond 64 KB";

    EXPECT_EQ(camera_metadata::readFrom(path).icc, large.icc);
    EXPECT_EQ(camera_metadata::readFrom(path).model, camera_metadata::model);
    EXPECT_EQ(importPicture(path), before);
}

TEST(PictureMetadata, ALargerOrSmallerHeaderMovesTheCompressedDataBehindItWhole) {
    ScratchFolder folder;
    const MetadataBlocks small = cameraBlocks(folder);
    const MetadataBlocks large = withProfileOf(small, 40 * 1024);
    for (const char* name : {"noise.jpg", "noise.png"}) {
        const std::string path = folder.file(name);
        const std::string fresh = folder.file(std::string("fresh-") + name);
        ASSERT_EQ(exportPicture(noisePicture(1000, 1000), path, 9u << IP_JPEG_QUALITY_SHIFT),
                  IP_OK);
        ASSERT_GT(std::filesystem::file_size(path), std::uintmax_t{600} << 10) << name;
        std::filesystem::copy_file(path, fresh);
        const Picture before = importPicture(path);

        ASSERT_TRUE(platform::writePictureMetadata(path, large)) << name;
        EXPECT_EQ(importPicture(path), before) << name;
        EXPECT_EQ(camera_metadata::readFrom(path).icc, large.icc) << name;

        ASSERT_TRUE(platform::writePictureMetadata(path, small)) << name;
        ASSERT_TRUE(platform::writePictureMetadata(fresh, small)) << name;
        EXPECT_EQ(fileBytes(path), fileBytes(fresh))
            << name << ": the same file as the smaller header written into the picture at once";
    }
}

TEST(PictureMetadata, AnExifBlockThatIsNoTiffStructureOrAFileThatIsNoPictureFailsTheWrite) {
    ScratchFolder folder;
    const std::string path = folder.file("result.jpg");
    ASSERT_EQ(exportPicture(camera_metadata::quadrantPicture(storedWidth, storedHeight), path),
              IP_OK);
    EXPECT_FALSE(platform::writePictureMetadata(path, {"not a TIFF structure", {}, {}}));
    EXPECT_FALSE(platform::writePictureMetadata(folder.file("missing.jpg"), cameraBlocks(folder)));
    writeFile(folder.file("text.png"), {'t', 'e', 'x', 't'});
    EXPECT_FALSE(platform::writePictureMetadata(folder.file("text.png"), cameraBlocks(folder)));
}

TEST(PictureMetadata, OnlyJpegTiffAndPngFilesHoldMetadata) {
    for (const char* name :
         {"a.jpg", "a.jpeg", "a.JPEG", "a.jpe", "dir.x/a.tif", "a.tiff", "a.TIFF", "a.png"}) {
        EXPECT_TRUE(platform::formatHoldsMetadata(name)) << name;
    }
    for (const char* name : {"a.bmp", "a.pcx", "a", "dir.jpg/a", "a.gif"}) {
        EXPECT_FALSE(platform::formatHoldsMetadata(name)) << name;
    }
}

TEST(StagedPictureFile, StagesBesideTheTargetWithItsExtensionAndTakesItsPermissions) {
    ScratchFolder folder;
    const std::string target = folder.file("photo.JPG");
    writeFile(target, {'o', 'l', 'd'});
    ::chmod(target.c_str(), 0640);
    {
        platform::StagedPictureFile staged(target);
        ASSERT_TRUE(staged.create());
        const std::filesystem::path path(staged.path());
        EXPECT_EQ(path.parent_path(), std::filesystem::path(target).parent_path());
        EXPECT_TRUE(
            path.filename().string().starts_with(".photo.JPG." + std::to_string(::getpid())));
        EXPECT_EQ(path.extension(), ".JPG");
        EXPECT_FALSE(std::filesystem::exists(path)) << "the writer makes the file";
        writeFile(staged.path(), {'h', 'a', 'l', 'f'});
    }
    EXPECT_EQ(namesIn(folder), std::set<std::string>{"photo.JPG"}) << "uncommitted: removed";
    EXPECT_EQ(fileBytes(target), (std::vector<std::uint8_t>{'o', 'l', 'd'}));

    platform::StagedPictureFile staged(target);
    ASSERT_TRUE(staged.create());
    writeFile(staged.path(), {'n', 'e', 'w'});
    ::chmod(staged.path().c_str(), 0600);
    ASSERT_TRUE(staged.commit());
    EXPECT_EQ(fileBytes(target), (std::vector<std::uint8_t>{'n', 'e', 'w'}));
    EXPECT_EQ(permissionsOf(target), 0640u);
    EXPECT_EQ(namesIn(folder), std::set<std::string>{"photo.JPG"});

    platform::StagedPictureFile missingFolder(folder.file("no/such/folder/photo.jpg"));
    EXPECT_FALSE(missingFolder.create());
}

TEST(StagedPictureFile, ADeadWritersStagingFilesAndTheLibrarysFilesOfThemCanBeRemoved) {
    ScratchFolder folder;
    const std::string target = folder.file("a photo taken at dusk on the dune.jpeg");
    writeFile(target, {'o', 'l', 'd'});
    writeFile(folder.file(".a photo ta.1.abcdef.jpeg"), {'x'});
    const pid_t writer = ::fork();
    if (writer == 0) {
        // Dies in the middle of two saves: one with its staging file written and the library's
        // next file of it open, one with the library's first file of it open.
        platform::StagedPictureFile written(target);
        platform::StagedPictureFile begun(target);
        const bool created = written.create() && begun.create();
        writeFile(written.path(), {'p', 'i', 'x'});
        platform::AtomicFile next(written.path());
        platform::AtomicFile first(begun.path());
        ::_exit(created && next.open() >= 0 && first.open() >= 0 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(writer, &status, 0), writer);
    ASSERT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(namesIn(folder).size(), 5u);

    EXPECT_EQ(platform::StagedPictureFile::removeLeftovers(target, writer), 3);
    EXPECT_EQ(namesIn(folder), (std::set<std::string>{"a photo taken at dusk on the dune.jpeg",
                                                      ".a photo ta.1.abcdef.jpeg"}))
        << "the target and another process's file stay";
}
