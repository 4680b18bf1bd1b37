#include "image_window.h"

#include "language.h"
#include "message_boxes.h"
#include "settings_records.h"
#include "text_table.h"
#include "view_render.h"
#include "zoom.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QLayout>
#include <QMdiArea>
#include <QMenu>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>

#include <cstring>

namespace {
const QString section = "Child window";

// The scales of the pop-up zoom menus: 1:1, 2:1, 4:1 ... 16:1 and 1:1, 1:2 ... 1:16.
constexpr int menuScales[] = {1, 2, 4, 6, 8, 10, 12, 14, 16};
} // namespace

TImageView::TImageView(TfrmMDIChild& window) : QAbstractScrollArea(&window), window_(window) {
    setFrameShape(QFrame::NoFrame);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setBackgroundRole(QPalette::NoRole);
}

QPoint TImageView::scrollPosition() const {
    return {horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

void TImageView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    for (const QRect& exposed : event->region()) {
        painter.drawImage(exposed.topLeft(),
                          renderView(window_.Image(), window_.Zoom(), scrollPosition(), exposed));
    }
    painter.setClipRegion(event->region());
    paintOverlays(painter);
}

void TImageView::scrollContentsBy(int dx, int dy) {
    viewport()->scroll(dx, dy); // only the newly exposed strip is painted
}

void TImageView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    window_.updateScrollRanges();
}

void TImageView::wheelEvent(QWheelEvent* event) {
    if (!event->modifiers().testFlag(Qt::ControlModifier) || event->angleDelta().y() == 0) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    if (event->angleDelta().y() > 0) {
        window_.ZoomIn();
    } else {
        window_.ZoomOut();
    }
    event->accept();
}

void TImageView::contextMenuEvent(QContextMenuEvent* event) {
    window_.pum_ChildMenu->popup(event->globalPos());
}

TfrmMDIChild::TfrmMDIChild(ImageWindowHost& host, std::unique_ptr<TDIBImage> image,
                           const QString& name, int windowNumber)
    : host_(host), image_(std::move(image)), view_(new TImageView(*this)), fileName_(name),
      windowNumber_(windowNumber), cropTool_(view_->viewport()) {
    setAttribute(Qt::WA_DeleteOnClose);
    connect(this, &QMdiSubWindow::windowStateChanged, this,
            [this](Qt::WindowStates before, Qt::WindowStates now) {
                if (before.testFlag(Qt::WindowActive) && !now.testFlag(Qt::WindowActive)) {
                    cropTool_.Clear(); // the frame shows only in the active window
                }
            });
    setWidget(view_);
    buildPopupMenu();
    displaySize_ = zoom::displaySize(QSize(ImageWidth(), ImageHeight()), zoom_);
    updateCaption();
    setWindowModified(true); // a new picture is in no file until it is saved
}

TfrmMDIChild::~TfrmMDIChild() = default;

void TfrmMDIChild::buildPopupMenu() {
    const TLanguage& language = host_.language();
    pum_ChildMenu = new QMenu(this);
    // The pop-up's commands record themselves: clicks inside a menu are not recorded.
    const auto recorded = [this](void (TfrmMDIChild::*command)()) {
        return [this, command] {
            host_.recording().recordPopupCommand();
            (this->*command)();
        };
    };
    mnDeleteActive = pum_ChildMenu->addAction(language.Text(section, 0), this,
                                              recorded(&TfrmMDIChild::DeleteActiveRegion));
    mnDeleteAll = pum_ChildMenu->addAction(language.Text(section, 1), this,
                                           recorded(&TfrmMDIChild::DeleteAllRegions));
    mnDeleteAllAreas = pum_ChildMenu->addAction(language.Text(section, 3), this,
                                                recorded(&TfrmMDIChild::DeleteAllAreas));
    pum_ChildMenu->addSeparator();
    mnZoomIn = pum_ChildMenu->addMenu(language.Text(section, 4));
    mnZoomIn->setObjectName("mnZoomIn");
    mnZoomOut = pum_ChildMenu->addMenu(language.Text(section, 5));
    mnZoomOut->setObjectName("mnZoomOut");
    pum_ChildMenu->addSeparator();
    mnCopy = pum_ChildMenu->addAction(language.Text(section, 6), this, [this] {
        host_.recording().recordPopupCommand();
        host_.copyPicture(*this);
    });
    mnCopy->setObjectName("mnCopy");
    for (const int scale : menuScales) {
        mnZoomIn->addAction(QString("%1:1").arg(scale), this, [this, scale] { SetZoom(scale); });
        mnZoomOut->addAction(QString("1:%1").arg(scale), this,
                             [this, scale] { SetZoom(scale == 1 ? 1 : -scale); });
    }
    connect(pum_ChildMenu, &QMenu::aboutToShow, this, [this] {
        mnDeleteActive->setEnabled(Regions.ActiveRegion() != nullptr);
        mnDeleteAll->setEnabled(Regions.Count() > 0);
        mnDeleteAllAreas->setEnabled(HatchAreas.Count() > 0);
        // A zoom chosen in a submenu cannot be played back: not offered while recording.
        mnZoomIn->setEnabled(!host_.recording().active());
        mnZoomOut->setEnabled(!host_.recording().active());
    });
}

