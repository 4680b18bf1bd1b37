// The rubber-band tools of an image window. A tool follows the pointer from a press to a
// release and shows its shape as it goes, drawn over the picture with a black-and-white dashed
// line that is visible on any colour; when the tool ends, the shape disappears.
#pragma once

#include <QPoint>
#include <QRect>

#include <functional>
#include <vector>

class QPainter;
class QWidget;

class TDrawTool {
public:
    virtual ~TDrawTool() = default;

    // Starts at `point` (client coordinates), drawing with `penWidth`.
    void Begin(QWidget* canvas, QPoint point, int penWidth);
    // Follows the pointer: the tool's current point becomes (x + 1, y + 1).
    void Move(int x, int y);
    // Ends the drag; the normalised rectangle from the start to the current point (right and
    // bottom exclusive).
    QRect End();
    bool Drawing() const { return canvas_ != nullptr; }
    QPoint StartPoint() const { return start_; }
    QPoint CurrentPoint() const { return current_; }

    // Draws the shape as it stands.
    virtual void Paint(QPainter& painter) const = 0;

protected:
    virtual void Start() {}
    virtual void Follow(QPoint) {}
    virtual void Finish() {}
    // The screen area the shape covers now, for repainting.
    virtual QRect Extent() const = 0;
    void repaint(const QRect& before) const;
    static void strokeDashed(QPainter& painter, int width, const std::function<void()>& draw);

    QWidget* canvas_ = nullptr;
    QPoint start_;
    QPoint current_;
    int penWidth_ = 1;
};

// A rectangle from the press to the pointer.
class TRectTool : public TDrawTool {
public:
    void Paint(QPainter& painter) const override;

protected:
    QRect Extent() const override;
};

// A rectangle of fixed size carried by the pointer (the print layout places pictures with it).
class TConstRectTool : public TDrawTool {
public:
    void SetRect(const QRect& rect) { rect_ = rect; }
    // The rectangle, moved by the last drag once it has ended.
    QRect Rect() const { return rect_; }
    QPoint Offset() const { return offset_; }
    void Paint(QPainter& painter) const override;

protected:
    void Start() override;
    void Follow(QPoint point) override;
    void Finish() override;
    QRect Extent() const override;

private:
    QRect rect_;
    QPoint offset_;
};

// A free-hand outline: every pointer position becomes a corner.
class TPolygonTool : public TDrawTool {
public:
    const std::vector<QPoint>& Points() const { return points_; }
    void Paint(QPainter& painter) const override;

protected:
    void Start() override;
    void Follow(QPoint point) override;
    QRect Extent() const override;

private:
    std::vector<QPoint> points_;
};

// The crop frame: drawn by dragging, then moved or resized by its edges and corners.
class TCropRectTool {
public:
    enum GrabCode {
        Outside = 0,
        Inside = 1,
        LeftEdge = 2,
        TopEdge = 3,
        RightEdge = 4,
        BottomEdge = 5,
        TopLeft = 6,
        TopRight = 7,
        BottomRight = 8,
        BottomLeft = 9
    };

    explicit TCropRectTool(QWidget* canvas) : canvas_(canvas) {}

    // Which part of the frame lies under `point` (3-pixel bands around the edges).
    int HitTest(QPoint point) const;
    void StartDrag(QPoint point);
    void DragTo(QPoint point);
    // Ends the drag; the normalised frame.
    QRect EndDrag();
    bool Dragging() const { return dragging_; }
    QRect Frame() const;
    void SetFrame(const QRect& frame);
    // Removes the frame from the screen and forgets it.
    void Clear();
    void Paint(QPainter& painter) const;

private:
    void repaint(const QRect& before) const;

    struct Edges {
        int left = 0, top = 0, right = 0, bottom = 0; // right and bottom exclusive
    };
    static QRect rectOf(const Edges& edges);

    QWidget* canvas_;
    Edges frame_; // client coordinates; may be unnormalised while dragging
    int grab_ = Outside;
    bool dragging_ = false;
    QPoint last_;
};
