#include "image_file_commands.h"

#include "format_options.h"
#include "main_window.h"
#include "picture_open_dialog.h"
#include "progress_form.h"
#include "recent_files.h"
#include "text_table.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

const QStringList knownExtensions{"tif", "jpg", "png", "bmp", "pcx"};

void reportResult(TfrmMDIParent& main, int result) {
    if (result > 0) {
        main.errorText(resultCodeText(main.language(), result));
    }
}

// Asks for the options of the file's format when they are to be shown; false on Cancel.
bool confirmFormatOptions(TfrmMDIParent& main, const QString& extension) {
    TLocalSettings& local = main.settings().local;
    std::unique_ptr<QDialog> dialog;
    if (extension == "jpg" && local.DisplayJPEGOptions != 0) {
        dialog = std::make_unique<TJPEGOptions>(main.language(), local, &main);
    } else if (extension == "tif" && local.DisplayTIFFOptions != 0) {
        dialog = std::make_unique<TTIFFOptions>(main.language(), local, &main);
    } else if (extension == "png" && local.DisplayPNGOptions != 0) {
        dialog = std::make_unique<TPNGOptions>(main.language(), local, &main);
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

bool OpenImageFile(TfrmMDIParent& main, const QString& fileName) {
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
    if (result != 0) {
        reportResult(main, result);
        return false;
    }
    if (image->BitCount() != 24) {
        main.errorBox(common_text::Not24Bit);
        return false;
    }
    TfrmMDIChild* window = main.NewImageWindow(std::move(image), fileName);
    window->Saved = true;
    return true;
}

void OpenImageFiles(TfrmMDIParent& main, const QStringList& fileNames) {
    for (const QString& fileName : fileNames) {
        if (OpenImageFile(main, fileName)) {
            main.recentFiles().Add(fileName);
        }
    }
}

bool SaveImageFile(TfrmMDIParent& main, TfrmMDIChild& window, const QString& fileName) {
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

QStringList dialogFilters(const QString& windowsFilter) {
    const QStringList parts = windowsFilter.split('|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        description.remove(QRegularExpression("\\s*\\([^)]*\\)$"));
        QStringList patterns;
        for (const QString& pattern : parts[i + 1].split(';', Qt::SkipEmptyParts)) {
            patterns << pattern.trimmed();
            if (pattern.toUpper() != pattern) {
                patterns << pattern.trimmed().toUpper();
            }
        }
        filters << QString("%1 (%2)").arg(description, patterns.join(' '));
    }
    return filters;
}

namespace {
int filterIndexOf(const QStringList& filters, const QString& chosen) {
    return std::max(0, int(filters.indexOf(chosen))) + 1; // counted from 1, as stored
}

QString filterAt(const QStringList& filters, int storedIndex) {
    return filters.value(std::clamp(storedIndex, 1, int(filters.size())) - 1);
}

// The folder of the last picture, or the shipped sample pictures before there is one.
QString startFolder(TfrmMDIParent& main) {
    const QString stored = main.settings().imageDirectory;
    return !stored.isEmpty() && QDir(stored).exists() ? stored : main.dataFolder() + "/Images";
}
} // namespace

void OpenCommand(TfrmMDIParent& main) {
    const QStringList filters = dialogFilters(main.language().Text("Main Dialogs", 0));
    TPictureOpenDialog dialog(&main, startFolder(main), filters);
    dialog.selectNameFilter(filterAt(filters, main.settings().local.OpenFilterIndex));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return;
    }
    main.settings().imageDirectory = QFileInfo(dialog.selectedFiles().first()).absolutePath();
    main.settings().local.OpenFilterIndex = filterIndexOf(filters, dialog.selectedNameFilter());
    OpenImageFiles(main, dialog.selectedFiles());
}

void SaveAsCommand(TfrmMDIParent& main, TfrmMDIChild& window) {
    const QStringList filters = dialogFilters(main.language().Text("Main Dialogs", 0));
    QFileDialog dialog(&main, QString(), startFolder(main));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix("bmp");
    dialog.selectNameFilter(filterAt(filters, main.settings().local.SaveFilterIndex));
    dialog.selectFile(QFileInfo(window.FileName()).completeBaseName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return;
    }
    main.settings().imageDirectory = QFileInfo(dialog.selectedFiles().first()).absolutePath();
    main.settings().local.SaveFilterIndex = filterIndexOf(filters, dialog.selectedNameFilter());
    SaveImageFile(main, window, dialog.selectedFiles().first());
}
