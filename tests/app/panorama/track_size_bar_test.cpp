#include "track_size_bar.h"

#include <QCoreApplication>
#include <QImage>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// The style's scroll-bar extent, which sizes the spin arrows and the bar's thickness.
int extent(const TTrackSizeBar& bar) {
    return bar.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &bar);
}

int thickness(const TTrackSizeBar& bar) {
    return extent(bar) + 4;
}

void sendMouse(QWidget& widget, QEvent::Type type, QPoint point, Qt::MouseButton button,
               Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(point), widget.mapToGlobal(QPointF(point)), button, buttons,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &event);
}

void press(QWidget& widget, QPoint point) {
    sendMouse(widget, QEvent::MouseButtonPress, point, Qt::LeftButton, Qt::LeftButton);
}

void moveTo(QWidget& widget, QPoint point) {
    sendMouse(widget, QEvent::MouseMove, point, Qt::NoButton, Qt::LeftButton);
}

void release(QWidget& widget, QPoint point) {
    sendMouse(widget, QEvent::MouseButtonRelease, point, Qt::LeftButton, Qt::NoButton);
}

void click(QWidget& widget, QPoint point) {
    press(widget, point);
    release(widget, point);
}

void expectBordersInRange(const TTrackSizeBar& bar) {
    EXPECT_LE(0, bar.Border1());
    EXPECT_LE(bar.Border1(), bar.Border2());
    EXPECT_LE(bar.Border2(), bar.Range() - 1);
}

// A point moved along the bar's track direction.
QPoint alongBar(const TTrackSizeBar& bar, QPoint point, int distance) {
    return bar.Orientation() == TTrackOrientation::Horizontal ? point + QPoint(distance, 0)
                                                              : point + QPoint(0, distance);
}

// The centres of the spin button's near half (left or up) and far half (right or down).
QPoint nearArrow(const TTrackSizeBar& bar) {
    const QRect spin = bar.SpinRect();
    const int w = extent(bar);
    return spin.topLeft() + QPoint(w / 2, w / 2);
}

QPoint farArrow(const TTrackSizeBar& bar) {
    return alongBar(bar, nearArrow(bar), extent(bar));
}

struct BorderEvents {
    explicit BorderEvents(TTrackSizeBar& bar)
        : border1(&bar, &TTrackSizeBar::changingBorder1),
          border2(&bar, &TTrackSizeBar::changingBorder2) {}
    QSignalSpy border1;
    QSignalSpy border2;
};

// A bar 400 pixels long whose track starts 10 pixels in and spans 200 pixels, borders 50..150.
class TrackSizeBarTest : public testing::TestWithParam<TTrackOrientation> {
protected:
    void SetUp() override { shape(bar, GetParam()); }

    static void shape(TTrackSizeBar& target, TTrackOrientation orientation) {
        target.SetOrientation(orientation);
        if (orientation == TTrackOrientation::Horizontal) {
            target.resize(400, thickness(target));
        } else {
            target.resize(thickness(target), 400);
        }
        target.SetStartPosition(10);
        target.SetRange(200);
        target.SetBorders(50, 150);
    }

    int origin() const {
        return bar.Orientation() == TTrackOrientation::Horizontal ? 10 + thickness(bar) : 10;
    }

    TTrackSizeBar bar;
};

INSTANTIATE_TEST_SUITE_P(BothOrientations, TrackSizeBarTest,
                         testing::Values(TTrackOrientation::Horizontal,
                                         TTrackOrientation::Vertical),
                         [](const testing::TestParamInfo<TTrackOrientation>& info) {
                             return info.param == TTrackOrientation::Horizontal ? "Horizontal"
                                                                                : "Vertical";
                         });

} // namespace

TEST(TrackSizeBarProperties, AFreshBarHasTheDocumentedDefaults) {
    TTrackSizeBar bar;
    EXPECT_EQ(bar.Orientation(), TTrackOrientation::Horizontal);
    EXPECT_EQ(bar.StartPosition(), 0);
    EXPECT_EQ(bar.Range(), 100);
    EXPECT_EQ(bar.Border1(), 0);
    EXPECT_EQ(bar.Border2(), 99);
    EXPECT_EQ(bar.Increment(), 1);
    EXPECT_EQ(bar.ThumbSide(), TThumbSide::Border2);
}

