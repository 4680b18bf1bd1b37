// A phone photo through the program: opened upright, corrected, saved in the formats that keep
// metadata, and its camera data, capture date and colour profile read back with exiv2.
#include "program_fixture.h"

#include "image_file_calls.h"
#include "image_file_commands.h"
#include "metadata_checks.h"

#include <QDir>
#include <QFile>

namespace {

constexpr int storedWidth = 64;
constexpr int storedHeight = 32;

class PictureMetadataTest : public ProgramTest {
protected:
    // A JPEG as a phone writes it: stored on its side (orientation 6) with the camera's data.
    QString phonePhoto() {
        const QString path = folder.filePath("phone.jpg");
        const std::string name = QFile::encodeName(path).toStdString();
        EXPECT_EQ(exportPicture(camera_metadata::quadrantPicture(storedWidth, storedHeight), name,
                                9u << IP_JPEG_QUALITY_SHIFT),
                  IP_OK);
        camera_metadata::addTo(name, 6, storedWidth, storedHeight);
        return path;
    }

    TfrmMDIChild* openPhonePhoto() {
        EXPECT_TRUE(OpenImageFile(*main, phonePhoto()));
        return main->activeImageWindow();
    }

    void saveWithoutAsking() {
        main->settings().local.DisplayJPEGOptions = 0;
        main->settings().local.DisplayTIFFOptions = 0;
        main->settings().local.DisplayPNGOptions = 0;
    }

    static QRgb grey(int level) { return qRgb(level, level, level); }

    QStringList entries() const {
        return QDir(folder.path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
    }
};

// Any change of pixels, as a correction makes one: the top left quarter inverted.
void correct(TfrmMDIChild& window) {
    TDIBImage& image = window.Image();
    for (int y = image.Height() / 2; y < image.Height(); ++y) {
        std::uint8_t* row = image.Bits + std::size_t(y) * image.RowStride();
        for (int x = 0; x < image.Width() / 2 * 3; ++x) {
            row[x] = std::uint8_t(255 - row[x]);
        }
    }
    window.SetSaved(false);
}

std::string nameOf(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

} // namespace

TEST_F(PictureMetadataTest, APhonePhotoOpensUprightWithItsMetadata) {
    TfrmMDIChild* window = openPhonePhoto();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->ImageWidth(), storedHeight);
    EXPECT_EQ(window->Image().Height(), storedWidth);
    // Turned clockwise: the stored bottom left corner is now the top left one.
    const auto& levels = camera_metadata::quadrantGreys;
    EXPECT_EQ(pixelAt(*window, 0, 0), grey(levels[2]));
    EXPECT_EQ(pixelAt(*window, storedHeight - 1, 0), grey(levels[0]));
    EXPECT_EQ(pixelAt(*window, 0, storedWidth - 1), grey(levels[3]));
    EXPECT_EQ(pixelAt(*window, storedHeight - 1, storedWidth - 1), grey(levels[1]));

    const camera_metadata::Found exif =
        camera_metadata::readBlock(window->Metadata.Exif.toStdString());
    EXPECT_EQ(exif.model, camera_metadata::model);
    EXPECT_EQ(exif.captureDate, camera_metadata::captureDate);
    EXPECT_EQ(exif.orientation, 1);
    EXPECT_EQ(window->Metadata.Icc.toStdString(), camera_metadata::iccProfile());
    EXPECT_TRUE(window->Metadata.Xmp.contains(camera_metadata::title.c_str()));
    EXPECT_TRUE(messages.empty());
}

TEST_F(PictureMetadataTest, ACorrectedPhotoSavedAsJpegTiffOrPngKeepsItsMetadataUpright) {
    TfrmMDIChild* window = openPhonePhoto();
    ASSERT_NE(window, nullptr);
    correct(*window);
    saveWithoutAsking();
    for (const char* name : {"saved.jpg", "saved.tif", "saved.png"}) {
        const QString target = folder.filePath(name);
        ASSERT_TRUE(SaveImageFile(*main, *window, target)) << name;

        const camera_metadata::Found found = camera_metadata::readFrom(nameOf(target));
        expectCameraDataKeptUpright(found, name);
        EXPECT_EQ(found.pixelWidth, storedHeight) << name;
        EXPECT_EQ(found.pixelHeight, storedWidth) << name;
        const Picture saved = importPicture(nameOf(target));
        EXPECT_EQ(saved.width, storedHeight) << name;
        EXPECT_EQ(saved.height, storedWidth) << name;
    }
    EXPECT_EQ(importPicture(nameOf(folder.filePath("saved.png"))),
              importPicture(nameOf(folder.filePath("saved.tif"))));
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(entries(), (QStringList{"phone.jpg", "saved.jpg", "saved.png", "saved.tif"}))
        << "no staging file is left";

    ASSERT_TRUE(OpenImageFile(*main, folder.filePath("saved.jpg")));
    TfrmMDIChild* reopened = main->activeImageWindow();
    EXPECT_EQ(reopened->ImageWidth(), storedHeight) << "upright files are not turned again";
    EXPECT_EQ(camera_metadata::readBlock(reopened->Metadata.Exif.toStdString()).captureDate,
              camera_metadata::captureDate);
    EXPECT_EQ(reopened->Metadata.Icc, window->Metadata.Icc);
}

TEST_F(PictureMetadataTest, BmpAndPcxFilesAreSavedWithoutTheMetadataTheyCannotHold) {
    TfrmMDIChild* window = openPhonePhoto();
    ASSERT_NE(window, nullptr);
    for (const char* name : {"saved.bmp", "saved.pcx"}) {
        const QString target = folder.filePath(name);
        ASSERT_TRUE(SaveImageFile(*main, *window, target)) << name;
        EXPECT_EQ(importPicture(nameOf(target)).width, storedHeight) << name;
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(PictureMetadataTest, ASaveWhoseMetadataCannotBeWrittenLeavesThePreviousFile) {
    TfrmMDIChild* window = openPhonePhoto();
    ASSERT_NE(window, nullptr);
    saveWithoutAsking();
    const QString target = folder.filePath("previous.png");
    ASSERT_TRUE(SaveImageFile(*main, *window, target));
    const std::vector<std::uint8_t> previous = fileBytes(nameOf(target));
    correct(*window);
    window->Metadata.Exif = "not a TIFF structure";

    EXPECT_FALSE(SaveImageFile(*main, *window, target));
    EXPECT_EQ(fileBytes(nameOf(target)), previous);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, resultCodeText(main->language(), IP_WRITE_FAILED));
    EXPECT_FALSE(window->Saved());
    EXPECT_EQ(entries(), (QStringList{"phone.jpg", "previous.png"})) << "no staging file is left";
}
