// TPanoramaForm: the modal window in which the user arranges the open pictures into a
// panorama. A zoomable, scrollable drawing surface shows the placed pictures; five tools zoom
// in, zoom out, move a picture (the hand), choose a picture and frame it (frame one) and frame
// the whole panorama (frame all); two track size bars show and edit the frames; a checked list
// chooses the pictures that take part; Start closes the window for the panorama to be built.
#pragma once

#include "panorama_model.h"

#include <QDialog>

#include <cstdint>
#include <functional>
#include <vector>

class PanoramaCanvas;
class QAbstractButton;
class QButtonGroup;
class QListWidget;
class QListWidgetItem;
class QStatusBar;
class QWidget;
class TLanguage;
class TTrackSizeBar;

// A point of the window as the example recorder keeps it: the zone it lies in, the zoom, and
// the point relative to that zone, each axis either to the window (true) or to the panorama's
// content (false, plane coordinates).
struct PanoramaLocation {
    std::uint8_t Zone = 1;
    std::int32_t Zoom = 1;
    QPoint Point;
    bool XWindowRelative = true;
    bool YWindowRelative = true;
};

class TPanoramaForm : public QDialog {
    Q_OBJECT

public:
    enum Tool {
        NoTool = 0,
        ZoomInTool = 1,
        ZoomOutTool = 2,
        HandTool = 3,
        FrameOneTool = 4,
        FrameAllTool = 5
    };

    TPanoramaForm(const TLanguage& language, QWidget* parent = nullptr);
    ~TPanoramaForm() override;

    // Places the pictures (cascaded, whole, checked) and lists them with their thumbnails.
    void LoadImages(const std::vector<PanoramaSource>& sources);
    const PanoramaModel& Model() const { return model_; }

    int CurrentTool() const { return tool_; }
    // Leaving the frame-all tool cuts the frames to the overall frame first.
    void SelectTool(int tool);
    void SetZoom(int z);

    // Where a screen point lies, and the screen point of such a location again (the zoom and
    // the scroll positions are changed as needed to show it).
    PanoramaLocation Locate(QPoint global) const;
    QPoint Restore(const PanoramaLocation& location);

    // Opens help topic 14 when the help button is pressed.
    std::function<void(int topic)> showHelp;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildToolPanel(QWidget* panel);
    void buildBottomPanel(QWidget* panel);
    void placeOnScreen();
    void previewKeys(QWidget* widget);

    void zoomChanged();
    void refreshBars();
    void refreshFrameBars(const TImagePanoramaData& current);
    void refreshOverallFrameBars();
    void selectListEntry(int listIndex);

    void canvasPressed(QPoint client);
    void canvasMoved(QPoint client);
    void canvasReleased(QPoint client);
    void setThumbSides(const QRect& frame, QPoint client);
    void finishBand(QPoint client);
    void finishMove();

    void barChanged(bool horizontal, bool first);
    void frameEdgeChanged(bool horizontal, bool first);
    void overallEdgeChanged(bool horizontal, bool first);
    bool arrowKey(int key, bool control);
    void moveCurrent(QPoint offset);
    void listSelectionChanged(QListWidgetItem* entry);
    void listCheckChanged(QListWidgetItem* entry);
    void startPressed();

    const TLanguage& language_;
    PanoramaModel model_;
    PanoramaCanvas* canvas_ = nullptr;
    TTrackSizeBar* horzBar_ = nullptr;
    TTrackSizeBar* vertBar_ = nullptr;
    QListWidget* list_ = nullptr;
    QWidget* bottomPanel_ = nullptr;
    QWidget* buttonPanel_ = nullptr;
    QStatusBar* statusBar_ = nullptr;
    QButtonGroup* tools_ = nullptr;

    int tool_ = NoTool;
    bool buttonDown_ = false;
    bool dragging_ = false;
    bool hitWasBelow_ = false;
    bool refreshBarsAfterPaint_ = true;
    bool updatingList_ = false;
    bool shownOnce_ = false;
};