TEST(TrackSizeBarProperties, SettersKeepTheBordersOrderedInsideTheRange) {
    TTrackSizeBar bar;
    BorderEvents events(bar);
    const auto check = [&](int border1, int border2, const char* step) {
        SCOPED_TRACE(step);
        EXPECT_EQ(bar.Border1(), border1);
        EXPECT_EQ(bar.Border2(), border2);
        expectBordersInRange(bar);
    };
    bar.SetBorder1(-5);
    check(0, 99, "Border1 is raised to 0");
    bar.SetBorder1(120);
    check(99, 99, "Border1 is lowered to Border2");
    bar.SetBorder2(50);
    check(99, 99, "Border2 is raised to Border1");
    bar.SetBorder1(10);
    bar.SetBorder2(500);
    check(10, 99, "Border2 is lowered to Range - 1");
    bar.SetBorder2(5);
    check(10, 10, "Border2 below Border1");
    bar.SetBorder2(60);
    bar.SetRange(30);
    check(10, 29, "a shorter range pulls Border2 in");
    bar.SetRange(8);
    check(7, 7, "and Border1 behind it");
    bar.SetRange(0);
    EXPECT_EQ(bar.Range(), 1);
    check(0, 0, "a range below 1 leaves one position");
    bar.SetIncrement(0);
    EXPECT_EQ(bar.Increment(), 1);
    bar.SetIncrement(-3);
    EXPECT_EQ(bar.Increment(), 1);
    bar.SetStartPosition(-40);
    bar.SetThumbSide(TThumbSide::Border1);
    bar.SetOrientation(TTrackOrientation::Vertical);
    EXPECT_EQ(events.border1.count() + events.border2.count(), 0) << "setters raise no event";
}

TEST(TrackSizeBarProperties, SetBordersMovesASpanPastItsOldPositionEitherWay) {
    TTrackSizeBar bar;
    bar.SetBorders(10, 20);
    bar.SetBorders(60, 90);
    EXPECT_EQ(bar.Border1(), 60);
    EXPECT_EQ(bar.Border2(), 90);
    bar.SetBorders(5, 8);
    EXPECT_EQ(bar.Border1(), 5);
    EXPECT_EQ(bar.Border2(), 8);
    bar.SetBorders(-7, 400);
    EXPECT_EQ(bar.Border1(), 0);
    EXPECT_EQ(bar.Border2(), 99);
}

TEST(TrackSizeBarLayout, HorizontalBarPlacesTrackAfterItsHeightAndSpinAtTheRightEnd) {
    TTrackSizeBar bar;
    const int h = extent(bar);
    const int t = thickness(bar);
    EXPECT_EQ(bar.minimumHeight(), t);
    EXPECT_EQ(bar.maximumHeight(), t);
    bar.resize(400, t);
    bar.SetStartPosition(10);
    bar.SetRange(200);
    EXPECT_EQ(bar.SpinRect(), QRect(400 - 2 * h - 1, 2, 2 * h, h));
    EXPECT_EQ(bar.TrackRect(), QRect(10 + t, 6, 200, h / 2 - 1));

    bar.SetStartPosition(-30);
    EXPECT_EQ(bar.TrackRect(), QRect(t, 6, 170, h / 2 - 1)) << "cut at the bar's height";
    bar.SetStartPosition(300);
    const int spinLeft = 400 - 2 * h - 1;
    EXPECT_EQ(bar.TrackRect(), QRect(300 + t, 6, spinLeft - 4 - (300 + t), h / 2 - 1))
        << "cut 4 pixels before the spin button";
}

TEST(TrackSizeBarLayout, VerticalBarPlacesTrackAtItsStartAndSpinAtTheBottom) {
    TTrackSizeBar bar;
    bar.SetOrientation(TTrackOrientation::Vertical);
    const int h = extent(bar);
    const int t = thickness(bar);
    EXPECT_EQ(bar.minimumWidth(), t);
    EXPECT_EQ(bar.maximumWidth(), t);
    EXPECT_EQ(bar.minimumHeight(), 0) << "the horizontal height limit is lifted";
    bar.resize(t, 400);
    bar.SetStartPosition(10);
    bar.SetRange(200);
    EXPECT_EQ(bar.SpinRect(), QRect(2, 400 - 2 * h - 1, h, 2 * h));
    EXPECT_EQ(bar.TrackRect(), QRect(6, 10, h / 2 - 1, 200));

    bar.SetStartPosition(-30);
    EXPECT_EQ(bar.TrackRect(), QRect(6, 0, h / 2 - 1, 170)) << "never above the bar";
    bar.SetStartPosition(300);
    const int spinTop = 400 - 2 * h - 1;
    EXPECT_EQ(bar.TrackRect(), QRect(6, 300, h / 2 - 1, spinTop - 4 - 300));
}

