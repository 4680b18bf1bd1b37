// Marking an image window's picture: the mouse tools of the sixteen tool modes, and the
// regions, hatch areas, rubber bands and crop frame drawn over the picture.
#include "hatch_region.h"
#include "image_window.h"
#include "tool_cursors.h"
#include "zoom.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

namespace {

enum Mode {
    ZoomInTool = 1,
    ZoomOutTool = 2,
    ColourPick = 9,
    CropTool = 10,
    InnerRectangle = 12,
    OuterRectangle = 13,
    InnerPolygon = 14,
    OuterPolygon = 15
};

bool isReferenceMode(int mode) {
    return mode >= 3 && mode <= 8;
}

RegionKind kindOfMode(int mode) {
    static const RegionKind kinds[] = {RegionKind::White,  RegionKind::Black, RegionKind::Grey,
                                       RegionKind::Colour, RegionKind::Light, RegionKind::Dark};
    return kinds[mode - 3];
}

// An image rectangle with at least one pixel in each direction.
QRect atLeastOnePixel(QRect rect) {
    rect.setWidth(std::max(rect.width(), 1));
    rect.setHeight(std::max(rect.height(), 1));
    return rect;
}

std::uint32_t windowsColour(const BgrColor& bgr) {
    return bgr[2] | (std::uint32_t(bgr[1]) << 8) | (std::uint32_t(bgr[0]) << 16);
}

QFont labelFont(const QFont& base, const TRefRegion& region) {
    QFont font = base;
    font.setBold(region.Kind != RegionKind::Colour);
    return font;
}

} // namespace

QPoint TImageView::snapped(QPoint client) const {
    return window_.imageToClient(window_.clientToImage(client));
}

QPoint TImageView::confined(QPoint client) const {
    const QSize visible =
        window_.DisplaySize() - QSize(horizontalScrollBar()->value(), verticalScrollBar()->value());
    const int right = std::min(visible.width(), viewport()->width()) - 1;
    const int bottom = std::min(visible.height(), viewport()->height()) - 1;
    return {std::clamp(client.x(), 0, std::max(right, 0)),
            std::clamp(client.y(), 0, std::max(bottom, 0))};
}

void TImageView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    const QPoint p = event->position().toPoint();
    const QPoint onDisplay = p + scrollPosition();
    if (onDisplay.x() < 0 || onDisplay.y() < 0 || onDisplay.x() >= window_.DisplaySize().width() ||
        onDisplay.y() >= window_.DisplaySize().height()) {
        return; // the black margin beside the picture
    }
    dragging_ = true;
    pressedOnLabel_ = false;
    const int mode = window_.host_.toolMode();
    if (isReferenceMode(mode)) {
        if (TRefRegion* region = window_.RegionAtLabel(p)) {
            window_.Regions.SetActive(region);
            viewport()->update();
            pressedOnLabel_ = true;
            return;
        }
    }
    switch (mode) {
    case ZoomInTool:
    case InnerRectangle:
    case OuterRectangle:
        window_.rectTool_.Begin(viewport(), snapped(p), 2);
        break;
    case ZoomOutTool: {
        const QPoint centre = window_.clientToImage(p);
        window_.ZoomOut();
        window_.CentreOn(centre);
        dragging_ = false;
        break;
    }
    case CropTool:
        if (window_.cropTool_.HitTest(snapped(p)) == TCropRectTool::Inside) {
            dragging_ = false;
            viewport()->setCursor(toolCursor(CropTool));
            window_.host_.runCrop(window_);
            window_.cropTool_.Clear();
        } else {
            window_.cropTool_.StartDrag(snapped(p));
        }
        break;
    case InnerPolygon:
    case OuterPolygon:
        window_.polygonTool_.Begin(viewport(), snapped(p), 1);
        break;
    default:
        if (isReferenceMode(mode) || mode == ColourPick) {
            window_.rectTool_.Begin(viewport(), snapped(p), 1);
        } else {
            dragging_ = false; // modes 0 and 11 do nothing with a press
        }
    }
}

void TImageView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    reportPointer(p);
    if (dragging_) {
        dragTo(p, event->modifiers());
    }
    QAbstractScrollArea::mouseMoveEvent(event);
}

