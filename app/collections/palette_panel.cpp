#include "palette_panel.h"

#include "entry_picture.h"

#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>

namespace {
QColor colourOf(std::uint32_t windowsColour) {
    return QColor(windowsColour & 0xff, (windowsColour >> 8) & 0xff, (windowsColour >> 16) & 0xff);
}
} // namespace

TPalettePanel::TPalettePanel(QWidget* parent)
    : QWidget(parent), scrollLeft_(new QToolButton(this)), scrollRight_(new QToolButton(this)),
      moveLeftButton_(new QToolButton(this)), moveRightButton_(new QToolButton(this)),
      cells_(new QWidget(this)) {
    for (QToolButton* arrow : {scrollLeft_, scrollRight_, moveLeftButton_, moveRightButton_}) {
        arrow->setAutoRaise(true);
    }
    cells_->installEventFilter(this);
    cells_->setAttribute(Qt::WA_OpaquePaintEvent);
    connect(scrollLeft_, &QToolButton::clicked, this, [this] { SetPosition(position_ - 1); });
    connect(scrollRight_, &QToolButton::clicked, this, [this] { SetPosition(position_ + 1); });
    connect(moveLeftButton_, &QToolButton::clicked, this, [this] { MoveSelected(-1); });
    connect(moveRightButton_, &QToolButton::clicked, this, [this] { MoveSelected(+1); });
    layOut();
    SetPressedButton(0);
    SetPosition(0);
}

void TPalettePanel::SetButtons(int count) {
    buttons_ = std::max(count, 1);
    layOut();
}
void TPalettePanel::SetButtonWidth(int width) {
    buttonWidth_ = std::max(width, 10);
    layOut();
}
void TPalettePanel::SetButtonHeight(int height) {
    buttonHeight_ = std::max(height, 10);
    layOut();
}
QString TPalettePanel::ScrollHint() const {
    return scrollLeft_->toolTip();
}
void TPalettePanel::SetScrollHint(const QString& hint) {
    scrollLeft_->setToolTip(hint);
    scrollRight_->setToolTip(hint);
}
QString TPalettePanel::MoveHint() const {
    return moveLeftButton_->toolTip();
}
void TPalettePanel::SetMoveHint(const QString& hint) {
    moveLeftButton_->setToolTip(hint);
    moveRightButton_->setToolTip(hint);
}
void TPalettePanel::SetMoveVisible(bool visible) {
    moveVisible_ = visible;
    layOut();
}
void TPalettePanel::SetMoveLeft(bool left) {
    moveLeft_ = left;
    layOut();
}
void TPalettePanel::SetDrawPictures(bool draw) {
    drawPictures_ = draw;
    cells_->update();
}

void TPalettePanel::SetPressedButton(int index) {
    pressed_ = std::min(std::max(index, 0), list_.Count() - 1);
    updateArrows();
    cells_->update();
    emit colorChanged();
}

void TPalettePanel::SetPosition(int index) {
    position_ = std::max(std::min(index, list_.Count() - buttons_), 0);
    updateArrows();
    cells_->update();
}

void TPalettePanel::updateArrows() {
    moveLeftButton_->setEnabled(pressed_ >= 1);
    moveRightButton_->setEnabled(pressed_ >= 0 && pressed_ < list_.Count() - 1);
    scrollLeft_->setEnabled(position_ >= 1);
    scrollRight_->setEnabled(position_ + buttons_ < list_.Count());
}

bool TPalettePanel::GetSelected(TPaletteColor& entry) const {
    if (pressed_ < 0 || pressed_ >= list_.Count()) {
        return false;
    }
    entry = *list_[pressed_];
    return true;
}

void TPalettePanel::AddEntry(const TPaletteColor& entry) {
    list_.Add(std::make_unique<TPaletteColor>(entry));
    SetPressedButton(list_.Count() - 1);
    SetPosition(pressed_ - buttons_ + 1);
    Modified = true;
}

void TPalettePanel::ReplaceSelected(const TPaletteColor& entry) {
    if (pressed_ < 0 || pressed_ >= list_.Count()) {
        return;
    }
    list_.DeleteItem(pressed_);
    list_.Insert(pressed_, std::make_unique<TPaletteColor>(entry));
    SetPressedButton(pressed_);
    Modified = true;
}

void TPalettePanel::DeleteSelected() {
    if (pressed_ < 0 || pressed_ >= list_.Count()) {
        return;
    }
    list_.DeleteItem(pressed_);
    SetPressedButton(pressed_);
    SetPosition(position_);
    Modified = true;
}

void TPalettePanel::MoveSelected(int step) {
    if (list_.Count() == 0) {
        return;
    }
    const int target = std::clamp(pressed_ + step, 0, list_.Count() - 1);
    if (target == pressed_) {
        return;
    }
    list_.Exchange(pressed_, target);
    SetPressedButton(target);
    if (target < position_) {
        SetPosition(target);
    } else if (target >= position_ + buttons_) {
        SetPosition(target - buttons_ + 1);
    }
    Modified = true;
}

void TPalettePanel::Reset() {
    SetPressedButton(0);
    SetPosition(0);
}

