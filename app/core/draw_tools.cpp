#include "draw_tools.h"

#include <QPainter>
#include <QWidget>

namespace {
// A rectangle from two corners, right and bottom exclusive, in any order.
QRect spanned(QPoint a, QPoint b) {
    return QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                 QPoint(std::max(a.x(), b.x()) - 1, std::max(a.y(), b.y()) - 1));
}
// The outline of an exclusive rectangle as a painter draws it (through pixel centres).
QRectF outline(const QRect& rect) {
    return QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5);
}
} // namespace

void TDrawTool::Begin(QWidget* canvas, QPoint point, int penWidth) {
    canvas_ = canvas;
    penWidth_ = penWidth;
    start_ = current_ = point;
    Start();
    repaint(QRect());
}

void TDrawTool::Move(int x, int y) {
    if (!Drawing()) {
        return;
    }
    const QRect before = Extent();
    Follow(QPoint(x + 1, y + 1));
    current_ = QPoint(x + 1, y + 1);
    repaint(before);
}

QRect TDrawTool::End() {
    const QRect before = Extent();
    Finish();
    QWidget* canvas = canvas_;
    canvas_ = nullptr;
    if (canvas != nullptr) {
        canvas->update(
            before.adjusted(-penWidth_ - 1, -penWidth_ - 1, penWidth_ + 1, penWidth_ + 1));
    }
    return spanned(start_, current_);
}

void TDrawTool::repaint(const QRect& before) const {
    if (canvas_ != nullptr) {
        const int m = penWidth_ + 1;
        canvas_->update(before.united(Extent()).adjusted(-m, -m, m, m));
    }
}

void TDrawTool::strokeDashed(QPainter& painter, int width, const std::function<void()>& draw) {
    painter.save();
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::white, width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    draw();
    painter.setPen(QPen(Qt::black, width, Qt::DashLine, Qt::SquareCap, Qt::MiterJoin));
    draw();
    painter.restore();
}

void TRectTool::Paint(QPainter& painter) const {
    if (Drawing()) {
        const QRect rect = spanned(start_, current_);
        strokeDashed(painter, penWidth_, [&] { painter.drawRect(outline(rect)); });
    }
}

QRect TRectTool::Extent() const {
    return spanned(start_, current_);
}

void TConstRectTool::Start() {
    offset_ = QPoint();
}

void TConstRectTool::Follow(QPoint point) {
    offset_ = point - QPoint(1, 1) - start_;
}

void TConstRectTool::Finish() {
    rect_.translate(offset_);
    offset_ = QPoint();
}

void TConstRectTool::Paint(QPainter& painter) const {
    if (Drawing()) {
        strokeDashed(painter, penWidth_,
                     [&] { painter.drawRect(outline(rect_.translated(offset_))); });
    }
}

QRect TConstRectTool::Extent() const {
    return rect_.translated(offset_);
}

void TPolygonTool::Start() {
    points_.assign(1, start_);
}

void TPolygonTool::Follow(QPoint point) {
    points_.push_back(point);
}

void TPolygonTool::Paint(QPainter& painter) const {
    if (Drawing() && points_.size() > 1) {
        strokeDashed(painter, penWidth_,
                     [&] { painter.drawPolyline(points_.data(), int(points_.size())); });
    }
}

QRect TPolygonTool::Extent() const {
    if (points_.empty()) {
        return {};
    }
    // Only the newest segment changes between two moves.
    const QPoint last = points_.back();
    const QPoint before = points_.size() > 1 ? points_[points_.size() - 2] : last;
    return spanned(before, last).adjusted(-1, -1, 2, 2);
}

QRect TCropRectTool::rectOf(const Edges& e) {
    return spanned(QPoint(e.left, e.top), QPoint(e.right, e.bottom));
}