void TImageView::reportPointer(QPoint p) {
    const int mode = window_.host_.toolMode();
    if (mode == CropTool) {
        const QPoint at = window_.clientToImage(p);
        if (!window_.cropTool_.Dragging()) {
            window_.host_.showStatus(QString("(%1,%2)").arg(at.x()).arg(at.y()));
            viewport()->setCursor(cropCursor(window_.cropTool_.HitTest(p)));
        } else {
            const QRect frame = window_.clientToImage(window_.cropTool_.Frame());
            window_.host_.showStatus(QString("(%1,%2) -> (%3,%4) = (%5 x %6)")
                                         .arg(frame.left())
                                         .arg(frame.top())
                                         .arg(frame.left() + frame.width())
                                         .arg(frame.top() + frame.height())
                                         .arg(frame.width())
                                         .arg(frame.height()));
        }
        return;
    }
    const QString report = window_.pointerReport(p);
    if (!report.isEmpty()) {
        window_.host_.showStatus(report);
    }
    if (!dragging_ && isReferenceMode(mode)) {
        overLabel_ = window_.RegionAtLabel(p) != nullptr;
        viewport()->setCursor(overLabel_ ? QCursor(Qt::ArrowCursor) : toolCursor(mode));
    }
}

void TImageView::dragTo(QPoint client, Qt::KeyboardModifiers modifiers) {
    QPoint p = snapped(confined(client));
    if (window_.Zoom() >= 2) {
        p += QPoint(window_.Zoom(), window_.Zoom()); // cover the whole pixel under the pointer
    }
    const int mode = window_.host_.toolMode();
    const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
    switch (mode) {
    case CropTool:
        window_.cropTool_.DragTo(p);
        break;
    case InnerPolygon:
    case OuterPolygon:
        window_.polygonTool_.Move(p.x(), p.y());
        break;
    case InnerRectangle:
    case OuterRectangle:
        if (!ctrl) {
            window_.rectTool_.Move(p.x(), p.y());
        }
        break;
    default:
        if (isReferenceMode(mode) && (pressedOnLabel_ || ctrl)) {
            break;
        }
        window_.rectTool_.Move(p.x(), p.y());
    }
}

void TImageView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !dragging_) {
        QAbstractScrollArea::mouseReleaseEvent(event);
        return;
    }
    dragging_ = false;
    finishDrag(event->modifiers());
}

void TImageView::finishDrag(Qt::KeyboardModifiers modifiers) {
    const int mode = window_.host_.toolMode();
    const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
    if (pressedOnLabel_) {
        pressedOnLabel_ = false;
        return;
    }
    if (mode == CropTool) {
        const QRect frame = window_.cropTool_.EndDrag();
        window_.CropRect = window_.clientToImage(frame).intersected(
            QRect(0, 0, window_.ImageWidth(), window_.ImageHeight()));
        return;
    }
    if (mode == InnerPolygon || mode == OuterPolygon) {
        window_.polygonTool_.End();
        std::vector<QPoint> points;
        for (const QPoint& p : window_.polygonTool_.Points()) {
            points.push_back(window_.clientToImage(p));
        }
        if (window_.HatchAreas.AddPolygon(
                mode == InnerPolygon ? THatchAreaList::inner : THatchAreaList::outer, points)) {
            viewport()->update();
        }
        return;
    }
    const QRect band = window_.rectTool_.End();
    const QRect image = window_.clientToImage(band);
    if (mode == ZoomInTool) {
        const int t = window_.Zoom() >= 1 ? 2 * window_.Zoom() : 2;
        if (band.width() > t || band.height() > t) {
            window_.ZoomToRect(image);
        } else {
            window_.ZoomIn();
            window_.CentreOn(image.topLeft());
        }
    } else if (isReferenceMode(mode) && !ctrl) {
        std::vector<QRect> removed;
        TRefRegion* added = window_.Regions.AddRegion(kindOfMode(mode), atLeastOnePixel(image),
                                                      window_.host_.referenceColour(), &removed);
        for (const QRect& rect : removed) {
            window_.InvalidateImageRect(rect);
        }
        window_.InvalidateImageRect(added->Rect);
        viewport()->update(); // labels and the Active outline move with the list
    } else if (mode == ColourPick) {
        window_.host_.colourPicked(
            windowsColour(window_.Image().ExtractColor(atLeastOnePixel(image))));
    } else if ((mode == InnerRectangle || mode == OuterRectangle) && !ctrl && !image.isEmpty()) {
        window_.HatchAreas.AddRectangle(
            mode == InnerRectangle ? THatchAreaList::inner : THatchAreaList::outer, image);
        viewport()->update();
    }
}

