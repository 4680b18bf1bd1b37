// TTrackSizeBar: a ruler-like bar that shows and edits a span of a track. The track stands for
// Range pixels starting at StartPosition along the bar; Border1 and Border2 (relative to
// StartPosition) enclose the span. A five-sided thumb marks the active border (ThumbSide); the
// user moves that border with the small spin button at the bar's end or by dragging the thumb,
// and the bar then emits changingBorder1() or changingBorder2(). The owner moves the borders
// through the setters, which emit nothing.
//
// The borders always satisfy 0 <= Border1 <= Border2 <= Range - 1.
#pragma once

#include <QFrame>
#include <QRect>

class QTimer;

enum class TTrackOrientation { Horizontal, Vertical };
enum class TThumbSide { Border1, Border2 };

class TTrackSizeBar : public QFrame {
    Q_OBJECT

public:
    explicit TTrackSizeBar(QWidget* parent = nullptr);

    // A horizontal bar has a fixed height, a vertical one a fixed width (the style's scroll-bar
    // extent plus 4 pixels).
    TTrackOrientation Orientation() const { return orientation_; }
    void SetOrientation(TTrackOrientation orientation);
    // Pixel position of the track's origin along the bar. A horizontal bar adds its own height
    // so that its track lines up with the content beside a vertical bar of that width.
    int StartPosition() const { return startPosition_; }
    void SetStartPosition(int position);
    // Length of the track in pixels; values below 1 are stored as 1. The borders are pulled
    // back inside the new range.
    int Range() const { return range_; }
    void SetRange(int range);
    // Border1 is raised to 0, then lowered to Border2.
    int Border1() const { return border1_; }
    void SetBorder1(int border);
    // Border2 is raised to Border1, then lowered to Range - 1.
    int Border2() const { return border2_; }
    void SetBorder2(int border);
    // Sets both borders in the order that lets a consistent pair arrive unchanged, whichever
    // way the span moves.
    void SetBorders(int border1, int border2);
    // Step of the spin button and grid of dragging; values below 1 are stored as 1.
    int Increment() const { return increment_; }
    void SetIncrement(int increment);
    // The border that the thumb, the spin button and StepThumb move.
    TThumbSide ThumbSide() const { return thumbSide_; }
    void SetThumbSide(TThumbSide side);

    // Widget coordinates of the visible track (cut at the bar's start and before the spin
    // button) and of the spin button.
    QRect TrackRect() const;
    QRect SpinRect() const;
    // The thumb's bounding rectangle; empty while the active border is off the visible track.
    QRect ThumbRect() const;
    // Where a press starts dragging the thumb: its rectangle widened along the bar by its own
    // length on each side, across the bar's whole thickness. Empty while the thumb is hidden.
    QRect GrabArea() const;

    // Moves the active border one Increment back (-1) or forward (+1), as the spin button does,
    // and emits the border's signal even when the border could not move. Like a click on the
    // spin button, it does nothing while the bar is disabled.
    void StepThumb(int direction);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // The user moved Border1 or Border2 (spin button, thumb drag or StepThumb).
    void changingBorder1();
    void changingBorder2();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    bool horizontal() const { return orientation_ == TTrackOrientation::Horizontal; }
    int arrowExtent() const;
    int thickness() const;
    int length() const;
    int origin() const;
    int along(const QPoint& point) const;
    int across(const QPoint& point) const;
    QPoint barPoint(int alongBar, int acrossBar) const;
    QRect barRect(int alongStart, int acrossStart, int alongLength, int acrossLength) const;
    QRect insideTrack(int alongStart, int alongEnd) const;
    bool thumbShown() const;
    QPoint thumbTip() const;
    QRect spinHalf(int direction) const;
    void fixThickness();

    int activeBorder() const;
    void setActiveBorder(int border);
    void emitChanging();
    void dragTo(int alongBar);
    void pressSpin(int direction);
    void repeatSpin();
    void releaseSpin();

    void paintTrack(QPainter& painter) const;
    void paintThumb(QPainter& painter) const;
    void paintSpinButton(QPainter& painter) const;

    TTrackOrientation orientation_ = TTrackOrientation::Horizontal;
    int startPosition_ = 0;
    int range_ = 100;
    int border1_ = 0;
    int border2_ = 99;
    int increment_ = 1;
    TThumbSide thumbSide_ = TThumbSide::Border2;

    bool dragging_ = false;
    int dragFrom_ = 0;
    int dragStartBorder_ = 0;
    int spinDirection_ = 0;
    QTimer* spinRepeat_;
};
