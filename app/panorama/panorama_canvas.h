// The panorama window's drawing surface: the placed pictures at the model's zoom and scroll
// positions, each showing its frame only, the one nearer the top of the stacking order covering
// the others, on white. Only the exposed part is drawn, straight from the pictures' rows. Presses,
// moves and releases are handed to the window, which owns the tools.
#pragma once

#include "draw_tools.h"
#include "panorama_model.h"

#include <QAbstractScrollArea>

#include <memory>
#include <vector>

class TDIBImage;

class PanoramaCanvas : public QAbstractScrollArea {
    Q_OBJECT

public:
    PanoramaCanvas(PanoramaModel& model, QWidget* parent = nullptr);
    ~PanoramaCanvas() override;

    // Takes the model's pictures as they were loaded.
    void PicturesLoaded();
    // With the frame of the whole panorama in use, only what lies inside it is drawn.
    void SetFrameAllMode(bool on);
    // The scroll bars follow the model's extent, line step and scroll positions.
    void SyncScrollBars();
    // Repaints the part of the surface that shows the plane rectangle (everything for null).
    void RepaintPlane(const PanoramaRect& plane);

    TRectTool& RubberBand() { return band_; }
    TConstRectTool& CarriedFrame() { return carried_; }

signals:
    void pressed(QPoint client);
    void moved(QPoint client);
    void released(QPoint client);
    // After every paint, while the bars are to follow the painting.
    void painted();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    const TDIBImage& viewOf(const TImagePanoramaData& item) const;

    PanoramaModel& model_;
    // One image view per list entry, attached to the borrowed rows for the renderer.
    std::vector<std::unique_ptr<TDIBImage>> views_;
    bool frameAll_ = false;
    bool syncing_ = false;
    TRectTool band_;
    TConstRectTool carried_;
};
