// The program's file types as a desktop sees them once installed: the MIME database built from
// the shipped definitions by update-mime-database tells the program's files by their signature,
// and the desktop entry and the software centre's description name every type the program opens.
#include <QDir>
#include <QFile>
#include <QMimeDatabase>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

namespace {
const QString processingType = "application/x-huemark-processing";
const QString collectionType = "application/x-huemark-collection";
const QString exampleType = "application/x-huemark-example";
const QString desktopFolder = HUEMARK_SOURCE_DIR "/data/desktop";
const QString processingCorpus = HUEMARK_SOURCE_DIR "/fuzz/corpus/processing_file";

QByteArray contentOf(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

// Every value of `attribute` on the elements `element` of an XML file.
QStringList attributeValues(const QString& path, const QString& element, const QString& attribute) {
    QXmlStreamReader reader(contentOf(path));
    QStringList values;
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement && reader.name() == element) {
            values << reader.attributes().value(attribute).toString();
        }
    }
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
    return values;
}

// The texts of the elements `element` of an XML file.
QStringList elementTexts(const QString& path, const QString& element) {
    QXmlStreamReader reader(contentOf(path));
    QStringList texts;
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement && reader.name() == element) {
            texts << reader.readElementText();
        }
    }
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
    return texts;
}

QStringList desktopEntryTypes() {
    const QString entry = QString::fromUtf8(contentOf(desktopFolder + "/huemark.desktop"));
    const QRegularExpressionMatch line =
        QRegularExpression("^MimeType=(.*)$", QRegularExpression::MultilineOption).match(entry);
    EXPECT_TRUE(line.hasMatch());
    return line.captured(1).split(';', Qt::SkipEmptyParts);
}

QSet<QString> asSet(const QStringList& list) {
    return {list.begin(), list.end()};
}

// A private data folder holding the program's MIME definitions as they are installed, with the
// database update-mime-database builds from them; the system's types stay behind it.
class MimeTypes : public testing::Test {
protected:
    static void SetUpTestSuite() {
        home_ = new QTemporaryDir;
        const QString mime = home_->filePath("mime");
        ASSERT_TRUE(QDir().mkpath(mime + "/packages"));
        ASSERT_TRUE(
            QFile::copy(desktopFolder + "/huemark-mime.xml", mime + "/packages/huemark.xml"));
        ASSERT_EQ(QProcess::execute(UPDATE_MIME_DATABASE, {mime}), 0);
        ASSERT_TRUE(QFile::exists(mime + "/mime.cache"));
        qputenv("XDG_DATA_HOME", home_->path().toLocal8Bit());
    }

    static void TearDownTestSuite() { delete home_; }

    static QString typeOfContent(const QByteArray& content) {
        return QMimeDatabase().mimeTypeForData(content).name();
    }

    QMimeDatabase database_;

private:
    static inline QTemporaryDir* home_ = nullptr;
};

TEST_F(MimeTypes, ShippedAndWrittenFilesAreKnownByTheirContent) {
    EXPECT_EQ(typeOfContent(contentOf(HUEMARK_SOURCE_DIR "/data/Collection/Standard.col")),
              collectionType);
    for (int number = 1; number <= 15; ++number) {
        const QString example =
            QString(HUEMARK_SOURCE_DIR "/data/Images/Example%1.shw").arg(number);
        EXPECT_EQ(typeOfContent(contentOf(example)), exampleType) << example.toStdString();
    }
    for (const char* name :
         {"type0-identity", "type1-two-boxes", "type3-fill", "type4-transfer", "type5-filter"}) {
        EXPECT_EQ(typeOfContent(contentOf(processingCorpus + "/" + name)), processingType) << name;
    }
}

// A file manager meets files without an extension too: their content decides.
TEST_F(MimeTypes, AFileWithoutExtensionIsKnownByItsSignature) {
    EXPECT_EQ(database_.mimeTypeForFile(processingCorpus + "/type0-identity").name(),
              processingType);
}

TEST_F(MimeTypes, TheExtensionsNameTheTypes) {
    EXPECT_EQ(database_.mimeTypeForFile("x.prs", QMimeDatabase::MatchExtension).name(),
              processingType);
    EXPECT_EQ(database_.mimeTypeForFile("x.col", QMimeDatabase::MatchExtension).name(),
              collectionType);
    EXPECT_EQ(database_.mimeTypeForFile("x.shw", QMimeDatabase::MatchExtension).name(),
              exampleType);
}

// A processing file's signature ends with its zero byte; a shorter or other beginning is not one
// of the program's files.
TEST_F(MimeTypes, OnlyTheWholeSignatureCounts) {
    EXPECT_EQ(typeOfContent(contentOf(processingCorpus + "/wrong-signature")),
              "application/octet-stream");
    for (const QByteArray& content :
         {QByteArray("HMPRESETX"), QByteArray("HMPRESE"), QByteArray("HMPA"), QByteArray("HMSHO"),
          QByteArray(" HMPAL")}) {
        const QString type = typeOfContent(content);
        EXPECT_FALSE(type.startsWith("application/x-huemark"))
            << content.data() << ": " << type.toStdString();
    }
    EXPECT_EQ(typeOfContent(QByteArray("HMPRESET\0", 9)), processingType);
}

// The desktop entry offers the program for every sample picture's type and for each of its own
// file types; the software centre's description names the same own types.
TEST_F(MimeTypes, TheDesktopEntryOpensPicturesAndTheProgramsFiles) {
    const QSet<QString> entryTypes = asSet(desktopEntryTypes());
    const QStringList ownTypes =
        attributeValues(desktopFolder + "/huemark-mime.xml", "mime-type", "type");
    EXPECT_EQ(asSet(ownTypes), QSet<QString>({processingType, collectionType, exampleType}));
    for (const QString& type : ownTypes) {
        EXPECT_TRUE(entryTypes.contains(type)) << type.toStdString();
    }
    const QDir samples(HUEMARK_SOURCE_DIR "/data/Images");
    QSet<QString> pictureTypes;
    for (const QString& picture :
         samples.entryList({"*.bmp", "*.jpg", "*.tif", "*.png", "*.pcx"}, QDir::Files)) {
        const QString type = database_.mimeTypeForFile(samples.filePath(picture)).name();
        EXPECT_TRUE(entryTypes.contains(type))
            << picture.toStdString() << ": " << type.toStdString();
        pictureTypes << type;
    }
    EXPECT_EQ(pictureTypes.size(), 5) << "a sample of each of the five picture formats";
    EXPECT_EQ(
        asSet(elementTexts(desktopFolder + "/com.brindlecote.huemark.metainfo.xml", "mediatype")),
        asSet(ownTypes));
}
} // namespace
