// Runs the steps of an example script directly on a main window, as the author would with the
// mouse: each click and drag goes with QTest to the widget under the step's point, at once, in
// order, from a zero timer, so that a window a step opens modally is there for the next one.
// Playing the compiled example must leave the same program state.
#pragma once

#include "example_script.h"
#include "image_window.h"
#include "main_window.h"
#include "menu_items.h"
#include "panorama_form.h"
#include "show_codes.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

class ExampleDirectSteps {
public:
    ExampleDirectSteps(TfrmMDIParent& main, const ExampleScript& script, const QString& folder)
        : main_(main), script_(script), folder_(folder) {}

    // False when the steps did not finish in time.
    bool Run(int milliseconds = 30000) {
        QTimer::singleShot(0, [this] { runNext(); });
        QElapsedTimer clock;
        clock.start();
        while (next_ < script_.steps.size() && clock.elapsed() < milliseconds) {
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        return next_ >= script_.steps.size();
    }

private:
    // As the player does, a step waits while the program is busy with a long run (which lets
    // events run meanwhile) and while a step before it still runs.
    void runNext() {
        if (next_ >= script_.steps.size()) {
            return;
        }
        if (main_.Busy() || running_) {
            QTimer::singleShot(1, [this] { runNext(); });
            return;
        }
        const ExampleStep step = script_.steps[next_];
        // The next step is queued first: a step that opens a modal window returns only when
        // that window closes.
        QTimer::singleShot(0, [this] {
            ++next_;
            runNext();
        });
        running_ = step.kind == ExampleStep::Kind::Open;
        run(step);
        running_ = false;
    }

    void run(const ExampleStep& step) {
        switch (step.kind) {
        case ExampleStep::Kind::Open:
            EXPECT_TRUE(main_.files().OpenImageFile(QDir(folder_).filePath(step.file)))
                << step.file.toStdString();
            return;
        case ExampleStep::Kind::Note:
        case ExampleStep::Kind::Pause:
            return;
        case ExampleStep::Kind::Click:
            click(step.action, pointOf(step, step.point));
            return;
        case ExampleStep::Kind::Drag:
            drag(pointOf(step, step.point), pointOf(step, step.to));
            return;
        }
    }

    QPoint pointOf(const ExampleStep& step, QPoint point) {
        switch (step.target) {
        case snChildImage: {
            TfrmMDIChild* window = imageWindow(step.window);
            if (window == nullptr) {
                ADD_FAILURE() << "no image window " << step.window;
                return {};
            }
            main_.mdiArea()->setActiveSubWindow(window);
            const QRect shown = window->clientToImage(window->View()->viewport()->rect());
            if (!shown.contains(point)) {
                window->CentreOn(point);
            }
            return window->View()->viewport()->mapToGlobal(window->imageToClient(point));
        }
        case snDialog:
            return QApplication::activeModalWidget()->mapToGlobal(point);
        case snPanorama: {
            auto* panorama = qobject_cast<TPanoramaForm*>(QApplication::activeModalWidget());
            if (panorama == nullptr) {
                ADD_FAILURE() << "no panorama window";
                return {};
            }
            PanoramaLocation location;
            location.Zone = std::uint8_t(step.panoramaZone);
            location.Zoom = step.panoramaZoom;
            location.Point = point;
            location.XWindowRelative = !(step.panoramaZone == 4 || step.panoramaZone == 7);
            location.YWindowRelative = !(step.panoramaZone == 4 || step.panoramaZone == 8);
            return panorama->Restore(location);
        }
        default: {
            const QRect control = main_.controlCodes().screenRect(step.target);
            EXPECT_FALSE(control.isEmpty()) << showTargetName(step.target);
            return step.target <= snDarkContrastDialog ? control.topLeft() + point
                                                       : control.center();
        }
        }
    }

    TfrmMDIChild* imageWindow(int number) const {
        for (TfrmMDIChild* window : main_.imageWindows()) {
            if (window->WindowNumber() == number) {
                return window;
            }
        }
        return nullptr;
    }

    static QWidget* widgetAt(QPoint global) {
        if (QWidget* popup = QApplication::activePopupWidget();
            popup != nullptr && popup->geometry().contains(global)) {
            QWidget* child = popup->childAt(popup->mapFromGlobal(global));
            return child != nullptr ? child : popup;
        }
        QWidget* widget = QApplication::widgetAt(global);
        EXPECT_NE(widget, nullptr) << "nothing at " << global.x() << "," << global.y();
        return widget;
    }

    static void click(std::uint8_t action, QPoint global) {
        QWidget* widget = widgetAt(global);
        if (widget == nullptr) {
            return;
        }
        const QPoint local = widget->mapFromGlobal(global);
        const Qt::MouseButton button = action == saRButtonClick ? Qt::RightButton : Qt::LeftButton;
        const QPointer<QWidget> alive = widget; // a click may close the window it is in
        QTest::mousePress(widget, button, {}, local);
        if (alive) {
            QTest::mouseRelease(widget, button, {}, local);
        }
        if (action == saLButtonDblClk && alive) {
            QTest::mouseDClick(widget, button, {}, local);
            QTest::mouseRelease(widget, button, {}, local);
        }
    }

    static void drag(QPoint from, QPoint to) {
        QWidget* widget = widgetAt(from);
        if (widget == nullptr) {
            return;
        }
        QTest::mousePress(widget, Qt::LeftButton, {}, widget->mapFromGlobal(from));
        QTest::mouseMove(widget, widget->mapFromGlobal((from + to) / 2));
        QTest::mouseMove(widget, widget->mapFromGlobal(to));
        QTest::mouseRelease(widget, Qt::LeftButton, {}, widget->mapFromGlobal(to));
    }

    TfrmMDIParent& main_;
    const ExampleScript& script_;
    QString folder_;
    std::size_t next_ = 0;
    bool running_ = false; // an Open step, which does not open a modal window
};
