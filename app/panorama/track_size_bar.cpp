#include "track_size_bar.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QStyle>
#include <QStyleOption>
#include <QTimer>

#include <algorithm>

// Geometry is computed in bar coordinates: "along" runs with the track (x of a horizontal bar,
// y of a vertical one), "across" runs over the bar's thickness. Both orientations share the
// same numbers in these coordinates, so every shape is described once.
namespace {
// Distance of the track and of the spin button from the bar's near side.
constexpr int trackAcross = 6;
constexpr int spinAcross = 2;
// Free pixels between the track's end and the spin button.
constexpr int spinGap = 4;
// The thumb's corners relative to its tip, which points at the border.
constexpr int thumbHalfWidth = 4;
constexpr int thumbShoulder = 4;
constexpr int thumbBack = 9;
// Its bounding rectangle relative to the tip.
constexpr int thumbBoxStart = -4;
constexpr int thumbBoxLength = 10;
constexpr int thumbBoxAcross = -9;
constexpr int thumbBoxThickness = 11;
// The tip sits this far inside the track's far side.
constexpr int thumbTipInset = 2;
// Holding a spin arrow repeats its step like a held button.
constexpr int spinRepeatDelayMs = 300;
constexpr int spinRepeatIntervalMs = 100;
} // namespace

TTrackSizeBar::TTrackSizeBar(QWidget* parent) : QFrame(parent), spinRepeat_(new QTimer(this)) {
    connect(spinRepeat_, &QTimer::timeout, this, &TTrackSizeBar::repeatSpin);
    fixThickness();
}

void TTrackSizeBar::SetOrientation(TTrackOrientation orientation) {
    if (orientation == orientation_) {
        return;
    }
    orientation_ = orientation;
    fixThickness();
    updateGeometry();
    update();
}

void TTrackSizeBar::SetStartPosition(int position) {
    startPosition_ = position;
    update();
}

void TTrackSizeBar::SetRange(int range) {
    range_ = std::max(range, 1);
    SetBorder2(border2_);
    SetBorder1(border1_);
    update();
}

void TTrackSizeBar::SetBorder1(int border) {
    border1_ = std::min(std::max(border, 0), border2_);
    update();
}

void TTrackSizeBar::SetBorder2(int border) {
    border2_ = std::min(std::max(border, border1_), range_ - 1);
    update();
}

void TTrackSizeBar::SetBorders(int border1, int border2) {
    if (border1 > border2_) {
        SetBorder2(border2);
        SetBorder1(border1);
    } else {
        SetBorder1(border1);
        SetBorder2(border2);
    }
}

void TTrackSizeBar::SetIncrement(int increment) {
    increment_ = std::max(increment, 1);
}

void TTrackSizeBar::SetThumbSide(TThumbSide side) {
    thumbSide_ = side;
    update();
}

int TTrackSizeBar::arrowExtent() const {
    return style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
}

int TTrackSizeBar::thickness() const {
    return arrowExtent() + 4;
}

int TTrackSizeBar::length() const {
    return horizontal() ? width() : height();
}

// Where border 0 lies along the bar.
int TTrackSizeBar::origin() const {
    return startPosition_ + (horizontal() ? thickness() : 0);
}

int TTrackSizeBar::along(const QPoint& point) const {
    return horizontal() ? point.x() : point.y();
}

int TTrackSizeBar::across(const QPoint& point) const {
    return horizontal() ? point.y() : point.x();
}

QPoint TTrackSizeBar::barPoint(int alongBar, int acrossBar) const {
    return horizontal() ? QPoint(alongBar, acrossBar) : QPoint(acrossBar, alongBar);
}

QRect TTrackSizeBar::barRect(int alongStart, int acrossStart, int alongLength,
                             int acrossLength) const {
    return horizontal() ? QRect(alongStart, acrossStart, alongLength, acrossLength)
                        : QRect(acrossStart, alongStart, acrossLength, alongLength);
}

// Two arrows of the style's scroll-bar arrow size, side by side along the bar at its far end.
QRect TTrackSizeBar::SpinRect() const {
    const int w = arrowExtent();
    return barRect(length() - 2 * w - 1, spinAcross, 2 * w, w);
}

QRect TTrackSizeBar::TrackRect() const {
    const int nearLimit = horizontal() ? thickness() : 0;
    const int farLimit = along(SpinRect().topLeft()) - spinGap;
    const int start = std::max(origin(), nearLimit);
    const int end = std::min(origin() + range_, farLimit);
    return barRect(start, trackAcross, std::max(end - start, 0), arrowExtent() / 2 - 1);
}

