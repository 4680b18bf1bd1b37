#include "program_fixture.h"

#include "zoom.h"

#include <QMdiArea>
#include <QScrollBar>

TEST_F(ProgramTest, DebugSizes) {
    TfrmMDIChild* window = main->NewImageWindow(pattern(1200, 800), "a.bmp");
    QApplication::processEvents();
    qDebug() << main->mdiArea()->viewport()->size() << window->size() << window->View()->viewport()->size()
             << window->View()->maximumViewportSize() << window->Zoom() << window->DisplaySize();
}
