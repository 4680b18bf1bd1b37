// The open dialog for pictures: several files at once, with a preview of the file under the
// cursor beside the list.
#pragma once

#include <QFileDialog>

class QLabel;

class TPictureOpenDialog : public QFileDialog {
    Q_OBJECT

public:
    TPictureOpenDialog(QWidget* parent, const QString& folder, const QStringList& filters);

    QLabel* preview() const { return preview_; }

    // A picture file scaled into `size` (proportions kept); null when it cannot be read.
    static QImage loadPreview(const QString& fileName, QSize size);

private:
    void showPreview(const QString& fileName);
    QLabel* preview_;
};
