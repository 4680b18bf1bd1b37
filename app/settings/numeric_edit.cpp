#include "numeric_edit.h"

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

TNumericEditBase::TNumericEditBase(QWidget* parent)
    : QWidget(parent), field_(new QLineEdit(this)), up_(new QToolButton(this)),
      down_(new QToolButton(this)) {
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    for (QToolButton* arrow : {up_, down_}) {
        arrow->setFixedWidth(arrowWidth_);
        arrow->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
        arrow->setFocusPolicy(Qt::NoFocus);
        arrow->setAutoRepeat(true);
    }
    auto* arrows = new QVBoxLayout;
    arrows->setContentsMargins(0, 0, 0, 0);
    arrows->setSpacing(0);
    arrows->addWidget(up_);
    arrows->addWidget(down_);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(field_);
    layout->addLayout(arrows);
    setFocusProxy(field_);
    field_->installEventFilter(this);
    connect(up_, &QToolButton::clicked, this, [this] { step(+1); });
    connect(down_, &QToolButton::clicked, this, [this] { step(-1); });
    connect(field_, &QLineEdit::editingFinished, this, &TNumericEditBase::commitText);
}

// A field that has the focus loses it while its window is destroyed, which finishes its
// editing: by then the number it would go to is gone, so the field no longer reports here.
TNumericEditBase::~TNumericEditBase() {
    field_->removeEventFilter(this);
    disconnect(field_, nullptr, this, nullptr);
}

void TNumericEditBase::SetFlatArrow(bool flat) {
    up_->setAutoRaise(flat);
    down_->setAutoRaise(flat);
}

void TNumericEditBase::SetArrowWidth(int width) {
    arrowWidth_ = width;
    up_->setFixedWidth(width);
    down_->setFixedWidth(width);
}

// The field takes the undo and redo keys only while it has typing of its own to undo or redo;
// otherwise they reach the window's commands (Undo of the last correction), as a field that
// merely kept the focus after a click should not swallow them.
bool TNumericEditBase::leavesKeyToWindow(const QKeyEvent& key) const {
    return (key.matches(QKeySequence::Undo) && !field_->isUndoAvailable()) ||
           (key.matches(QKeySequence::Redo) && !field_->isRedoAvailable());
}

bool TNumericEditBase::eventFilter(QObject* watched, QEvent* event) {
    if (watched == field_ && event->type() == QEvent::MouseButtonPress) {
        emit clickEdit();
    }
    if (watched == field_ && event->type() == QEvent::ShortcutOverride &&
        leavesKeyToWindow(*static_cast<QKeyEvent*>(event))) {
        event->ignore();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TNumericEditBase::commitText() {
    if (!Accept(field_->text().trimmed())) {
        QApplication::beep();
    }
    ShowValue();
    emit valueChanged();
}

void TNumericEditBase::step(int direction) {
    Step(direction);
    ShowValue();
    emit valueChanged();
}

// --- TIntEdit

TIntEdit::TIntEdit(QWidget* parent) : TNumericEditBase(parent) {
    ShowValue();
}

int TIntEdit::Value() const {
    return std::clamp(value_, min_, std::max(min_, max_));
}

void TIntEdit::SetValue(int value) {
    value_ = value;
    ShowValue();
}

void TIntEdit::SetMin(int min) {
    min_ = min;
    ShowValue();
}

void TIntEdit::SetMax(int max) {
    max_ = max;
    ShowValue();
}

void TIntEdit::SetIncrement(int increment) {
    increment_ = increment == 0 ? 1 : increment;
}

void TIntEdit::Step(int direction) {
    const long long next =
        static_cast<long long>(Value()) + static_cast<long long>(direction) * increment_;
    value_ = static_cast<int>(std::clamp<long long>(next, min_, std::max(min_, max_)));
}

bool TIntEdit::Accept(const QString& text) {
    bool ok = false;
    const long long typed = text.toLongLong(&ok);
    if (ok) {
        value_ = static_cast<int>(std::clamp<long long>(typed, min_, std::max(min_, max_)));
    }
    return ok;
}

void TIntEdit::ShowValue() {
    Field()->setText(QString::number(Value()));
}

// --- TRealEdit

TRealEdit::TRealEdit(QWidget* parent) : TNumericEditBase(parent) {
    ShowValue();
}

long double TRealEdit::Value() const {
    return std::clamp(value_, min_, std::max(min_, max_));
}

void TRealEdit::SetValue(long double value) {
    value_ = value;
    ShowValue();
}

void TRealEdit::SetMin(long double min) {
    min_ = min;
    ShowValue();
}

void TRealEdit::SetMax(long double max) {
    max_ = max;
    ShowValue();
}

void TRealEdit::SetIncrement(long double increment) {
    increment_ = increment == 0 ? 1 : increment;
}

void TRealEdit::SetBeforePoint(int digits) {
    beforePoint_ = digits;
    ShowValue();
}

void TRealEdit::SetAfterPoint(int digits) {
    afterPoint_ = std::max(0, digits);
    ShowValue();
}

void TRealEdit::Step(int direction) {
    value_ = std::clamp(Value() + direction * increment_, min_, std::max(min_, max_));
}

bool TRealEdit::Accept(const QString& text) {
    bool ok = false;
    const double typed = text.toDouble(&ok);
    ok = ok && std::isfinite(typed);
    if (ok) {
        value_ = std::clamp(static_cast<long double>(typed), min_, std::max(min_, max_));
    }
    return ok;
}

void TRealEdit::ShowValue() {
    Field()->setText(QString::number(static_cast<double>(Value()), 'f', afterPoint_).trimmed());
}
