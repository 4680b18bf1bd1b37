#include "print_preview.h"

#include "print_layout.h"
#include "printed_area.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace {
const QColor hatchGrey(0x80, 0x80, 0x80);

// A frame just inside `rect` of dots of `dots` over a solid line of `under`, which shows on
// the white paper and on any picture alike.
void dottedFrame(QPainter& painter, const QRect& rect, const QColor& dots, const QColor& under) {
    const QRectF outline = QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(under, 1));
    painter.drawRect(outline);
    painter.setPen(QPen(dots, 1, Qt::DotLine));
    painter.drawRect(outline);
}
} // namespace

class TPrintPreview::Surface : public QWidget {
public:
    explicit Surface(TPrintPreview& preview) : QWidget(&preview), preview_(preview) {
        setObjectName("pan_PrintedPage");
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        preview_.paintSurface(painter);
    }
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton) {
            preview_.press(event->position().toPoint());
        }
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        preview_.follow(event->position().toPoint());
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton) {
            preview_.release(event->position().toPoint());
        }
    }

private:
    TPrintPreview& preview_;
};

TPrintPreview::TPrintPreview(const TPrintLayout& layout, const TPageFilling& filling,
                             QWidget* parent)
    : QWidget(parent), layout_(layout), filling_(filling), surface_(new Surface(*this)) {
    setObjectName("pbx_PaperPage");
}

TPrintPreview::~TPrintPreview() = default;

QWidget* TPrintPreview::PrintableArea() const {
    return surface_;
}

void TPrintPreview::SetSheet(int sheet) {
    sheet_ = sheet;
    surface_->update();
}

void TPrintPreview::SetTitleFont(const QFont& font, const QColor& colour, int printerPixels) {
    printerFont_ = font;
    printerFontPixels_ = printerPixels;
    titleColour_ = colour;
    previewFont_ = font;
    previewFont_.setPixelSize(geometry_.PreviewFontHeight(printerPixels));
    surface_->update();
}

void TPrintPreview::Relayout() {
    geometry_ = previewGeometry(size(), layout_.Metrics());
    surface_->setGeometry(geometry_.Printable);
    SetTitleFont(printerFont_, titleColour_, printerFontPixels_);
    update();
}

void TPrintPreview::resizeEvent(QResizeEvent*) {
    Relayout();
}

void TPrintPreview::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(geometry_.Sheet, Qt::white);
    painter.fillRect(geometry_.Sheet, QBrush(hatchGrey, Qt::BDiagPattern));
}

void TPrintPreview::paintSurface(QPainter& painter) {
    painter.fillRect(surface_->rect(), Qt::white);
    painter.setFont(previewFont_);
    for (int i = layout_.Count() - 1; i >= 0; --i) {
        paintPicture(painter, i);
    }
    paintPrintedAreas(painter);
    dragTool_.Paint(painter);
}

void TPrintPreview::paintPicture(QPainter& painter, int index) {
    const TPrintedImage& image = *layout_.Images()->Items(index);
    const QRect rect = geometry_.PictureRect(image);
    const QImage& shown = pictures_.At(*image.Image, rect.size());
    if (!shown.isNull()) {
        painter.drawImage(rect.topLeft(), shown);
    }
    if (index == 0) {
        dottedFrame(painter, rect, Qt::white, Qt::black);
    }
    if (!image.Title.isEmpty()) {
        const int width = painter.fontMetrics().horizontalAdvance(image.Title);
        const int top = rect.top() + rect.height();
        painter.setPen(titleColour_);
        painter.drawText(QRect(rect.left() + (rect.width() - width) / 2, top, width,
                               painter.fontMetrics().height()),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, image.Title);
    }
}

void TPrintPreview::paintPrintedAreas(QPainter& painter) const {
    for (int i = 0; i < filling_.Count(); ++i) {
        const TPrintedArea& area = *filling_[i];
        if (area.Sheet == sheet_) {
            dottedFrame(painter, geometry_.AreaRect(area.Left, area.Top, area.Right, area.Bottom),
                        Qt::black, Qt::white);
        }
    }
}

int TPrintPreview::pictureAt(QPoint point) const {
    for (int i = 0; i < layout_.Count(); ++i) {
        if (geometry_.PictureRect(*layout_.Images()->Items(i)).contains(point)) {
            return i;
        }
    }
    return -1;
}

void TPrintPreview::press(QPoint point) {
    const int hit = pictureAt(point);
    if (hit < 0) {
        return;
    }
    if (hit > 0) {
        emit pictureChosen(hit);
    }
    dragStart_ = geometry_.PictureRect(*layout_.Active());
    dragTool_.SetRect(dragStart_);
    dragTool_.Begin(surface_, point, 1);
}

// The pointer is held within the printable area while it carries a picture.
void TPrintPreview::follow(QPoint point) {
    if (dragTool_.Drawing()) {
        const QRect area = surface_->rect();
        dragTool_.Move(std::clamp(point.x(), area.left(), area.right()),
                       std::clamp(point.y(), area.top(), area.bottom()));
    }
}

void TPrintPreview::release(QPoint point) {
    if (!dragTool_.Drawing()) {
        return;
    }
    follow(point);
    dragTool_.End();
    if (dragTool_.Rect().topLeft() != dragStart_.topLeft()) {
        emit pictureMoved(geometry_.SheetPointOf(dragTool_.Rect().topLeft()));
    }
    surface_->update();
}
