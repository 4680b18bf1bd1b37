#include "image_file_commands.h"

#include "format_options.h"
#include "image_window.h"
#include "language.h"
#include "picture_open_dialog.h"
#include "progress_form.h"
#include "settings_records.h"
#include "text_table.h"
#include "workspace_host.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace {

// The warning for a picture that could be read only in part.
constexpr int incompleteText = 18;

const QStringList knownExtensions{"tif", "jpg", "png", "bmp", "pcx"};

void reportResult(WorkspaceHost& main, int result) {
    if (result > 0) {
        main.errorText(resultCodeText(main.language(), result));
    }
}

// Asks for the options of the file's format when they are to be shown; false on Cancel.
bool confirmFormatOptions(WorkspaceHost& main, const QString& extension) {
    TLocalSettings& local = main.settings().local;
    std::unique_ptr<QDialog> dialog;
    if (extension == "jpg" && local.DisplayJPEGOptions != 0) {
        dialog = std::make_unique<TJPEGOptions>(main.language(), local, main.dialogParent());
    } else if (extension == "tif" && local.DisplayTIFFOptions != 0) {
        dialog = std::make_unique<TTIFFOptions>(main.language(), local, main.dialogParent());
    } else if (extension == "png" && local.DisplayPNGOptions != 0) {
        dialog = std::make_unique<TPNGOptions>(main.language(), local, main.dialogParent());
    }
    return dialog == nullptr || dialog->exec() == QDialog::Accepted;
}

} // namespace

bool isKnownPictureExtension(const QString& fileName) {
    return knownExtensions.contains(QFileInfo(fileName).suffix().toLower());
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
    const QString extension = QFileInfo(fileName).suffix().toLower();
    if (extension == "tif") {
        return local.TiffCompression == 1 ? IP_TIFF_PACKBITS : IP_TIFF_UNCOMPRESSED;
    }
    if (extension == "png") {
        return local.PngInterlaced != 0 ? IP_PNG_INTERLACED : 0;
    }
    if (extension == "jpg") {
        return unsigned(std::clamp(local.JpegQuality, 1, 9)) << 12;
    }
    return 0;
}

bool OpenImageFile(WorkspaceHost& main, const QString& fileName) {
    if (!QFileInfo::exists(fileName)) {
        main.errorBox(common_text::FileNotFound, {fileName});
        return false;
    }
    if (!isKnownPictureExtension(fileName)) {
        main.errorText(main.language().Text("INPUT_OUTPUT", 10));
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
    TfrmMDIChild* window = main.NewImageWindow(std::move(image), fileName);
    window->Saved = true;
    if (incomplete) {
        main.warningText(
            formatText(main.language().Text("INPUT_OUTPUT", incompleteText), {fileName}));
    }
    return true;
}

bool SaveImageFile(WorkspaceHost& main, TfrmMDIChild& window, const QString& fileName) {
    const QString extension = QFileInfo(fileName).suffix().toLower();
    if (!knownExtensions.contains(extension)) {
        main.errorText(main.language().Text("INPUT_OUTPUT", 10));
        return false;
    }
    if (!confirmFormatOptions(main, extension)) {
        return false;
    }
    const unsigned bits = formatBitsFor(fileName, main.settings().local);
    const QByteArray encoded = QFile::encodeName(fileName);
    const QString caption = formatText(main.language().Text("Common", common_text::Saving),
                                       {QFileInfo(fileName).fileName()});
    const int result = main.RunWithProgress(caption, true, [&] {
        return window.Image().SaveToFile(encoded.constData(), TProgressForm::FileProgress, bits);
    });
    if (result != 0) {
        reportResult(main, result);
        return false;
    }
    main.settings().imageDirectory = QFileInfo(fileName).absolutePath();
    window.setFileName(fileName);
    window.Saved = true;
    return true;
}