TEST(TrackSizeBarLayout, ThumbAndGrabAreaOfAHorizontalBar) {
    TTrackSizeBar bar;
    const int h = extent(bar);
    const int t = thickness(bar);
    bar.resize(400, t);
    bar.SetStartPosition(10);
    bar.SetRange(200);
    bar.SetBorders(50, 150);
    const int tipY = 6 + h / 2 - 1 - 2;
    int tipX = 10 + t + 150;
    EXPECT_EQ(bar.ThumbRect(), QRect(QPoint(tipX - 4, tipY - 9), QPoint(tipX + 5, tipY + 1)));
    EXPECT_EQ(bar.GrabArea(), QRect(QPoint(tipX - 14, 0), QPoint(tipX + 15, t - 1)));

    bar.SetThumbSide(TThumbSide::Border1);
    tipX = 10 + t + 50 - 1;
    EXPECT_EQ(bar.ThumbRect(), QRect(QPoint(tipX - 4, tipY - 9), QPoint(tipX + 5, tipY + 1)));
    EXPECT_EQ(bar.GrabArea(), QRect(QPoint(tipX - 14, 0), QPoint(tipX + 15, t - 1)));
}

TEST(TrackSizeBarLayout, ThumbAndGrabAreaOfAVerticalBar) {
    TTrackSizeBar bar;
    bar.SetOrientation(TTrackOrientation::Vertical);
    const int h = extent(bar);
    const int t = thickness(bar);
    bar.resize(t, 400);
    bar.SetStartPosition(10);
    bar.SetRange(200);
    bar.SetBorders(50, 150);
    const int tipX = 6 + h / 2 - 1 - 2;
    int tipY = 10 + 150;
    EXPECT_EQ(bar.ThumbRect(), QRect(QPoint(tipX - 9, tipY - 4), QPoint(tipX + 1, tipY + 5)));
    EXPECT_EQ(bar.GrabArea(), QRect(QPoint(0, tipY - 14), QPoint(t - 1, tipY + 15)));

    bar.SetThumbSide(TThumbSide::Border1);
    tipY = 10 + 50 - 1;
    EXPECT_EQ(bar.ThumbRect(), QRect(QPoint(tipX - 9, tipY - 4), QPoint(tipX + 1, tipY + 5)));
}

TEST_P(TrackSizeBarTest, ThumbIsHiddenWhileItsBorderIsOffTheVisibleTrack) {
    bar.SetStartPosition(300);
    EXPECT_TRUE(bar.ThumbRect().isEmpty()) << "Border2 lies past the visible track";
    EXPECT_TRUE(bar.GrabArea().isEmpty());
    bar.SetStartPosition(-60);
    bar.SetThumbSide(TThumbSide::Border1);
    EXPECT_TRUE(bar.ThumbRect().isEmpty()) << "Border1 lies before the bar's start";
    bar.SetStartPosition(0);
    bar.SetBorder1(0);
    EXPECT_FALSE(bar.ThumbRect().isEmpty()) << "Border1 at 0 is on the track";
}

TEST_P(TrackSizeBarTest, PressesStartADragExactlyInsideTheGrabArea) {
    const QRect grab = bar.GrabArea();
    const auto dragMoves = [&](QPoint from) {
        const int before = bar.Border2();
        press(bar, from);
        moveTo(bar, alongBar(bar, from, 3));
        release(bar, alongBar(bar, from, 3));
        const bool moved = bar.Border2() != before;
        bar.SetBorder2(before);
        return moved;
    };
    EXPECT_TRUE(dragMoves(grab.topLeft()));
    EXPECT_TRUE(dragMoves(grab.bottomRight()));
    EXPECT_FALSE(dragMoves(alongBar(bar, grab.topLeft(), -1)));
    EXPECT_FALSE(dragMoves(alongBar(bar, grab.bottomRight(), 1)));
}

