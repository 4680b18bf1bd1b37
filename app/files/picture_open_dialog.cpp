#include "picture_open_dialog.h"

#include "dib_image.h"
#include "image_file_commands.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QImageReader>
#include <QLabel>

namespace {
constexpr QSize previewSize(200, 200);
}

TPictureOpenDialog::TPictureOpenDialog(QWidget* parent, const QString& folder,
                                       const QStringList& filters)
    : QFileDialog(parent, QString(), folder), preview_(new QLabel(this)) {
    setOption(QFileDialog::DontUseNativeDialog); // the preview pane needs our own layout
    setFileMode(QFileDialog::ExistingFiles);
    setNameFilters(filters);
    setDefaultSuffix("bmp");
    preview_->setFixedSize(previewSize);
    preview_->setAlignment(Qt::AlignCenter);
    preview_->setFrameShape(QFrame::StyledPanel);
    if (auto* grid = qobject_cast<QGridLayout*>(layout())) {
        grid->addWidget(preview_, 0, grid->columnCount(), grid->rowCount(), 1);
    }
    connect(this, &QFileDialog::currentChanged, this, &TPictureOpenDialog::showPreview);
}

void TPictureOpenDialog::showPreview(const QString& fileName) {
    const QImage picture = loadPreview(fileName, previewSize);
    preview_->setPixmap(picture.isNull() ? QPixmap() : QPixmap::fromImage(picture));
}

QImage TPictureOpenDialog::loadPreview(const QString& fileName, QSize size) {
    if (!QFileInfo(fileName).isFile() || !isKnownPictureExtension(fileName)) {
        return {};
    }
    if (QFileInfo(fileName).suffix().compare("jpg", Qt::CaseInsensitive) == 0) {
        // Through the program's JPEG handler (the Qt plugin of the codec family).
        QImageReader reader(fileName, "jpg");
        const QImage picture = reader.read();
        return picture.isNull() ? picture
                                : picture.scaled(size, Qt::KeepAspectRatio, Qt::FastTransformation);
    }
    TDIBImage image;
    const int loaded = image.LoadFromFile(QFile::encodeName(fileName).constData(), nullptr);
    if (loaded != 0 && loaded != IP_INCOMPLETE) {
        return {};
    }
    const QSize fitted = QSize(image.Width(), image.Height()).scaled(size, Qt::KeepAspectRatio);
    return TDIBImage::MakeThumbnail(image.Header, image.Bits, fitted.expandedTo(QSize(1, 1)), 2, 2,
                                    true);
}
