#include "message_boxes.h"

#include <QCheckBox>
#include <QMessageBox>
#include <QPushButton>

namespace {
MessageResponder& responder() {
    static MessageResponder current;
    return current;
}

QMessageBox::Icon iconOf(MessageKind kind) {
    switch (kind) {
    case MessageKind::Error:
        return QMessageBox::Critical;
    case MessageKind::Information:
        return QMessageBox::Information;
    case MessageKind::Warning:
        return QMessageBox::Warning;
    default:
        return QMessageBox::Question;
    }
}

void nameButton(QMessageBox& box, QMessageBox::StandardButton which, const QString& text) {
    if (!text.isEmpty()) {
        box.button(which)->setText(text);
    }
}
} // namespace

void setMessageResponder(MessageResponder responder_) {
    responder() = std::move(responder_);
}

MessageAnswer showMessage(QWidget* parent, MessageKind kind, const MessageTexts& texts) {
    if (responder()) {
        return responder()(kind, texts);
    }
    QMessageBox box(iconOf(kind), texts.caption, texts.text, QMessageBox::NoButton, parent);
    if (kind == MessageKind::Question || kind == MessageKind::QuestionWithCancel) {
        box.setStandardButtons(kind == MessageKind::Question
                                   ? QMessageBox::Yes | QMessageBox::No
                                   : QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        nameButton(box, QMessageBox::Yes, texts.yes);
        nameButton(box, QMessageBox::No, texts.no);
        if (kind == MessageKind::QuestionWithCancel) {
            nameButton(box, QMessageBox::Cancel, texts.cancel);
        }
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    if (!texts.checkText.isEmpty()) {
        box.setCheckBox(new QCheckBox(texts.checkText, &box));
    }
    const int answer = box.exec();
    if (texts.checked != nullptr && box.checkBox() != nullptr) {
        *texts.checked = box.checkBox()->isChecked();
    }
    switch (answer) {
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    case QMessageBox::Cancel:
        return MessageAnswer::Cancel;
    default: // the box was closed without a button
        if (kind == MessageKind::QuestionWithCancel) {
            return MessageAnswer::Cancel;
        }
        return kind == MessageKind::Question ? MessageAnswer::No : MessageAnswer::Ok;
    }
}