void TfrmMDIChild::setFileName(const QString& name) {
    fileName_ = name;
    updateCaption();
}

void TfrmMDIChild::updateCaption() {
    // "[*]" shows where the unsaved mark goes.
    setWindowTitle(QFileInfo(fileName_).fileName() + "[*]" + zoom::captionSuffix(zoom_));
}

QString TfrmMDIChild::Caption() const {
    return QString(windowTitle()).replace("[*]", isWindowModified() ? "*" : "");
}

void TfrmMDIChild::SetSaved(bool saved) {
    saved_ = saved;
    if (saved) {
        history_.ForgetSaved();
    }
    setWindowModified(!saved);
}

// The client area the picture gets: the whole viewport when the picture fits, else less the
// scroll bars it needs (one bar can make the other necessary).
QSize TfrmMDIChild::clientSizeFor(QSize display) const {
    const QSize whole = view_->size(); // the view has no frame: all of it can be viewport
    const int bar = view_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, view_);
    bool horizontal = display.width() > whole.width();
    bool vertical = display.height() > whole.height();
    vertical = vertical || (horizontal && display.height() > whole.height() - bar);
    horizontal = horizontal || (vertical && display.width() > whole.width() - bar);
    return whole - QSize(vertical ? bar : 0, horizontal ? bar : 0);
}

void TfrmMDIChild::updateScrollRanges() {
    const QSize client = clientSizeFor(displaySize_);
    const QSize whole = view_->size();
    // The bars follow this computation, not the view's own guess from a stale size.
    view_->setHorizontalScrollBarPolicy(client.height() < whole.height() ? Qt::ScrollBarAlwaysOn
                                                                         : Qt::ScrollBarAlwaysOff);
    view_->setVerticalScrollBarPolicy(client.width() < whole.width() ? Qt::ScrollBarAlwaysOn
                                                                     : Qt::ScrollBarAlwaysOff);
    const int step = zoom_ >= 1 ? 3 * zoom_ : 3;
    QScrollBar* horizontal = view_->horizontalScrollBar();
    QScrollBar* vertical = view_->verticalScrollBar();
    horizontal->setRange(0, std::max(0, displaySize_.width() - client.width()));
    vertical->setRange(0, std::max(0, displaySize_.height() - client.height()));
    horizontal->setPageStep(client.width());
    vertical->setPageStep(client.height());
    horizontal->setSingleStep(step);
    vertical->setSingleStep(step);
}

void TfrmMDIChild::SetZoom(int z) {
    zoom_ = zoom::clamp(z);
    displaySize_ = zoom::displaySize(QSize(ImageWidth(), ImageHeight()), zoom_);
    if (host_.config().AdjustSize != 0) {
        FitToImage();
    } else {
        updateScrollRanges();
    }
    updateCaption();
    view_->viewport()->update();
}

void TfrmMDIChild::ZoomIn() {
    SetZoom(zoom::stepIn(zoom_));
}

void TfrmMDIChild::ZoomOut() {
    SetZoom(zoom::stepOut(zoom_));
}

void TfrmMDIChild::ZoomToRect(const QRect& imageRect) {
    const QRect r = imageRect.normalized();
    const QSize client = view_->viewport()->size();
    SetZoom(zoom::zoomForRect(r, client, zoom_));
    const QPoint centre = r.center();
    const int step = zoom_ >= 1 ? 3 * zoom_ : 3;
    const auto scrollTo = [&](int point, int clientSize) {
        const int screen = zoom_ >= 1 ? point * zoom_ : point / -zoom_;
        return std::max(0, screen - clientSize / 2) / step * step;
    };
    view_->horizontalScrollBar()->setValue(scrollTo(centre.x(), client.width()));
    view_->verticalScrollBar()->setValue(scrollTo(centre.y(), client.height()));
}

void TfrmMDIChild::layOutNow() {
    if (layout() != nullptr) {
        layout()->activate(); // the view's geometry follows the window's size at once
    }
}

QSize TfrmMDIChild::borderSize() {
    layOutNow();
    return size() - view_->size();
}

QSize TfrmMDIChild::frameClientSize() const {
    return mdiArea() != nullptr ? mdiArea()->viewport()->size() : size();
}

void TfrmMDIChild::FitToImage() {
    if (isMaximized() || isMinimized()) {
        showNormal();
    }
    const QSize border = borderSize();
    const QSize available = frameClientSize() - QSize(x(), y());
    const auto clientExtent = [](int availableExtent, int display, int borderExtent) {
        return availableExtent >= display + borderExtent ? display : availableExtent - borderExtent;
    };
    const QSize client(clientExtent(available.width(), displaySize_.width(), border.width()),
                       clientExtent(available.height(), displaySize_.height(), border.height()));
    resize(client.expandedTo(QSize(1, 1)) + border);
    layOutNow();
    updateScrollRanges();
}

