#include "contrast_form.h"

#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

#include <cmath>

namespace {
constexpr int scaleRows = 256;
constexpr int scaleWidth = 40;
constexpr int margin = 6;
} // namespace

TContrastForm::TContrastForm(const QString& caption, int level, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint), IntEdit(new TIntEdit(this)),
      PaintBox(new QWidget(this)) {
    setWindowTitle(caption);
    IntEdit->SetMin(0);
    IntEdit->SetMax(255);
    IntEdit->SetIncrement(1);
    IntEdit->SetValue(level);
    const int labels = fontMetrics().horizontalAdvance("255") + 6;
    PaintBox->setFixedSize(labels + scaleWidth + 2 * margin, scaleRows + 2 * margin);
    PaintBox->installEventFilter(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(PaintBox);
    layout->addWidget(IntEdit);
    connect(IntEdit, &TNumericEditBase::valueChanged, PaintBox, qOverload<>(&QWidget::update));
}

int TContrastForm::LevelOfRow(int row, int rows) {
    const int fromBottom = rows - 1 - row;
    return static_cast<int>(std::lround(fromBottom * 255.0 / (rows - 1)));
}

void TContrastForm::SetLevel(int level) {
    IntEdit->SetValue(level);
    PaintBox->update();
}

void TContrastForm::SetMeasuredLevel(int level) {
    if (level != measured_) {
        measured_ = level;
        PaintBox->update();
    }
}

QRect TContrastForm::scaleRect() const {
    const int labels = fontMetrics().horizontalAdvance("255") + 6;
    return QRect(margin + labels, margin, scaleWidth, scaleRows);
}

bool TContrastForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == PaintBox && event->type() == QEvent::Paint) {
        paintScale();
        return true;
    }
    if (watched == PaintBox && event->type() == QEvent::MouseButtonPress) {
        const auto* press = static_cast<QMouseEvent*>(event);
        const QRect scale = scaleRect();
        const QPoint at = press->position().toPoint();
        if (press->button() == Qt::LeftButton && scale.contains(at)) {
            SetLevel(LevelOfRow(at.y() - scale.top(), scale.height()));
            emit IntEdit->valueChanged();
        }
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TContrastForm::paintScale() {
    QPainter painter(PaintBox);
    painter.fillRect(PaintBox->rect(), palette().window());
    const QRect scale = scaleRect();
    for (int row = 0; row < scale.height(); ++row) {
        const int grey = LevelOfRow(row, scale.height());
        painter.setPen(QColor(grey, grey, grey));
        painter.drawLine(scale.left(), scale.top() + row, scale.right(), scale.top() + row);
    }
    const int axis = scale.left() - 3;
    painter.setPen(Qt::black);
    painter.drawLine(axis, scale.top(), axis, scale.bottom());
    for (int tick = 0; tick <= 6; ++tick) {
        const int y = scale.top() + tick * (scale.height() - 1) / 6;
        painter.drawLine(axis - 3, y, axis, y);
    }
    painter.drawText(QRect(0, scale.top() - 6, axis - 4, 12), Qt::AlignRight, "255");
    painter.drawText(QRect(0, scale.bottom() - 6, axis - 4, 12), Qt::AlignRight, "0");
    const auto rowOf = [&](int level) {
        return scale.top() + (scale.height() - 1) -
               static_cast<int>(std::lround(level * (scale.height() - 1) / 255.0));
    };
    if (measured_ >= 0) {
        const int y = rowOf(measured_);
        // Black and white dashes: visible on every grey of the scale.
        painter.setPen(Qt::white);
        painter.drawLine(scale.left(), y, scale.right(), y);
        painter.setPen(QPen(Qt::black, 1, Qt::DashLine));
        painter.drawLine(scale.left(), y, scale.right(), y);
        painter.fillRect(QRect(scale.left() - 2, y - 1, 3, 3), Qt::black);
        painter.fillRect(QRect(scale.right(), y - 1, 3, 3), Qt::black);
        painter.drawText(QRect(0, y - 6, axis - 4, 12), Qt::AlignRight, QString::number(measured_));
    }
    const int y = rowOf(Level());
    painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
    painter.drawLine(scale.left(), y, scale.right(), y);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    painter.drawPolygon(QPolygon({QPoint(scale.left() - 1, y), QPoint(scale.left() - 6, y - 4),
                                  QPoint(scale.left() - 6, y + 4)}));
    painter.drawPolygon(QPolygon({QPoint(scale.right() + 1, y), QPoint(scale.right() + 6, y - 4),
                                  QPoint(scale.right() + 6, y + 4)}));
}
