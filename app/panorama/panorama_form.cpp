#include "panorama_form.h"

#include "language.h"
#include "panorama_canvas.h"
#include "text_table.h"
#include "tool_cursors.h"
#include "track_size_bar.h"

#include <QApplication>
#include <QButtonGroup>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const char* const section = "Panorama";
constexpr int toolPanelHeight = 26;
constexpr int bottomPanelHeight = 65;
constexpr int helpTopic = 14;

QToolButton* toolButton(QWidget* panel, const char* name, const QString& hint) {
    auto* button = new QToolButton(panel);
    button->setObjectName(name);
    button->setToolTip(hint);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

TPanoramaForm::TPanoramaForm(const TLanguage& language, QWidget* parent)
    : QDialog(parent), language_(language) {
    setObjectName("TPanoramaForm");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* toolPanel = new QWidget(this);
    toolPanel->setFixedHeight(toolPanelHeight);
    buildToolPanel(toolPanel);
    layout->addWidget(toolPanel);

    horzBar_ = new TTrackSizeBar(this);
    horzBar_->setObjectName("HorzTrackSizeBar");
    layout->addWidget(horzBar_);
    auto* middle = new QHBoxLayout;
    middle->setSpacing(0);
    vertBar_ = new TTrackSizeBar(this);
    vertBar_->setObjectName("VertTrackSizeBar");
    vertBar_->SetOrientation(TTrackOrientation::Vertical);
    middle->addWidget(vertBar_);
    canvas_ = new PanoramaCanvas(model_, this);
    middle->addWidget(canvas_, 1);
    layout->addLayout(middle, 1);

    bottomPanel_ = new QWidget(this);
    bottomPanel_->setFixedHeight(bottomPanelHeight);
    buildBottomPanel(bottomPanel_);
    layout->addWidget(bottomPanel_);
    statusBar_ = new QStatusBar(this);
    statusBar_->setSizeGripEnabled(false);
    layout->addWidget(statusBar_);

    connect(canvas_, &PanoramaCanvas::pressed, this, &TPanoramaForm::canvasPressed);
    connect(canvas_, &PanoramaCanvas::moved, this, &TPanoramaForm::canvasMoved);
    connect(canvas_, &PanoramaCanvas::released, this, &TPanoramaForm::canvasReleased);
    connect(canvas_, &PanoramaCanvas::painted, this, [this] {
        if (refreshBarsAfterPaint_) {
            refreshBars();
        }
        refreshBarsAfterPaint_ = true;
    });
    connect(horzBar_, &TTrackSizeBar::changingBorder1, this, [this] { barChanged(true, true); });
    connect(horzBar_, &TTrackSizeBar::changingBorder2, this, [this] { barChanged(true, false); });
    connect(vertBar_, &TTrackSizeBar::changingBorder1, this, [this] { barChanged(false, true); });
    connect(vertBar_, &TTrackSizeBar::changingBorder2, this, [this] { barChanged(false, false); });

    SetZoom(1);
    SelectTool(NoTool);
    previewKeys(this);
}

TPanoramaForm::~TPanoramaForm() = default;

void TPanoramaForm::buildToolPanel(QWidget* panel) {
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(2, 1, 1, 1);
    row->setSpacing(1);
    tools_ = new QButtonGroup(this);
    tools_->setExclusive(true);
    auto addTool = [&](const char* name, int hint, int tool) {
        QToolButton* button = toolButton(panel, name, language_.Text(section, hint));
        button->setCheckable(true);
        button->setIcon(panoramaIcon(tool));
        tools_->addButton(button, tool);
        row->addWidget(button);
    };
    addTool("tbZoomIn", 1, ZoomInTool);
    QToolButton* oneToOne = toolButton(panel, "tbZoom1to1", language_.Text(section, 3));
    oneToOne->setText("1:1");
    connect(oneToOne, &QToolButton::clicked, this, [this] { SetZoom(1); });
    row->addWidget(oneToOne);
    addTool("tbZoomOut", 2, ZoomOutTool);
    addTool("btHand", 4, HandTool);
    addTool("btHandPoint", 5, FrameOneTool);
    addTool("btFrameAll", 6, FrameAllTool);
    connect(tools_, &QButtonGroup::idClicked, this, &TPanoramaForm::SelectTool);
    row->addStretch(1);
    QToolButton* help = toolButton(panel, "btHelp", language_.Text("Common", common_text::Help));
    help->setText("?");
    connect(help, &QToolButton::clicked, this, [this] {
        if (showHelp) {
            showHelp(helpTopic);
        }
    });
    row->addWidget(help);
}

void TPanoramaForm::buildBottomPanel(QWidget* panel) {
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(4, 4, 4, 4);
    list_ = new QListWidget(panel);
    list_->setObjectName("ListView");
    list_->setViewMode(QListView::ListMode);
    list_->setFlow(QListView::TopToBottom);
    list_->setWrapping(true);
    list_->setIconSize(QSize(PanoramaModel::ThumbnailSide, PanoramaModel::ThumbnailSide));
    connect(list_, &QListWidget::currentItemChanged, this,
            [this](QListWidgetItem* entry) { listSelectionChanged(entry); });
    connect(list_, &QListWidget::itemChanged, this, &TPanoramaForm::listCheckChanged);
    row->addWidget(list_, 1);

    buttonPanel_ = new QWidget(panel);
    buttonPanel_->setObjectName("ButtonPanel");
    auto* buttons = new QHBoxLayout(buttonPanel_);
    buttons->setContentsMargins(4, 0, 0, 0);
    auto* start = new QPushButton(language_.Text("Common", common_text::Start), buttonPanel_);
    start->setObjectName("btOK");
    start->setDefault(true);
    connect(start, &QPushButton::clicked, this, &TPanoramaForm::startPressed);
    auto* cancel = new QPushButton(language_.Text("Common", common_text::Cancel), buttonPanel_);
    cancel->setObjectName("btCancel");
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addWidget(start);
    buttons->addWidget(cancel);
    row->addWidget(buttonPanel_, 0, Qt::AlignTop);
}

// Every key of the window passes here first, whichever child has the focus.
void TPanoramaForm::previewKeys(QWidget* widget) {
    widget->installEventFilter(this);
    for (QWidget* child : widget->findChildren<QWidget*>()) {
        child->installEventFilter(this);
    }
}

bool TPanoramaForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (arrowKey(key->key(), key->modifiers().testFlag(Qt::ControlModifier))) {
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TPanoramaForm::LoadImages(const std::vector<PanoramaSource>& sources) {
    model_.LoadImages(sources);
    updatingList_ = true;
    list_->clear();
    for (const TImagePanoramaData& item : model_.Items()) {
        auto* entry = new QListWidgetItem(item.Name, list_);
        entry->setFlags(entry->flags() | Qt::ItemIsUserCheckable);
        entry->setCheckState(Qt::Checked);
        entry->setIcon(QIcon(QPixmap::fromImage(panoramaThumbnail(item))));
    }
    updatingList_ = false;
    canvas_->PicturesLoaded();
    refreshBars();
}

void TPanoramaForm::placeOnScreen() {
    const QScreen* screen = QApplication::primaryScreen();
    const QRect area = screen != nullptr ? screen->geometry() : QRect(0, 0, 1024, 768);
    const int height = parentWidget() != nullptr ? parentWidget()->height() - 8 : area.height();
    setGeometry(area.left(), area.top(), area.width(), std::max(height, 300));
}

void TPanoramaForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (shownOnce_) {
        return;
    }
    shownOnce_ = true;
    placeOnScreen();
    layout()->activate(); // the drawing surface's size decides the first zoom
    model_.SetClientSize(canvas_->viewport()->size());
    tools_->button(HandTool)->setChecked(true);
    SelectTool(HandTool);
    model_.SetInitialZoom();
    zoomChanged();
}

void TPanoramaForm::SetZoom(int z) {
    model_.SetZoom(z);
    zoomChanged();
}

void TPanoramaForm::zoomChanged() {
    setWindowTitle(model_.Caption(language_));
    canvas_->SyncScrollBars();
    canvas_->viewport()->update();
    refreshBars();
}

void TPanoramaForm::SelectTool(int tool) {
    if (tool_ == FrameAllTool && tool != FrameAllTool) {
        model_.ApplyOverallFrame();
        canvas_->viewport()->update();
    }
    tool_ = tool;
    if (QAbstractButton* button = tools_->button(tool); button != nullptr) {
        button->setChecked(true);
    }
    canvas_->viewport()->setCursor(panoramaCursor(tool));
    canvas_->SetFrameAllMode(tool == FrameAllTool);
    if (tool >= ZoomInTool && tool <= FrameOneTool) {
        statusBar_->showMessage(language_.Text(section, 7));
    } else if (tool == FrameAllTool) {
        statusBar_->showMessage(language_.Text(section, 8));
    } else {
        statusBar_->clearMessage();
    }
    refreshBars();
}

// The bars show the current picture's frame, or with frame all the overall frame, in screen
// pixels. Border2 marks the last column or row inside, so the frames' end-exclusive right and
// bottom edges are one more.
void TPanoramaForm::refreshBars() {
    const int increment = model_.Zoom() >= 2 ? model_.Zoom() : 1;
    horzBar_->SetIncrement(increment);
    vertBar_->SetIncrement(increment);
    if (tool_ == FrameAllTool) {
        refreshOverallFrameBars();
        return;
    }
    const TImagePanoramaData* current = model_.Current();
    horzBar_->setEnabled(current != nullptr && current->Checked);
    vertBar_->setEnabled(current != nullptr && current->Checked);
    if (current != nullptr) {
        refreshFrameBars(*current);
        selectListEntry(current->ListIndex);
    }
}

void TPanoramaForm::refreshFrameBars(const TImagePanoramaData& current) {
    const QPoint origin = model_.PlaneToScreen(QPoint(current.Left, current.Top));
    const QSize size = current.PictureSize();
    const PanoramaRect frame = current.UsedFrame();
    horzBar_->SetStartPosition(origin.x());
    horzBar_->SetRange(model_.ToScreenLength(size.width()));
    horzBar_->SetBorders(model_.ToScreenLength(frame.Left), model_.ToScreenLength(frame.Right) - 1);
    vertBar_->SetStartPosition(origin.y());
    vertBar_->SetRange(model_.ToScreenLength(size.height()));
    vertBar_->SetBorders(model_.ToScreenLength(frame.Top), model_.ToScreenLength(frame.Bottom) - 1);
}

void TPanoramaForm::refreshOverallFrameBars() {
    const PanoramaRect bounds = model_.FramesBounds();
    horzBar_->setEnabled(!bounds.IsEmpty());
    vertBar_->setEnabled(!bounds.IsEmpty());
    if (bounds.IsEmpty()) {
        return;
    }
    if (model_.OverallFrame().IsEmpty()) {
        model_.SetOverallFrame(bounds);
    }
    const QRect shownBounds = model_.PlaneToScreen(bounds);
    const QRect shownFrame = model_.PlaneToScreen(model_.OverallFrame());
    horzBar_->SetStartPosition(shownBounds.left());
    horzBar_->SetRange(shownBounds.width());
    horzBar_->SetBorders(shownFrame.left() - shownBounds.left(),
                         shownFrame.right() - shownBounds.left());
    vertBar_->SetStartPosition(shownBounds.top());
    vertBar_->SetRange(shownBounds.height());
    vertBar_->SetBorders(shownFrame.top() - shownBounds.top(),
                         shownFrame.bottom() - shownBounds.top());
}

void TPanoramaForm::selectListEntry(int listIndex) {
    updatingList_ = true;
    list_->setCurrentRow(listIndex);
    updatingList_ = false;
}

void TPanoramaForm::setThumbSides(const QRect& frame, QPoint client) {
    const QPoint centre = frame.center();
    horzBar_->SetThumbSide(client.x() < centre.x() ? TThumbSide::Border1 : TThumbSide::Border2);
    vertBar_->SetThumbSide(client.y() < centre.y() ? TThumbSide::Border1 : TThumbSide::Border2);
}

void TPanoramaForm::canvasPressed(QPoint client) {
    buttonDown_ = true;
    const QPoint plane = model_.ScreenToPlane(client);
    if ((tool_ == HandTool || tool_ == FrameOneTool) && model_.ImageCount() > 0) {
        const int hit = model_.ItemAt(client);
        if (hit >= 0) {
            hitWasBelow_ = hit != 0;
            model_.BringToTop(hit);
            dragging_ = true;
        }
        if (model_.Current() != nullptr) {
            setThumbSides(model_.DisplayedFrame(0), client);
        }
    }
    switch (tool_) {
    case ZoomInTool:
        canvas_->RubberBand().Begin(canvas_->viewport(), client, 2);
        break;
    case ZoomOutTool:
        model_.ZoomOut();
        model_.CentreOn(plane);
        zoomChanged();
        break;
    case HandTool:
        if (dragging_) {
            canvas_->CarriedFrame().SetRect(model_.DisplayedFrame(0));
            canvas_->CarriedFrame().Begin(canvas_->viewport(), client, 2);
        }
        break;
    case FrameOneTool:
        if (dragging_ && hitWasBelow_) {
            canvas_->RepaintPlane(model_.Items().front().PlacedFrame());
        }
        refreshBars();
        break;
    case FrameAllTool:
        if (const QRect frame = model_.PlaneToScreen(model_.OverallFrameOrBounds());
            frame.contains(client)) {
            setThumbSides(frame, client);
        }
        break;
    default:
        break;
    }
}

void TPanoramaForm::canvasMoved(QPoint client) {
    if (!buttonDown_) {
        return;
    }
    if (tool_ == ZoomInTool && canvas_->RubberBand().Drawing()) {
        const int further = model_.Zoom() >= 2 ? model_.Zoom() - 1 : 0;
        canvas_->RubberBand().Move(client.x() + further, client.y() + further);
    } else if (tool_ == HandTool && dragging_) {
        canvas_->CarriedFrame().Move(client.x(), client.y());
    }
}

void TPanoramaForm::canvasReleased(QPoint client) {
    if (!buttonDown_) {
        return;
    }
    buttonDown_ = false;
    if (tool_ == ZoomInTool && canvas_->RubberBand().Drawing()) {
        finishBand(client);
    } else if (tool_ == HandTool && dragging_) {
        finishMove();
    }
    dragging_ = false;
}

// A band no larger than a click zooms in one step around the release point; a larger one
// zooms to the rectangle it encloses.
void TPanoramaForm::finishBand(QPoint client) {
    const QRect band = canvas_->RubberBand().End();
    const int click = model_.Zoom() < 1 ? 2 : 2 * model_.Zoom();
    if (band.width() <= click && band.height() <= click) {
        const QPoint plane = model_.ScreenToPlane(client);
        model_.ZoomIn();
        model_.CentreOn(plane);
    } else {
        model_.ZoomToRect(model_.ScreenToPlane(band));
    }
    zoomChanged();
}

void TPanoramaForm::finishMove() {
    TConstRectTool& carried = canvas_->CarriedFrame();
    const QPoint before = carried.Rect().topLeft();
    carried.End();
    const QPoint moved = carried.Rect().topLeft() - before;
    const int z = model_.Zoom();
    const QPoint offset = z < 1 ? moved * -z : moved / z;
    moveCurrent(offset);
}

void TPanoramaForm::moveCurrent(QPoint offset) {
    if (model_.Current() == nullptr) {
        return;
    }
    const PanoramaRect before = model_.Items().front().PlacedArea();
    model_.MoveBy(0, offset);
    canvas_->RepaintPlane(before);
    canvas_->RepaintPlane(model_.Items().front().PlacedArea());
    canvas_->SyncScrollBars();
    refreshBars();
}

void TPanoramaForm::barChanged(bool horizontal, bool first) {
    refreshBarsAfterPaint_ = false;
    if (tool_ == FrameAllTool) {
        overallEdgeChanged(horizontal, first);
    } else if (model_.Current() != nullptr) {
        frameEdgeChanged(horizontal, first);
    }
}

// The bar's border in screen pixels becomes the frame's edge; the last border position keeps
// the picture's last column or row.
void TPanoramaForm::frameEdgeChanged(bool horizontal, bool first) {
    const TImagePanoramaData& current = model_.Items().front();
    const TTrackSizeBar& bar = horizontal ? *horzBar_ : *vertBar_;
    const int size = horizontal ? current.PictureSize().width() : current.PictureSize().height();
    PanoramaRect frame = current.UsedFrame();
    const PanoramaRect before = current.PlacedFrame();
    const int edge = first                              ? model_.ToPlaneLength(bar.Border1())
                     : bar.Border2() >= bar.Range() - 1 ? size
                                                        : model_.ToPlaneLength(bar.Border2() + 1);
    (horizontal ? (first ? frame.Left : frame.Right) : (first ? frame.Top : frame.Bottom)) = edge;
    model_.SetFrame(0, frame);
    canvas_->RepaintPlane(before.United(model_.Items().front().PlacedFrame()));
}

void TPanoramaForm::overallEdgeChanged(bool horizontal, bool first) {
    const PanoramaRect bounds = model_.FramesBounds();
    PanoramaRect frame = model_.OverallFrameOrBounds();
    const PanoramaRect before = frame;
    const TTrackSizeBar& bar = horizontal ? *horzBar_ : *vertBar_;
    const int screen = bar.StartPosition() + (first ? bar.Border1() : bar.Border2() + 1);
    const QPoint plane = model_.ScreenToPlane(QPoint(screen, screen));
    const bool last = !first && bar.Border2() >= bar.Range() - 1;
    if (horizontal) {
        (first ? frame.Left : frame.Right) = last ? bounds.Right : plane.x();
    } else {
        (first ? frame.Top : frame.Bottom) = last ? bounds.Bottom : plane.y();
    }
    model_.SetOverallFrame(frame);
    canvas_->RepaintPlane(before.United(frame));
}

bool TPanoramaForm::arrowKey(int key, bool control) {
    QPoint direction;
    switch (key) {
    case Qt::Key_Left:
        direction = {-1, 0};
        break;
    case Qt::Key_Right:
        direction = {1, 0};
        break;
    case Qt::Key_Up:
        direction = {0, -1};
        break;
    case Qt::Key_Down:
        direction = {0, 1};
        break;
    default:
        return false;
    }
    if (control) {
        TTrackSizeBar& bar = direction.x() != 0 ? *horzBar_ : *vertBar_;
        bar.StepThumb(direction.x() + direction.y());
    } else if (tool_ != FrameAllTool) {
        moveCurrent(direction * model_.NudgeStep());
    }
    return true;
}

void TPanoramaForm::listSelectionChanged(QListWidgetItem* entry) {
    if (updatingList_ || entry == nullptr) {
        return;
    }
    const int index = model_.IndexOfListEntry(list_->row(entry));
    if (index > 0 && model_.Items()[static_cast<std::size_t>(index)].Checked) {
        model_.BringToTop(index);
        canvas_->RepaintPlane(model_.Items().front().PlacedFrame());
    }
    refreshBars();
}

void TPanoramaForm::listCheckChanged(QListWidgetItem* entry) {
    if (updatingList_) {
        return;
    }
    const int index = model_.IndexOfListEntry(list_->row(entry));
    if (index < 0) {
        return;
    }
    const PanoramaRect area = model_.Items()[static_cast<std::size_t>(index)].PlacedArea();
    model_.SetChecked(index, entry->checkState() == Qt::Checked);
    canvas_->RepaintPlane(area);
    canvas_->SyncScrollBars();
    refreshBars();
}

void TPanoramaForm::startPressed() {
    if (tool_ == FrameAllTool) {
        model_.ApplyOverallFrame();
    }
    accept();
}
