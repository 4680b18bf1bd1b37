// TfrmMDIChild: one open picture in the main window's workspace. It owns the picture, shows it
// at one of 31 scales from 1:16 to 16:1 with scroll bars, reports the pixel under the pointer,
// and asks before it closes with unsaved changes.
#pragma once

#include "dib_image.h"
#include "draw_tools.h"
#include "example_recording.h"
#include "image_history.h"
#include "picture_metadata.h"
#include "ref_regions.h"

#include <QAbstractScrollArea>
#include <QMdiSubWindow>

#include <memory>
#include <optional>

class QMenu;
class TLanguage;
struct TConfigSettings;
class TfrmMDIChild;

// The file a picture was opened from or last saved to, and how that file was written.
struct TPictureFile {
    QString Path;
    // The export format bits that write the file as it was; nothing when they are not known.
    std::optional<std::uint32_t> FormatBits;
    // The picture was opened from the file, and this program has not written it since.
    bool Original = false;
};

// What an image window needs from the main window that holds it.
class ImageWindowHost {
public:
    virtual ~ImageWindowHost() = default;
    virtual const TLanguage& language() const = 0;
    virtual const TConfigSettings& config() const = 0;
    virtual QString applicationTitle() const = 0;
    // Panel 0 of the status bar.
    virtual void showStatus(const QString& text) = 0;
    // The user answered Yes to the close question: run Save As for this window; whether the
    // picture was saved (the window stays open when it was not).
    virtual bool saveBeforeClosing(TfrmMDIChild& window) = 0;
    // The example recorder: the pop-up's commands record themselves.
    virtual ExampleRecording& recording() { return ExampleRecording::none(); }
    // The tool of all image windows (0 to 15).
    virtual int toolMode() const = 0;
    // The colour new Colour regions take (0x00BBGGRR).
    virtual std::uint32_t referenceColour() const = 0;
    // Tool mode 9 picked a colour from the picture (0x00BBGGRR).
    virtual void colourPicked(std::uint32_t colour) = 0;
    // A click inside the crop frame: crop the picture to CropRect.
    virtual void runCrop(TfrmMDIChild& window) = 0;
    // The window's Copy: the picture to the clipboard.
    virtual void copyPicture(TfrmMDIChild& window) = 0;
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
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void paintOverlays(QPainter& painter);
    void reportPointer(QPoint client);
    void dragTo(QPoint client, Qt::KeyboardModifiers modifiers);
    void finishDrag(Qt::KeyboardModifiers modifiers);
    // The client point on the image pixel grid: client -> image -> client.
    QPoint snapped(QPoint client) const;
    // The point kept inside the visible part of the picture.
    QPoint confined(QPoint client) const;

    TfrmMDIChild& window_;
    bool dragging_ = false;
    bool pressedOnLabel_ = false;
    bool overLabel_ = false;
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
    // The caption as shown: the file name, "*" when the picture is not saved, the zoom.
    QString Caption() const;
    // Whether the picture equals its file; the caption marks a picture that does not.
    bool Saved() const { return saved_; }
    void SetSaved(bool saved);
    int WindowNumber() const { return windowNumber_; }
    TImageView* View() const { return view_; }

    void SetZoom(int z);
    void ZoomIn();
    void ZoomOut();
    void ZoomToRect(const QRect& imageRect);
    void FitToImage();
    void FitImageToWindow();
    // Shows another picture in this window, with a new name (edits that replace the picture);
    // the one it replaces can be had back with Undo.
    void ReplaceImage(std::unique_ptr<TDIBImage> image, const QString& name);

    // Undo and Redo of the changes of the picture in place. A change that writes into the
    // window's own picture keeps the state before it first (false when it could not be kept:
    // the change goes ahead and cannot be undone), and drops it again when it failed.
    bool KeepStateBeforeChange();
    void ChangeFailed();
    bool CanUndo() const { return history_.CanUndo(); }
    bool CanRedo() const { return history_.CanRedo(); }
    void Undo();
    void Redo();
    TImageHistory& History() { return history_; }

    QPoint clientToImage(QPoint client) const;
    QPoint imageToClient(QPoint image) const;
    QRect clientToImage(const QRect& client) const;
    QRect imageToClient(const QRect& image) const;

    // "(x,y)   R:r,G:g,B:b" for a client point over the picture; empty elsewhere.
    QString pointerReport(QPoint client) const;

    // The file behind the picture. Edits that replace the picture give it a new name, so it has
    // no file of its own until Undo gives it back the file's name.
    TPictureFile File;
    bool HasOwnFile() const { return !File.Path.isEmpty() && File.Path == fileName_; }
    // Closes the window without the question about unsaved changes.
    void CloseWithoutAsking();

    // Reference regions and hatch areas marked on the picture.
    TRefRegionList Regions;
    // The metadata of the file the picture came from; results made from it inherit it.
    PictureMetadata Metadata;
    THatchAreaList HatchAreas;
    // The crop frame in image pixels; empty when there is none.
    QRect CropRect;

    // Sets the cursor of the current tool and removes the crop frame from the screen.
    void ApplyToolMode();
    void DeleteActiveRegion();
    void DeleteAllRegions();
    void DeleteAllAreas();
    // The label box of a region in client coordinates.
    QRect LabelBox(const TRefRegion& region) const;
    // The region whose label lies under a client point, or null.
    TRefRegion* RegionAtLabel(QPoint client) const;
    // Scrolls so that an image point lies in the middle of the view.
    void CentreOn(QPoint imagePoint);
    // Repaints the screen area of an image rectangle (with its outline and label).
    void InvalidateImageRect(const QRect& imageRect);

    TRectTool& RectTool() { return rectTool_; }
    TPolygonTool& PolygonTool() { return polygonTool_; }
    TCropRectTool& CropTool() { return cropTool_; }

    QMenu* popupMenu() const { return pum_ChildMenu; }
    QMenu* zoomInMenu() const { return mnZoomIn; }
    QMenu* zoomOutMenu() const { return mnZoomOut; }
    QAction* deleteActiveAction() const { return mnDeleteActive; }
    QAction* deleteAllAction() const { return mnDeleteAll; }
    QAction* deleteAllAreasAction() const { return mnDeleteAllAreas; }
    QAction* copyAction() const { return mnCopy; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    friend class TImageView;
    void buildPopupMenu();
    void updateCaption();
    TImageState currentState(std::unique_ptr<TDIBImage> picture) const;
    void showState(TImageState state);
    QSize clientSizeFor(QSize display) const;
    void updateScrollRanges();
    void layOutNow();
    QSize borderSize();
    QSize frameClientSize() const;

    ImageWindowHost& host_;
    std::unique_ptr<TDIBImage> image_;
    TImageView* view_;
    QString fileName_;
    bool saved_ = false;
    bool closeWithoutAsking_ = false;
    TImageHistory history_;
    int windowNumber_;
    int zoom_ = 1;
    QSize displaySize_;
    QMenu* pum_ChildMenu = nullptr;
    QMenu* mnZoomIn = nullptr;
    QMenu* mnZoomOut = nullptr;
    QAction* mnDeleteActive = nullptr;
    QAction* mnDeleteAll = nullptr;
    QAction* mnDeleteAllAreas = nullptr;
    QAction* mnCopy = nullptr;
    TRectTool rectTool_;
    TPolygonTool polygonTool_;
    TCropRectTool cropTool_;
};
