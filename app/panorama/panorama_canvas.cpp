#include "panorama_canvas.h"

#include "dib_image.h"
#include "view_render.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

PanoramaCanvas::PanoramaCanvas(PanoramaModel& model, QWidget* parent)
    : QAbstractScrollArea(parent), model_(model) {
    setObjectName("CanvasWindow");
    setFrameShape(QFrame::NoFrame);
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

PanoramaCanvas::~PanoramaCanvas() {
    for (auto& view : views_) {
        view->Clear(false); // the rows belong to the image windows
    }
}

void PanoramaCanvas::PicturesLoaded() {
    for (auto& view : views_) {
        view->Clear(false);
    }
    views_.clear();
    views_.resize(model_.Items().size());
    for (const TImagePanoramaData& item : model_.Items()) {
        auto view = std::make_unique<TDIBImage>();
        view->AttachPointers(const_cast<BITMAPINFOHEADER*>(item.Header),
                             const_cast<std::uint8_t*>(item.Bits));
        views_.at(static_cast<std::size_t>(item.ListIndex)) = std::move(view);
    }
    SyncScrollBars();
    viewport()->update();
}

void PanoramaCanvas::SetFrameAllMode(bool on) {
    frameAll_ = on;
    viewport()->update();
}

void PanoramaCanvas::SyncScrollBars() {
    syncing_ = true;
    const QSize maximum = model_.ScrollMaximum();
    const QSize client = viewport()->size();
    horizontalScrollBar()->setRange(0, maximum.width());
    verticalScrollBar()->setRange(0, maximum.height());
    horizontalScrollBar()->setPageStep(std::max(client.width(), 1));
    verticalScrollBar()->setPageStep(std::max(client.height(), 1));
    horizontalScrollBar()->setSingleStep(model_.LineStep());
    verticalScrollBar()->setSingleStep(model_.LineStep());
    horizontalScrollBar()->setValue(model_.ScrollPosition().x());
    verticalScrollBar()->setValue(model_.ScrollPosition().y());
    syncing_ = false;
}

void PanoramaCanvas::RepaintPlane(const PanoramaRect& plane) {
    if (plane.IsEmpty()) {
        viewport()->update();
        return;
    }
    // One screen pixel more on every side: at reductions an edge may round either way.
    viewport()->update(model_.PlaneToScreen(plane).adjusted(-1, -1, 1, 1));
}

const TDIBImage& PanoramaCanvas::viewOf(const TImagePanoramaData& item) const {
    return *views_.at(static_cast<std::size_t>(item.ListIndex));
}

void PanoramaCanvas::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    painter.fillRect(event->rect(), Qt::white);
    QRegion remaining = event->region();
    if (frameAll_) {
        remaining &= model_.PlaneToScreen(model_.OverallFrameOrBounds());
    }
    const QPoint scroll = model_.ScrollPosition();
    for (int index = 0; index < model_.ImageCount() && !remaining.isEmpty(); ++index) {
        const TImagePanoramaData& item = model_.Items()[static_cast<std::size_t>(index)];
        const QRect shown = model_.DisplayedFrame(index);
        if (!item.Checked || shown.isEmpty()) {
            continue;
        }
        // The renderer places image pixel 0 at the picture's plane position.
        const QPoint itemScroll =
            scroll - QPoint(model_.ToScreenLength(item.Left), model_.ToScreenLength(item.Top));
        for (const QRect& part : remaining.intersected(shown)) {
            painter.drawImage(part.topLeft(),
                              renderView(viewOf(item), model_.Zoom(), itemScroll, part));
        }
        remaining -= shown; // pictures lower in the stack never paint over this one
    }
    if (band_.Drawing()) {
        band_.Paint(painter);
    }
    if (carried_.Drawing()) {
        carried_.Paint(painter);
    }
    painter.end();
    emit painted();
}

void PanoramaCanvas::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    model_.SetClientSize(viewport()->size());
    SyncScrollBars();
}

void PanoramaCanvas::scrollContentsBy(int, int) {
    if (syncing_) {
        return;
    }
    model_.SetScrollPosition({horizontalScrollBar()->value(), verticalScrollBar()->value()});
    viewport()->update();
}

void PanoramaCanvas::mousePressEvent(QMouseEvent* event) {
    emit pressed(event->position().toPoint());
}

void PanoramaCanvas::mouseMoveEvent(QMouseEvent* event) {
    emit moved(event->position().toPoint());
}

void PanoramaCanvas::mouseReleaseEvent(QMouseEvent* event) {
    emit released(event->position().toPoint());
}
