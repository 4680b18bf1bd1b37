#include "image_file_commands.h"

#include "format_options.h"
#include "image_window.h"
#include "language.h"
#include "picture_file_metadata.h"
#include "picture_open_dialog.h"
#include "progress_form.h"
#include "settings_records.h"
#include "text_table.h"
#include "workspace_host.h"

#include "platform/picture_format.h"
#include "platform/picture_writing.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace {

// The warning for a picture that could be read only in part.
constexpr int incompleteText = 18;

// The unknown-extension message, naming the file.
constexpr int unknownExtensionText = 10;

using platform::PictureFormat;

PictureFormat formatOfName(const QString& fileName) {
    return platform::pictureFormatOfExtension(QFileInfo(fileName).suffix().toStdString());
}

void reportUnknownExtension(WorkspaceHost& main, const QString& fileName) {
    main.errorText(
        formatText(main.language().Text("INPUT_OUTPUT", unknownExtensionText), {fileName}));
}

// A picture read only in part: in the status bar, and in the warning box.
void reportIncomplete(WorkspaceHost& main, const QString& fileName) {
    main.showStatus(formatText(main.language().Text("Common", common_text::IncompletePicture),
                               {QFileInfo(fileName).fileName()}));
    main.warningText(formatText(main.language().Text("INPUT_OUTPUT", incompleteText), {fileName}));
}

// The file a picture was opened from, with how it was written when its content has the
// format its name asks for (a JPEG named .png is written as PNG, with the saving options).
TPictureFile fileBehind(const QString& fileName) {
    TPictureFile file{fileName, std::nullopt, true};
    const platform::PictureWriting writing =
        platform::pictureWritingOfFile(QFile::encodeName(fileName).constData());
    if (writing.format == formatOfName(fileName)) {
        file.FormatBits = writing.bits;
    }
    return file;
}

void reportResult(WorkspaceHost& main, int result) {
    if (result > 0) {
        main.errorText(resultCodeText(main.language(), result));
    }
}

// Asks for the options of the file's format when they are to be shown; false on Cancel.
bool confirmFormatOptions(WorkspaceHost& main, PictureFormat format) {
    TLocalSettings& local = main.settings().local;
    std::unique_ptr<QDialog> dialog;
    if (format == PictureFormat::Jpeg && local.DisplayJPEGOptions != 0) {
        dialog = std::make_unique<TJPEGOptions>(main.language(), local, main.dialogParent());
    } else if (format == PictureFormat::Tiff && local.DisplayTIFFOptions != 0) {
        dialog = std::make_unique<TTIFFOptions>(main.language(), local, main.dialogParent());
    } else if (format == PictureFormat::Png && local.DisplayPNGOptions != 0) {
        dialog = std::make_unique<TPNGOptions>(main.language(), local, main.store(),
                                               main.dialogParent());
    }
    return dialog == nullptr || dialog->exec() == QDialog::Accepted;
}

} // namespace

bool isKnownPictureExtension(const QString& fileName) {
    return formatOfName(fileName) != PictureFormat::Unknown;
}

QString resultCodeText(const TLanguage& language, int code) {
    static const int codes[] = {2, 3, 4, 5, 6, 7, 8, 9, 12, 16};
    for (int position = 0; position < int(std::size(codes)); ++position) {
        if (codes[position] == code) {
            return language.Text("INPUT_OUTPUT", position);
        }
    }
    return {};
}

unsigned formatBitsFor(const QString& fileName, const TLocalSettings& local) {
    switch (formatOfName(fileName)) {
    case PictureFormat::Tiff:
        return local.TiffCompression == 1 ? IP_TIFF_PACKBITS : IP_TIFF_UNCOMPRESSED;
    case PictureFormat::Png:
        return local.PngInterlaced != 0 ? IP_PNG_INTERLACED : 0;
    case PictureFormat::Jpeg:
        return unsigned(std::clamp(local.JpegQuality, 1, 9)) << 12;
    default:
        return 0;
    }
}

bool OpenImageFile(WorkspaceHost& main, const QString& fileName) {
    if (!QFileInfo::exists(fileName)) {
        main.errorBox(common_text::FileNotFound, {fileName});
        return false;
    }
    if (!isKnownPictureExtension(fileName)) {
        reportUnknownExtension(main, fileName);
        return false;
    }
    auto image = std::make_unique<TDIBImage>();
    const QByteArray encoded = QFile::encodeName(fileName);
    const QString caption = formatText(main.language().Text("Common", common_text::Loading),
                                       {QFileInfo(fileName).fileName()});
    const int result = main.RunWithProgress(caption, true, [&] {
        return image->LoadFromFile(encoded.constData(), TProgressForm::FileProgress);
    });
    const bool incomplete = result == IP_INCOMPLETE;
    if (result != 0 && !incomplete) {
        reportResult(main, result);
        return false;
    }
    if (image->BitCount() != 24) {
        main.errorBox(common_text::Not24Bit);
        return false;
    }
    PictureMetadata metadata;
    if (const int turned = LoadMetadataUpright(encoded.constData(), *image, metadata);
        turned != 0) {
        reportResult(main, turned);
        return false;
    }
    TfrmMDIChild* window = main.NewImageWindow(std::move(image), fileName);
    window->Metadata = std::move(metadata);
    window->File = fileBehind(fileName);
    window->SetSaved(true);
    if (incomplete) {
        reportIncomplete(main, fileName);
    }
    return true;
}

bool SaveImageFile(WorkspaceHost& main, TfrmMDIChild& window, const QString& fileName) {
    const PictureFormat format = formatOfName(fileName);
    if (format == PictureFormat::Unknown) {
        reportUnknownExtension(main, fileName);
        return false;
    }
    if (!confirmFormatOptions(main, format)) {
        return false;
    }
    return WriteImageFile(main, window, fileName, formatBitsFor(fileName, main.settings().local));
}

bool WriteImageFile(WorkspaceHost& main, TfrmMDIChild& window, const QString& fileName,
                    unsigned formatBits) {
    const PictureFormat format = formatOfName(fileName);
    if (format == PictureFormat::Unknown) {
        reportUnknownExtension(main, fileName);
        return false;
    }
    const bool smallest = format == PictureFormat::Png && pngSmallestFile(main.store());
    const unsigned bits = formatBits | (smallest ? unsigned(IP_PNG_SMALLEST) : 0u);
    const QByteArray encoded = QFile::encodeName(fileName);
    const QString caption = formatText(main.language().Text("Common", common_text::Saving),
                                       {QFileInfo(fileName).fileName()});
    const int result = main.RunWithProgress(caption, true, [&] {
        return SaveImageWithMetadata(window.Image(), encoded.constData(),
                                     TProgressForm::FileProgress, bits, window.Metadata);
    });
    if (result != 0) {
        reportResult(main, result);
        return false;
    }
    main.settings().imageDirectory = QFileInfo(fileName).absolutePath();
    window.setFileName(fileName);
    window.File = {fileName, formatBits, false};
    window.SetSaved(true);
    return true;
}
