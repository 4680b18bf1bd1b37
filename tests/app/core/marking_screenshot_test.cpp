// On an X display (Xvfb): marks regions and a hatched area on a sample picture with synthesised
// mouse input and takes a screenshot of the screen. The hatching and the region outlines must
// be on it; the screenshot is kept beside the test. It runs on the X display whatever platform
// the caller's environment names.
#include "image_file_commands.h"
#include "main_window.h"
#include "settings_store.h"

#include <QApplication>
#include <QPixmap>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

namespace {
void drag(QWidget* viewport, QPoint from, QPoint to) {
    QTest::mousePress(viewport, Qt::LeftButton, {}, from);
    QTest::mouseMove(viewport, to);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, to);
}

// Pixels of a colour inside a screen rectangle.
int count(const QImage& shot, const QRect& area, QRgb colour) {
    int found = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            found += (shot.pixel(x, y) & 0xffffff) == (colour & 0xffffff);
        }
    }
    return found;
}
} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "xcb"); // the screenshot is of the X display
    QApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: marking_screenshot_test PICTURE SCREENSHOT\n");
        return 2;
    }
    QTemporaryDir folder;
    SettingsStore store(folder.filePath("settings.ini"));
    TfrmMDIParent main(store, HUEMARK_DATA_DIR);
    if (!main.Create()) {
        return 1;
    }
    main.settings().local.DisplayTips = 0;
    main.setGeometry(0, 0, 1200, 900);
    main.show();
    if (!QTest::qWaitForWindowExposed(&main) || !OpenImageFile(main, argv[1])) {
        return 1;
    }
    TfrmMDIChild* window = main.activeImageWindow();
    QWidget* viewport = window->View()->viewport();
    if (!QTest::qWaitForWindowExposed(viewport)) {
        return 1;
    }

    main.SetToolMode(3); // White: the sheet of paper
    drag(viewport, window->imageToClient({120, 580}), window->imageToClient({360, 720}));
    main.SetToolMode(5); // Grey: the grey card
    drag(viewport, window->imageToClient({900, 360}), window->imageToClient({1040, 540}));
    main.SetToolMode(12); // an inner hatched area over the wall
    const QRect hatched(window->imageToClient({100, 60}), window->imageToClient({500, 300}));
    drag(viewport, hatched.topLeft(), hatched.bottomRight());
    QTest::qWait(300);

    const QImage shot =
        application.primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
    shot.save(argv[2]);
    const QPoint origin = viewport->mapToGlobal(QPoint(0, 0));
    const QRect inside = hatched.translated(origin).adjusted(4, 4, -4, -4);
    const int white = count(shot, inside, qRgb(255, 255, 255));
    const QRect outline =
        QRect(window->imageToClient(window->Regions[1]->Rect.topLeft()), QSize(1, 40))
            .translated(origin);
    const int black = count(shot, outline, qRgb(0, 0, 0));
    std::printf("hatch: %d white pixels of %d; outline: %d black pixels of %d\n", white,
                inside.width() * inside.height(), black, outline.height());
    const bool hatchShown = white * 12 > inside.width() * inside.height(); // about one in eight
    const bool outlineShown = black * 2 > outline.height();
    return window->Regions.Count() == 2 && window->HatchAreas.Count() == 1 && hatchShown &&
                   outlineShown
               ? 0
               : 1;
}