// The pixels alongStart..alongEnd - 1 inside the track's sunken edge.
QRect TTrackSizeBar::insideTrack(int alongStart, int alongEnd) const {
    const QRect inside = TrackRect().adjusted(1, 1, -1, -1);
    if (inside.isEmpty()) {
        return {};
    }
    const int start = std::max(alongStart, along(inside.topLeft()));
    const int end = std::min(alongEnd, along(inside.bottomRight()) + 1);
    if (end <= start) {
        return {};
    }
    const int acrossLength = horizontal() ? inside.height() : inside.width();
    return barRect(start, across(inside.topLeft()), end - start, acrossLength);
}

// The thumb is shown while the pixel of its border lies on the visible track.
bool TTrackSizeBar::thumbShown() const {
    const QRect track = TrackRect();
    if (track.isEmpty()) {
        return false;
    }
    const int borderPixel = origin() + activeBorder();
    return borderPixel >= along(track.topLeft()) && borderPixel <= along(track.bottomRight());
}

// The first border's thumb points at the last pixel before the span, the second border's at
// the span's last pixel.
QPoint TTrackSizeBar::thumbTip() const {
    const QRect track = TrackRect();
    const int trackFarSide = across(track.bottomRight()) + 1;
    const int alongBar = origin() + (thumbSide_ == TThumbSide::Border1 ? border1_ - 1 : border2_);
    return barPoint(alongBar, trackFarSide - thumbTipInset);
}

QRect TTrackSizeBar::ThumbRect() const {
    if (!thumbShown()) {
        return {};
    }
    const QPoint tip = thumbTip();
    return barRect(along(tip) + thumbBoxStart, across(tip) + thumbBoxAcross, thumbBoxLength,
                   thumbBoxThickness);
}

QRect TTrackSizeBar::GrabArea() const {
    const QRect thumb = ThumbRect();
    if (thumb.isEmpty()) {
        return {};
    }
    return barRect(along(thumb.topLeft()) - thumbBoxLength, 0, 3 * thumbBoxLength,
                   horizontal() ? height() : width());
}

// The spin button's half that steps in the given direction: the near half (left or up) goes
// back, the far half (right or down) forward.
QRect TTrackSizeBar::spinHalf(int direction) const {
    const int w = arrowExtent();
    const int start = along(SpinRect().topLeft()) + (direction < 0 ? 0 : w);
    return barRect(start, spinAcross, w, w);
}

void TTrackSizeBar::fixThickness() {
    const int size = thickness();
    if (horizontal()) {
        setMinimumSize(0, size);
        setMaximumSize(QWIDGETSIZE_MAX, size);
    } else {
        setMinimumSize(size, 0);
        setMaximumSize(size, QWIDGETSIZE_MAX);
    }
}

QSize TTrackSizeBar::sizeHint() const {
    const int longSide = thickness() + range_ + spinGap + 2 * arrowExtent() + 1;
    return horizontal() ? QSize(longSide, thickness()) : QSize(thickness(), longSide);
}

QSize TTrackSizeBar::minimumSizeHint() const {
    const int longSide = 2 * arrowExtent() + 1;
    return horizontal() ? QSize(longSide, thickness()) : QSize(thickness(), longSide);
}

int TTrackSizeBar::activeBorder() const {
    return thumbSide_ == TThumbSide::Border1 ? border1_ : border2_;
}

void TTrackSizeBar::setActiveBorder(int border) {
    if (thumbSide_ == TThumbSide::Border1) {
        SetBorder1(border);
    } else {
        SetBorder2(border);
    }
}

void TTrackSizeBar::emitChanging() {
    if (thumbSide_ == TThumbSide::Border1) {
        emit changingBorder1();
    } else {
        emit changingBorder2();
    }
}

void TTrackSizeBar::StepThumb(int direction) {
    if (!isEnabled()) {
        return;
    }
    setActiveBorder(activeBorder() + direction * increment_);
    emitChanging();
}

// The border moves by whole increments of the distance dragged, rounded towards zero.
void TTrackSizeBar::dragTo(int alongBar) {
    const int steps = (alongBar - dragFrom_) / increment_;
    setActiveBorder(dragStartBorder_ + steps * increment_);
    emitChanging();
}

void TTrackSizeBar::pressSpin(int direction) {
    spinDirection_ = direction;
    update(SpinRect());
    StepThumb(direction);
    spinRepeat_->start(spinRepeatDelayMs);
}

void TTrackSizeBar::repeatSpin() {
    spinRepeat_->setInterval(spinRepeatIntervalMs);
    StepThumb(spinDirection_);
}