void TfrmMDIChild::FitImageToWindow() {
    SetZoom(
        zoom::fitImageToFrame(QSize(ImageWidth(), ImageHeight()), borderSize(), frameClientSize()));
    FitToImage();
}

void TfrmMDIChild::ReplaceImage(std::unique_ptr<TDIBImage> image, const QString& name) {
    history_.Push(currentState(std::move(image_)));
    Regions.Clear();
    HatchAreas.Clear();
    image_ = std::move(image);
    SetSaved(false);
    fileName_ = name;
    SetZoom(1);
    FitToImage();
}

// The window's marks, name and saved state with `picture`.
TImageState TfrmMDIChild::currentState(std::unique_ptr<TDIBImage> picture) const {
    TImageState state;
    state.Picture = std::move(picture);
    for (int index = 0; index < Regions.Count(); ++index) {
        state.Regions.push_back(*Regions[index]);
    }
    for (int index = 0; index < HatchAreas.Count(); ++index) {
        state.HatchAreas.push_back(*HatchAreas[index]);
    }
    state.FileName = fileName_;
    state.Saved = saved_;
    return state;
}

bool TfrmMDIChild::KeepStateBeforeChange() {
    auto copy = std::make_unique<TDIBImage>();
    if (!copy->CreateLike(*image_)) {
        history_.Clear(); // too little memory: the steps before cannot be reached any more
        return false;
    }
    std::memcpy(copy->Bits, image_->Bits, image_->ImageSize());
    copy->Corrected = image_->Corrected;
    history_.Push(currentState(std::move(copy)));
    return true;
}

void TfrmMDIChild::ChangeFailed() {
    history_.DropLast();
}

void TfrmMDIChild::Undo() {
    if (history_.CanUndo()) {
        showState(history_.Undo(currentState(std::move(image_))));
    }
}

void TfrmMDIChild::Redo() {
    if (history_.CanRedo()) {
        showState(history_.Redo(currentState(std::move(image_))));
    }
}

void TfrmMDIChild::showState(TImageState state) {
    const QSize before = displaySize_;
    image_ = std::move(state.Picture);
    Regions.Clear();
    for (const TRefRegion& region : state.Regions) {
        Regions.Add(std::make_unique<TRefRegion>(region));
    }
    HatchAreas.Clear();
    for (const THatchArea& area : state.HatchAreas) {
        HatchAreas.Add(std::make_unique<THatchArea>(area));
    }
    CropRect = QRect();
    fileName_ = state.FileName;
    SetSaved(state.Saved);
    SetZoom(zoom_);
    if (displaySize_ != before) {
        FitToImage();
    }
    updateCaption();
    view_->viewport()->update();
}

QPoint TfrmMDIChild::clientToImage(QPoint client) const {
    return zoom::clientToImage(client, view_->scrollPosition(), zoom_);
}
QPoint TfrmMDIChild::imageToClient(QPoint image) const {
    return zoom::imageToClient(image, view_->scrollPosition(), zoom_);
}
QRect TfrmMDIChild::clientToImage(const QRect& client) const {
    return zoom::clientToImage(client, view_->scrollPosition(), zoom_);
}
QRect TfrmMDIChild::imageToClient(const QRect& image) const {
    return zoom::imageToClient(image, view_->scrollPosition(), zoom_);
}

QString TfrmMDIChild::pointerReport(QPoint client) const {
    const QPoint at = clientToImage(client);
    const std::optional<QRgb> colour = pixelColour(*image_, at.x(), at.y());
    if (!colour) {
        return {};
    }
    return QString("(%1,%2)   R:%3,G:%4,B:%5")
        .arg(at.x())
        .arg(at.y())
        .arg(qRed(*colour))
        .arg(qGreen(*colour))
        .arg(qBlue(*colour));
}

void TfrmMDIChild::CloseWithoutAsking() {
    closeWithoutAsking_ = true;
    if (!close()) {
        closeWithoutAsking_ = false;
    }
}

// A Yes whose save did not happen (cancelled or failed) keeps the window and its picture.
void TfrmMDIChild::closeEvent(QCloseEvent* event) {
    if (host_.config().PromptToSave != 0 && !saved_ && !closeWithoutAsking_) {
        const TLanguage& language = host_.language();
        const MessageAnswer answer = showMessage(
            this, MessageKind::QuestionWithCancel,
            {host_.applicationTitle(), formatText(language.Text(section, 8), {fileName_}),
             language.Text("Common", common_text::Yes), language.Text("Common", common_text::No),
             language.Text("Common", common_text::Cancel)});
        if (answer == MessageAnswer::Cancel) {
            event->ignore();
            return;
        }
        if (answer == MessageAnswer::Yes && !host_.saveBeforeClosing(*this)) {
            event->ignore();
            return;
        }
    }
    QMdiSubWindow::closeEvent(event);
}
