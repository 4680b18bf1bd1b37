// Locating a screen point of the panorama window by zone, and finding it again: the example
// recorder keeps points this way so that a replay hits the same picture or control whatever the
// window's size, zoom and scroll positions are then.
#include "panorama_canvas.h"
#include "panorama_form.h"
#include "track_size_bar.h"

#include <QListWidget>
#include <QScrollBar>

namespace {

enum Zone : std::uint8_t {
    WindowZone = 1,
    HorizontalSpinZone = 2,
    BottomZone = 3, // also the vertical bar's spin button
    CanvasZone = 4,
    ListZone = 5,
    ButtonZone = 6,
    HorizontalTrackZone = 7,
    VerticalTrackZone = 8
};

// Points scrolled into view stay this far from the right and bottom edges.
constexpr int viewMargin = 40;

bool inside(const QWidget* widget, const QRect& rect, QPoint global) {
    return rect.contains(widget->mapFromGlobal(global));
}

} // namespace

PanoramaLocation TPanoramaForm::Locate(QPoint global) const {
    const QPoint local = mapFromGlobal(global);
    const QPoint canvasPoint = canvas_->viewport()->mapFromGlobal(global);
    const QPoint plane = model_.ScreenToPlane(canvasPoint);
    PanoramaLocation at{WindowZone, model_.Zoom(), local, true, true};
    if (local.y() >= bottomPanel_->y()) {
        at = {BottomZone, model_.Zoom(), {local.x(), height() - local.y()}, true, true};
    }
    if (inside(horzBar_, horzBar_->TrackRect(), global)) {
        at = {HorizontalTrackZone, model_.Zoom(), {plane.x(), local.y()}, false, true};
    }
    if (inside(horzBar_, horzBar_->SpinRect(), global)) {
        at = {HorizontalSpinZone, model_.Zoom(), {width() - local.x(), local.y()}, true, true};
    }
    if (inside(vertBar_, vertBar_->TrackRect(), global)) {
        at = {VerticalTrackZone, model_.Zoom(), {local.x(), plane.y()}, true, false};
    }
    if (inside(vertBar_, vertBar_->SpinRect(), global)) {
        at = {BottomZone, model_.Zoom(), {local.x(), height() - local.y()}, true, true};
    }
    if (canvas_->viewport()->rect().contains(canvasPoint)) {
        at = {CanvasZone, model_.Zoom(), plane, false, false};
    }
    if (list_->rect().contains(list_->mapFromGlobal(global))) {
        at = {ListZone, model_.Zoom(), list_->mapFromGlobal(global), true, true};
    }
    if (buttonPanel_->rect().contains(buttonPanel_->mapFromGlobal(global))) {
        at = {ButtonZone, model_.Zoom(), buttonPanel_->mapFromGlobal(global), true, true};
    }
    return at;
}

QPoint TPanoramaForm::Restore(const PanoramaLocation& location) {
    const bool onPlane = location.Zone == CanvasZone || location.Zone == HorizontalTrackZone ||
                         location.Zone == VerticalTrackZone;
    if (onPlane) {
        if (location.Zoom < 0 && location.Zoom != model_.Zoom()) {
            SetZoom(location.Zoom);
        }
        // The plane point is brought into view: past the right or bottom margin it ends 2
        // pixels inside it; left of or above the view it comes to the near edge.
        const QSize client = canvas_->viewport()->size();
        const QPoint shown = model_.PlaneToScreen(location.Point);
        QPoint scroll = model_.ScrollPosition();
        auto bringIn = [](int position, int scrollPosition, int length, bool content) {
            if (!content) {
                return scrollPosition;
            }
            if (position > length - viewMargin) {
                return scrollPosition + position - (length - viewMargin - 2);
            }
            if (position < 0) {
                const int wanted = scrollPosition + position;
                return wanted < 11 ? 0 : wanted;
            }
            return scrollPosition;
        };
        scroll.setX(bringIn(shown.x(), scroll.x(), client.width(), !location.XWindowRelative));
        scroll.setY(bringIn(shown.y(), scroll.y(), client.height(), !location.YWindowRelative));
        if (scroll != model_.ScrollPosition()) {
            model_.SetScrollPosition(scroll);
            canvas_->SyncScrollBars();
            canvas_->viewport()->update();
            refreshBars();
        }
    }
    const QPoint canvasGlobal =
        canvas_->viewport()->mapToGlobal(model_.PlaneToScreen(location.Point));
    const QPoint p = location.Point;
    switch (location.Zone) {
    case HorizontalSpinZone:
        return mapToGlobal(QPoint(width() - p.x(), p.y()));
    case BottomZone:
        return mapToGlobal(QPoint(p.x(), height() - p.y()));
    case CanvasZone:
        return canvasGlobal;
    case ListZone:
        return list_->mapToGlobal(p);
    case ButtonZone:
        return buttonPanel_->mapToGlobal(p);
    case HorizontalTrackZone:
        return {canvasGlobal.x(), mapToGlobal(QPoint(0, p.y())).y()};
    case VerticalTrackZone:
        return {mapToGlobal(QPoint(p.x(), 0)).x(), canvasGlobal.y()};
    default:
        return mapToGlobal(p);
    }
}