void TTrackSizeBar::releaseSpin() {
    spinRepeat_->stop();
    spinDirection_ = 0;
    update(SpinRect());
}

void TTrackSizeBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QFrame::mousePressEvent(event);
        return;
    }
    const QPoint point = event->position().toPoint();
    if (SpinRect().contains(point)) {
        pressSpin(spinHalf(-1).contains(point) ? -1 : 1);
    } else if (GrabArea().contains(point)) {
        dragging_ = true;
        dragFrom_ = along(point);
        dragStartBorder_ = activeBorder();
    }
}

void TTrackSizeBar::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_) {
        dragTo(along(event->position().toPoint()));
    }
}

void TTrackSizeBar::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QFrame::mouseReleaseEvent(event);
        return;
    }
    if (spinDirection_ != 0) {
        releaseSpin();
    }
    if (dragging_) {
        dragging_ = false;
        dragTo(along(event->position().toPoint()));
    }
}

void TTrackSizeBar::changeEvent(QEvent* event) {
    if (event->type() == QEvent::StyleChange) {
        fixThickness();
        updateGeometry();
    }
    QFrame::changeEvent(event);
}

void TTrackSizeBar::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    paintTrack(painter);
    paintThumb(painter);
    paintSpinButton(painter);
}

// A sunken groove; inside it the span between the borders is white, the rest shadowed.
void TTrackSizeBar::paintTrack(QPainter& painter) const {
    const QRect track = TrackRect();
    if (track.isEmpty()) {
        return;
    }
    const QColor shadow = palette().color(QPalette::Dark);
    painter.setPen(shadow);
    painter.drawLine(track.topLeft(), track.topRight());
    painter.drawLine(track.topLeft(), track.bottomLeft());
    painter.setPen(Qt::white);
    painter.drawLine(track.bottomLeft(), track.bottomRight());
    painter.drawLine(track.topRight(), track.bottomRight());

    const int spanStart = origin() + border1_;
    const int spanEnd = origin() + border2_ + 1;
    const int trackEnd = along(track.bottomRight()) + 1;
    painter.fillRect(insideTrack(along(track.topLeft()), spanStart), shadow);
    painter.fillRect(insideTrack(spanStart, spanEnd), Qt::white);
    painter.fillRect(insideTrack(spanEnd, trackEnd), shadow);
}

// A five-sided thumb in the button face colour, raised: white along its near flank and back,
// shadowed along its far side and flank.
void TTrackSizeBar::paintThumb(QPainter& painter) const {
    if (!thumbShown()) {
        return;
    }
    const QPoint tip = thumbTip();
    const int tipAlong = along(tip);
    const int tipAcross = across(tip);
    const QPoint nearShoulder = barPoint(tipAlong - thumbHalfWidth, tipAcross - thumbShoulder);
    const QPoint nearBack = barPoint(tipAlong - thumbHalfWidth, tipAcross - thumbBack);
    const QPoint farBack = barPoint(tipAlong + thumbHalfWidth, tipAcross - thumbBack);
    const QPoint farShoulder = barPoint(tipAlong + thumbHalfWidth, tipAcross - thumbShoulder);

    painter.setPen(Qt::NoPen);
    painter.setBrush(palette().color(QPalette::Button));
    painter.drawPolygon(QPolygon({nearShoulder, nearBack, farBack, farShoulder, tip}));
    painter.setBrush(Qt::NoBrush);
    painter.setPen(Qt::white);
    painter.drawPolyline(QPolygon({tip, nearShoulder, nearBack, farBack}));
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawPolyline(QPolygon({farBack, farShoulder, tip}));
}

void TTrackSizeBar::paintSpinButton(QPainter& painter) const {
    const QStyle::PrimitiveElement backArrow =
        horizontal() ? QStyle::PE_IndicatorArrowLeft : QStyle::PE_IndicatorArrowUp;
    const QStyle::PrimitiveElement forwardArrow =
        horizontal() ? QStyle::PE_IndicatorArrowRight : QStyle::PE_IndicatorArrowDown;
    for (const int direction : {-1, 1}) {
        QStyleOption option;
        option.initFrom(this);
        option.rect = spinHalf(direction);
        option.state |= spinDirection_ == direction ? QStyle::State_Sunken : QStyle::State_Raised;
        style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &option, &painter, this);
        option.rect.adjust(2, 2, -2, -2);
        style()->drawPrimitive(direction < 0 ? backArrow : forwardArrow, &option, &painter, this);
    }
}
