// TfrmMDIChild: one open picture in the main window's workspace. It owns the picture, shows it
// at one of 31 scales from 1:16 to 16:1 with scroll bars, reports the pixel under the pointer,
// and asks before it closes with unsaved changes.
#pragma once

#include "dib_image.h"

#include <QAbstractScrollArea>
#include <QMdiSubWindow>

#include <memory>

class QMenu;
class TLanguage;
struct TConfigSettings;
class TfrmMDIChild;

// What an image window needs from the main window that holds it.
class ImageWindowHost {
public:
    virtual ~ImageWindowHost() = default;
    virtual const TLanguage& language() const = 0;
    virtual const TConfigSettings& config() const = 0;
    virtual QString applicationTitle() const = 0;
    // Panel 0 of the status bar.
    virtual void showStatus(const QString& text) = 0;
    // The user answered Yes to the close question: run Save As for this window.
    virtual void saveBeforeClosing(TfrmMDIChild& window) = 0;
    virtual bool recordingExample() const { return false; }
};

// The window's drawing surface: paints the exposed part of the picture and reports the pointer.
class TImageView : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit TImageView(TfrmMDIChild& window);
    QPoint scrollPosition() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    // Ctrl with the wheel zooms by one step; the wheel alone scrolls.
    void wheelEvent(QWheelEvent* event) override;

private:
    TfrmMDIChild& window_;
};

class TfrmMDIChild : public QMdiSubWindow {
    Q_OBJECT

public:
    // Takes `image` as its own; the window number is given by the main window.
    TfrmMDIChild(ImageWindowHost& host, std::unique_ptr<TDIBImage> image, const QString& name,
                 int windowNumber);
    ~TfrmMDIChild() override;

    TDIBImage& Image() { return *image_; }
    const TDIBImage& Image() const { return *image_; }
    int ImageWidth() const { return image_->Width(); }
    int ImageHeight() const { return image_->Height(); }
    int Zoom() const { return zoom_; }
    QSize DisplaySize() const { return displaySize_; }
    QString FileName() const { return fileName_; }
    void setFileName(const QString& name);
    bool Saved = false;
    int WindowNumber() const { return windowNumber_; }
    TImageView* View() const { return view_; }

    void SetZoom(int z);
    void ZoomIn();
    void ZoomOut();
    void ZoomToRect(const QRect& imageRect);
    void FitToImage();
    void FitImageToWindow();
    // Shows another picture in this window, with a new name (edits that replace the picture).
    void ReplaceImage(std::unique_ptr<TDIBImage> image, const QString& name);

    QPoint clientToImage(QPoint client) const;
    QPoint imageToClient(QPoint image) const;
    QRect clientToImage(const QRect& client) const;
    QRect imageToClient(const QRect& image) const;

    // "(x,y)   R:r,G:g,B:b" for a client point over the picture; empty elsewhere.
    QString pointerReport(QPoint client) const;

    QMenu* popupMenu() const { return pum_ChildMenu; }
    QMenu* zoomInMenu() const { return mnZoomIn; }
    QMenu* zoomOutMenu() const { return mnZoomOut; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    friend class TImageView;
    void buildPopupMenu();
    void updateCaption();
    QSize clientSizeFor(QSize display) const;
    void updateScrollRanges();
    void layOutNow();
    QSize borderSize();
    QSize frameClientSize() const;

    ImageWindowHost& host_;
    std::unique_ptr<TDIBImage> image_;
    TImageView* view_;
    QString fileName_;
    int windowNumber_;
    int zoom_ = 1;
    QSize displaySize_;
    QMenu* pum_ChildMenu = nullptr;
    QMenu* mnZoomIn = nullptr;
    QMenu* mnZoomOut = nullptr;
};