void TImageView::paintOverlays(QPainter& painter) {
    const QPoint scroll = scrollPosition();
    if (window_.HatchAreas.Count() > 0) {
        const QRect display(-scroll, window_.DisplaySize());
        const QPainterPath hatched = HatchOverlayPath(
            window_.HatchAreas, display, [this](QPoint p) { return window_.imageToClient(p); });
        painter.save();
        painter.setBrushOrigin(-scroll.x() % 8, -scroll.y() % 8); // fixed to the picture
        painter.fillPath(hatched, QBrush(Qt::white, Qt::BDiagPattern));
        painter.strokePath(hatched, QPen(Qt::black, 2));
        painter.restore();
    }
    for (int i = 0; i < window_.Regions.Count(); ++i) {
        const TRefRegion& region = *window_.Regions[i];
        const QRectF outline =
            QRectF(window_.imageToClient(region.Rect)).adjusted(0.5, 0.5, -0.5, -0.5);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(Qt::black, 1));
        painter.drawRect(outline);
        if (region.Active) {
            painter.setPen(QPen(Qt::white, 1));
            painter.drawRect(outline.adjusted(1, 1, -1, -1));
            painter.setPen(QPen(Qt::white, 1, Qt::DotLine));
            painter.drawRect(outline);
        }
        const QRect box = window_.LabelBox(region);
        if (region.Active) {
            painter.fillRect(box, Qt::white);
        }
        painter.setPen(Qt::black);
        painter.drawRect(QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5));
        painter.setFont(labelFont(font(), region));
        painter.drawText(box, Qt::AlignCenter, window_.Regions.Label(&region));
    }
    window_.rectTool_.Paint(painter);
    window_.polygonTool_.Paint(painter);
    window_.cropTool_.Paint(painter);
}

QRect TfrmMDIChild::LabelBox(const TRefRegion& region) const {
    const QFontMetrics metrics(labelFont(view_->font(), region));
    const QString label = Regions.Label(&region);
    const QPoint corner =
        imageToClient(QPoint(region.Rect.left(), region.Rect.top() + region.Rect.height()));
    return QRect(corner, QSize(metrics.horizontalAdvance(label) * 3 / 2, metrics.height()));
}

TRefRegion* TfrmMDIChild::RegionAtLabel(QPoint client) const {
    for (int i = 0; i < Regions.Count(); ++i) {
        if (LabelBox(*Regions[i]).contains(client)) {
            return Regions[i];
        }
    }
    return nullptr;
}

void TfrmMDIChild::InvalidateImageRect(const QRect& imageRect) {
    const QRect client = imageToClient(imageRect);
    // The outline, and the label below its left corner.
    view_->viewport()->update(
        client.adjusted(-2, -2, 2, 2)
            .united(QRect(client.bottomLeft(), QSize(client.width() + 64, 32))));
}

void TfrmMDIChild::CentreOn(QPoint imagePoint) {
    const QPoint screen = zoom_ >= 1 ? imagePoint * zoom_ : imagePoint / -zoom_;
    const QSize client = view_->viewport()->size();
    view_->horizontalScrollBar()->setValue(screen.x() - client.width() / 2);
    view_->verticalScrollBar()->setValue(screen.y() - client.height() / 2);
}

void TfrmMDIChild::ApplyToolMode() {
    cropTool_.Clear();
    view_->viewport()->setCursor(toolCursor(host_.toolMode()));
}

void TfrmMDIChild::DeleteActiveRegion() {
    if (Regions.ActiveRegion() != nullptr) {
        Regions.DeleteActive();
        view_->viewport()->update();
    }
}

void TfrmMDIChild::DeleteAllRegions() {
    Regions.Clear();
    view_->viewport()->update();
}

void TfrmMDIChild::DeleteAllAreas() {
    HatchAreas.Clear();
    view_->viewport()->update();
}