TEST_P(TrackSizeBarTest, SpinNearArrowSubtractsAndFarArrowAdds) {
    // A horizontal bar's "previous" (left) arrow and a vertical bar's "next" (up) arrow are
    // both the near half.
    bar.SetIncrement(3);
    BorderEvents events(bar);
    click(bar, farArrow(bar));
    EXPECT_EQ(bar.Border2(), 153);
    click(bar, nearArrow(bar));
    click(bar, nearArrow(bar));
    EXPECT_EQ(bar.Border2(), 147);
    EXPECT_EQ(events.border2.count(), 3);
    EXPECT_EQ(events.border1.count(), 0);

    bar.SetThumbSide(TThumbSide::Border1);
    click(bar, nearArrow(bar));
    EXPECT_EQ(bar.Border1(), 47);
    EXPECT_EQ(bar.Border2(), 147);
    EXPECT_EQ(events.border1.count(), 1);
    expectBordersInRange(bar);
}

TEST_P(TrackSizeBarTest, SpinAtTheEndOfTheRangeStaysButStillRaisesTheEvent) {
    bar.SetBorder2(199);
    bar.SetIncrement(5);
    BorderEvents events(bar);
    click(bar, farArrow(bar));
    EXPECT_EQ(bar.Border2(), 199);
    EXPECT_EQ(events.border2.count(), 1);
    bar.SetThumbSide(TThumbSide::Border1);
    bar.SetBorder1(199);
    click(bar, farArrow(bar));
    EXPECT_EQ(bar.Border1(), 199) << "Border1 cannot pass Border2";
    expectBordersInRange(bar);
}

TEST_P(TrackSizeBarTest, HoldingASpinArrowRepeatsUntilRelease) {
    BorderEvents events(bar);
    press(bar, farArrow(bar));
    QTest::qWait(550);
    const int held = static_cast<int>(events.border2.count());
    EXPECT_GE(held, 2);
    EXPECT_EQ(bar.Border2(), 150 + held);
    release(bar, farArrow(bar));
    QTest::qWait(250);
    EXPECT_EQ(events.border2.count(), held);
}

TEST_P(TrackSizeBarTest, DragShorterThanOneIncrementLeavesTheBorderAlone) {
    bar.SetIncrement(5);
    BorderEvents events(bar);
    const QPoint from = bar.GrabArea().center();
    press(bar, from);
    moveTo(bar, alongBar(bar, from, 4));
    EXPECT_EQ(bar.Border2(), 150);
    moveTo(bar, alongBar(bar, from, -4));
    release(bar, alongBar(bar, from, -4));
    EXPECT_EQ(bar.Border2(), 150);
    EXPECT_EQ(events.border2.count(), 3) << "one event per move and one on release";
}

TEST_P(TrackSizeBarTest, DragMovesByWholeIncrementsRoundedTowardsZero) {
    bar.SetIncrement(4);
    BorderEvents events(bar);
    const QPoint from = bar.GrabArea().center();
    press(bar, from);
    EXPECT_EQ(events.border2.count(), 0) << "the press alone raises nothing";
    moveTo(bar, alongBar(bar, from, 13));
    EXPECT_EQ(bar.Border2(), 162);
    moveTo(bar, alongBar(bar, from, -9));
    EXPECT_EQ(bar.Border2(), 142) << "-9 is two increments back, not three";
    release(bar, alongBar(bar, from, -9));
    EXPECT_EQ(bar.Border2(), 142);
    EXPECT_EQ(events.border2.count(), 3);
    EXPECT_EQ(events.border1.count(), 0);

    moveTo(bar, alongBar(bar, from, 40));
    EXPECT_EQ(bar.Border2(), 142) << "moves after the release do nothing";
    EXPECT_EQ(events.border2.count(), 3);
}

TEST_P(TrackSizeBarTest, DraggingTheFirstBorderStopsAtTheLimits) {
    bar.SetThumbSide(TThumbSide::Border1);
    BorderEvents events(bar);
    const QPoint from = bar.GrabArea().center();
    press(bar, from);
    moveTo(bar, alongBar(bar, from, 500));
    EXPECT_EQ(bar.Border1(), 150) << "stops at Border2";
    expectBordersInRange(bar);
    moveTo(bar, alongBar(bar, from, -500));
    EXPECT_EQ(bar.Border1(), 0);
    expectBordersInRange(bar);
    release(bar, alongBar(bar, from, -500));
    EXPECT_EQ(events.border1.count(), 3);
    EXPECT_EQ(events.border2.count(), 0);
}