QIcon TPalettePanel::arrowGlyph(QSize button, bool pointsLeft, const QColor& background) {
    const int s = std::min((button.height() / 2) / 2, button.width() / 2);
    const int n = 2 * s - 1;
    const int m = n / 2;
    QPixmap glyph(std::max(s + 2, 1), std::max(n, 1));
    glyph.fill(background);
    QPainter painter(&glyph);
    painter.setPen(Qt::black);
    painter.setBrush(Qt::black);
    const QPolygon triangle =
        pointsLeft ? QPolygon({QPoint(1, m), QPoint(s, m - s + 1), QPoint(s, m + s - 1)})
                   : QPolygon({QPoint(s, m), QPoint(1, m - s + 1), QPoint(1, m + s - 1)});
    painter.drawPolygon(triangle);
    return QIcon(glyph);
}

void TPalettePanel::layOut() {
    const int arrowWidth = buttonWidth_ / 2;
    const QSize arrow(arrowWidth, buttonHeight_);
    const QColor background = palette().color(QPalette::Window);
    int left = moveVisible_ && moveLeft_ ? buttonWidth_ : 0;
    const int start = left;
    scrollLeft_->setGeometry(left, 0, arrowWidth, buttonHeight_);
    left += arrowWidth;
    cells_->setGeometry(left, 0, buttonWidth_ * buttons_ + 2, buttonHeight_);
    left += buttonWidth_ * buttons_ + 2;
    scrollRight_->setGeometry(left, 0, arrowWidth, buttonHeight_);
    left += arrowWidth;
    int width = left - start;
    moveLeftButton_->setVisible(moveVisible_);
    moveRightButton_->setVisible(moveVisible_);
    if (moveVisible_) {
        const int moveAt = moveLeft_ ? 0 : left;
        moveLeftButton_->setGeometry(moveAt, 0, arrowWidth, buttonHeight_);
        moveRightButton_->setGeometry(moveAt + arrowWidth, 0, arrowWidth, buttonHeight_);
        width += buttonWidth_;
    }
    for (QToolButton* button : {scrollLeft_, moveLeftButton_}) {
        button->setIcon(arrowGlyph(arrow, true, background));
        button->setIconSize(button->icon().availableSizes().value(0));
    }
    for (QToolButton* button : {scrollRight_, moveRightButton_}) {
        button->setIcon(arrowGlyph(arrow, false, background));
        button->setIconSize(button->icon().availableSizes().value(0));
    }
    setFixedSize(width, buttonHeight_);
    cells_->update();
}

bool TPalettePanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched != cells_) {
        return QWidget::eventFilter(watched, event);
    }
    switch (event->type()) {
    case QEvent::Paint:
        paintCells();
        return true;
    case QEvent::MouseButtonPress: {
        const auto* press = static_cast<QMouseEvent*>(event);
        if (press->button() != Qt::LeftButton) {
            return false; // the right button opens the pop-up menu
        }
        const int index = int(press->position().x()) / buttonWidth_ + position_;
        if (index != pressed_ && index < list_.Count()) {
            SetPressedButton(index);
        }
        emit colorClick();
        return true;
    }
    case QEvent::MouseButtonDblClick:
        emit dblClick();
        return true;
    default:
        return false;
    }
}

void TPalettePanel::paintCells() {
    QPainter painter(cells_);
    const QPalette colours = palette();
    const QRect whole = cells_->rect();
    painter.fillRect(whole, colours.color(QPalette::Window));
    const auto frame = [&](const QRect& r, const QColor& topLeft, const QColor& bottomRight) {
        painter.setPen(topLeft);
        painter.drawLine(r.topLeft(), r.topRight());
        painter.drawLine(r.topLeft(), r.bottomLeft());
        painter.setPen(bottomRight);
        painter.drawLine(r.bottomLeft(), r.bottomRight());
        painter.drawLine(r.topRight(), r.bottomRight());
    };
    const QColor shadow = colours.color(QPalette::Dark);
    frame(whole, shadow, Qt::white);
    const int last = std::min(position_ + buttons_ - 1, list_.Count() - 1);
    for (int i = position_; i <= last; ++i) {
        QRect cell((i - position_) * buttonWidth_ + 1, 1, buttonWidth_, buttonHeight_ - 2);
        const bool selected = i == pressed_;
        if (selected) {
            QImage dither(8, 8, QImage::Format_RGB32);
            for (int y = 0; y < 8; ++y) {
                for (int x = 0; x < 8; ++x) {
                    dither.setPixel(x, y,
                                    (x % 2 == y % 2) ? colours.color(QPalette::Light).rgb()
                                                     : colours.color(QPalette::Button).rgb());
                }
            }
            painter.fillRect(cell, QBrush(dither));
            frame(cell, shadow, Qt::white);
        } else {
            frame(cell, Qt::white, shadow);
        }
        QRect inner = cell.adjusted(4, 4, -4, -4);
        if (selected) {
            inner.translate(1, 1);
        }
        const TPaletteColor& entry = *list_[i];
        const QByteArray picture = drawPictures_ ? entry.PictureBytes() : QByteArray();
        if (picture.isEmpty() || !packedBitmapFits(picture)) {
            painter.fillRect(inner, colourOf(entry.Color));
            continue;
        }
        const QSize size = pictureSize(picture);
        const int w = std::min(PictureWidth(), size.width());
        const int h = std::min(PictureHeight(), size.height());
        painter.drawImage(inner.left() + (PictureWidth() - w) / 2,
                          inner.top() + (PictureHeight() - h) / 2, pictureTopLeft(picture, w, h));
    }
}