int TCropRectTool::HitTest(QPoint p) const {
    const QRect frame = Frame();
    if (frame.isEmpty()) {
        return Outside;
    }
    const int l = frame.left();
    const int t = frame.top();
    const int r = frame.left() + frame.width();
    const int b = frame.top() + frame.height();
    // Bands as [from, to) in both directions.
    const auto in = [&](int x1, int y1, int x2, int y2) {
        return p.x() >= x1 && p.x() < x2 && p.y() >= y1 && p.y() < y2;
    };
    const bool left = in(l - 3, t - 3, l + 3, b + 3);
    const bool top = in(l - 3, t - 3, r + 3, t + 3);
    const bool right = in(r - 3, t - 3, r + 3, b + 3);
    const bool bottom = in(l - 3, b - 3, r + 3, b + 3);
    if (left && top) {
        return TopLeft;
    }
    if (right && top) {
        return TopRight;
    }
    if (right && bottom) {
        return BottomRight;
    }
    if (left && bottom) {
        return BottomLeft;
    }
    if (left) {
        return LeftEdge;
    }
    if (top) {
        return TopEdge;
    }
    if (right) {
        return RightEdge;
    }
    if (bottom) {
        return BottomEdge;
    }
    return in(l + 3, t + 3, r - 3, b - 3) ? Inside : Outside;
}

void TCropRectTool::StartDrag(QPoint point) {
    grab_ = HitTest(point);
    if (grab_ == Outside) {
        const QRect before = Frame();
        frame_ = {point.x(), point.y(), point.x(), point.y()};
        repaint(before);
    } else {
        const QRect frame = Frame();
        frame_ = {frame.left(), frame.top(), frame.left() + frame.width(),
                  frame.top() + frame.height()};
    }
    dragging_ = true;
    last_ = point;
}

void TCropRectTool::DragTo(QPoint point) {
    if (!dragging_) {
        return;
    }
    const QRect before = Frame();
    const int dx = point.x() - last_.x();
    const int dy = point.y() - last_.y();
    Edges& f = frame_;
    const bool moveLeft =
        grab_ == Inside || grab_ == LeftEdge || grab_ == TopLeft || grab_ == BottomLeft;
    const bool moveRight =
        grab_ == Inside || grab_ == RightEdge || grab_ == TopRight || grab_ == BottomRight;
    const bool moveTop =
        grab_ == Inside || grab_ == TopEdge || grab_ == TopLeft || grab_ == TopRight;
    const bool moveBottom =
        grab_ == Inside || grab_ == BottomEdge || grab_ == BottomRight || grab_ == BottomLeft;
    if (grab_ == Outside) {
        f.right = point.x() + 1;
        f.bottom = point.y() + 1;
    }
    f.left += moveLeft ? dx : 0;
    f.right += moveRight ? dx : 0;
    f.top += moveTop ? dy : 0;
    f.bottom += moveBottom ? dy : 0;
    last_ = point;
    repaint(before);
}

QRect TCropRectTool::EndDrag() {
    dragging_ = false;
    return Frame();
}

QRect TCropRectTool::Frame() const {
    return rectOf(frame_);
}

void TCropRectTool::SetFrame(const QRect& frame) {
    const QRect before = Frame();
    frame_ = {frame.left(), frame.top(), frame.left() + frame.width(),
              frame.top() + frame.height()};
    repaint(before);
}

void TCropRectTool::Clear() {
    const QRect before = Frame();
    frame_ = {};
    dragging_ = false;
    repaint(before);
}

void TCropRectTool::Paint(QPainter& painter) const {
    const QRect frame = Frame();
    if (!frame.isEmpty()) {
        painter.save();
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(Qt::white, 1));
        painter.drawRect(outline(frame));
        painter.setPen(QPen(Qt::black, 1, Qt::DashLine));
        painter.drawRect(outline(frame));
        painter.restore();
    }
}

void TCropRectTool::repaint(const QRect& before) const {
    canvas_->update(before.united(Frame()).adjusted(-2, -2, 2, 2));
}
