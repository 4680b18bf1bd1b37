// The four message boxes every window reports through (error, information, warning and a
// question), plus the Yes/No/Cancel question of an image window's close. Tests and the example
// player answer them through a responder instead of a person.
#pragma once

#include <QString>

#include <functional>

class QWidget;

enum class MessageKind { Error, Information, Warning, Question, QuestionWithCancel };
enum class MessageAnswer { Ok, Yes, No, Cancel };

struct MessageTexts {
    MessageTexts(QString caption_, QString text_, QString yes_ = {}, QString no_ = {},
                 QString cancel_ = {})
        : caption(std::move(caption_)), text(std::move(text_)), yes(std::move(yes_)),
          no(std::move(no_)), cancel(std::move(cancel_)) {}
    QString caption;
    QString text;
    QString yes; // button texts; empty keeps the desktop's own
    QString no;
    QString cancel;
    // A check box under the text ("Do not ask again"), shown when its text is not empty; its
    // state is written to `checked` when the box closes.
    QString checkText;
    bool* checked = nullptr;
};

// Shows a modal box; with a responder set, asks it instead.
MessageAnswer showMessage(QWidget* parent, MessageKind kind, const MessageTexts& texts);

using MessageResponder = std::function<MessageAnswer(MessageKind, const MessageTexts&)>;
// Replaces the interactive boxes (an empty function brings them back).
void setMessageResponder(MessageResponder responder);