TEST_P(TrackSizeBarTest, PressOutsideTheGrabAreaDoesNotDrag) {
    BorderEvents events(bar);
    const QPoint from = alongBar(bar, bar.GrabArea().topLeft(), -20);
    press(bar, from);
    moveTo(bar, alongBar(bar, from, 30));
    release(bar, alongBar(bar, from, 30));
    EXPECT_EQ(bar.Border2(), 150);
    EXPECT_EQ(events.border2.count(), 0);
}

TEST_P(TrackSizeBarTest, StepThumbMovesLikeTheSpinButtonAndAlwaysRaisesTheEvent) {
    bar.SetThumbSide(TThumbSide::Border1);
    bar.SetBorder1(0);
    bar.SetIncrement(5);
    BorderEvents events(bar);
    bar.StepThumb(-1);
    EXPECT_EQ(bar.Border1(), 0);
    EXPECT_EQ(events.border1.count(), 1);
    bar.StepThumb(1);
    EXPECT_EQ(bar.Border1(), 5);
    EXPECT_EQ(events.border1.count(), 2);
    bar.SetThumbSide(TThumbSide::Border2);
    bar.StepThumb(-1);
    EXPECT_EQ(bar.Border2(), 145);
    EXPECT_EQ(events.border2.count(), 1);
    expectBordersInRange(bar);
}

TEST_P(TrackSizeBarTest, DisabledBarIgnoresSpinDragAndSteps) {
    bar.setEnabled(false);
    BorderEvents events(bar);
    bar.StepThumb(1);
    click(bar, farArrow(bar));
    const QPoint from = bar.GrabArea().center();
    press(bar, from);
    moveTo(bar, alongBar(bar, from, 10));
    release(bar, alongBar(bar, from, 10));
    EXPECT_EQ(bar.Border2(), 150);
    EXPECT_EQ(events.border2.count(), 0);
}

TEST_P(TrackSizeBarTest, PaintsShadowOutsideTheBordersWhiteBetweenAndTheThumb) {
    QPalette colours = bar.palette();
    const QColor shadow(128, 0, 0);
    const QColor face(0, 128, 0);
    colours.setColor(QPalette::Dark, shadow);
    colours.setColor(QPalette::Button, face);
    bar.setPalette(colours);
    const QImage image = bar.grab().toImage();
    const bool horizontal = GetParam() == TTrackOrientation::Horizontal;
    // Pixel at a position along the bar and a distance across it.
    const auto at = [&](int along, int across) {
        return image.pixelColor(horizontal ? QPoint(along, across) : QPoint(across, along));
    };
    const int inside = 7;
    const int o = origin();
    EXPECT_EQ(at(o + 49, inside), shadow) << "before Border1";
    EXPECT_EQ(at(o + 50, inside), QColor(Qt::white)) << "Border1 itself";
    EXPECT_EQ(at(o + 100, inside), QColor(Qt::white));
    EXPECT_EQ(at(o + 156, inside), shadow) << "after Border2, beside the thumb";
    EXPECT_EQ(at(o + 198, inside), shadow);
    EXPECT_EQ(at(o + 199, inside), QColor(Qt::white)) << "the track's sunken far edge";
    EXPECT_EQ(at(o + 100, 6), shadow) << "the track's sunken near edge";

    const int tipAcross = 6 + extent(bar) / 2 - 1 - 2;
    EXPECT_EQ(at(o + 150, tipAcross - 6), face) << "the thumb on Border2";
    EXPECT_NE(at(o + 49, tipAcross - 6), face) << "no thumb on Border1";
}

TEST_P(TrackSizeBarTest, PaintsNoThumbWhileItIsOffTheTrack) {
    QPalette colours = bar.palette();
    const QColor face(0, 128, 0);
    colours.setColor(QPalette::Button, face);
    bar.setPalette(colours);
    bar.SetStartPosition(300);
    const QImage image = bar.grab().toImage();
    const QRect track = bar.TrackRect();
    int facePixels = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (!bar.SpinRect().contains(x, y) && image.pixelColor(x, y) == face) {
                ++facePixels;
            }
        }
    }
    EXPECT_FALSE(track.isEmpty());
    EXPECT_EQ(facePixels, 0);
}
