#include "help_system.h"

#include <QFile>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QRegularExpression>
#include <QStyle>
#include <QVBoxLayout>

bool HelpFile::load(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    parse(QString::fromUtf8(file.readAll()));
    return true;
}

void HelpFile::parse(const QString& text) {
    static const QRegularExpression topicLine(R"(^===\s*(\d{1,6})\s*(.*)$)");
    topics_.clear();
    int number = -1;
    bool collecting = false; // false before the first topic and in a repeated one
    HelpTopic topic;
    QStringList lines;
    auto finish = [&] {
        if (collecting) {
            topic.text = lines.join('\n').trimmed();
            topics_.insert(number, topic);
        }
        lines.clear();
    };
    for (const QString& line : text.split('\n')) {
        const QRegularExpressionMatch match = topicLine.match(line.trimmed());
        if (!match.hasMatch()) {
            lines.push_back(line);
            continue;
        }
        finish();
        number = match.captured(1).toInt();
        topic = HelpTopic{match.captured(2).trimmed(), {}};
        collecting = !topics_.contains(number);
    }
    finish();
}

namespace {
QToolButton* navigationButton(QWidget* parent, QStyle::StandardPixmap icon) {
    auto* button = new QToolButton(parent);
    button->setIcon(parent->style()->standardIcon(icon));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(true);
    return button;
}
} // namespace

THelpWindow::THelpWindow(QWidget* parent)
    : QDialog(parent), btBack(navigationButton(this, QStyle::SP_ArrowBack)),
      btForward(navigationButton(this, QStyle::SP_ArrowForward)),
      btContents(navigationButton(this, QStyle::SP_DirHomeIcon)), browser_(new QTextBrowser(this)) {
    browser_->setOpenLinks(false);
    connect(browser_, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) {
        if (url.scheme() == "topic") {
            showTopic(url.path().toInt());
        }
    });
    for (QWidget* child : {static_cast<QWidget*>(browser_), static_cast<QWidget*>(btBack),
                           static_cast<QWidget*>(btForward), static_cast<QWidget*>(btContents)}) {
        child->installEventFilter(this);
    }
    connect(btBack, &QToolButton::clicked, this, &THelpWindow::back);
    connect(btForward, &QToolButton::clicked, this, &THelpWindow::forward);
    connect(btContents, &QToolButton::clicked, this, &THelpWindow::showContents);
    setButtonTexts("Back", "Forward", "Contents");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btBack);
    buttons->addWidget(btForward);
    buttons->addWidget(btContents);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(browser_);
    resize(560, 480);
    updateButtons();
}

bool THelpWindow::navigate(const QKeyEvent& key) {
    if (key.modifiers() != Qt::AltModifier) {
        return false;
    }
    if (key.key() == Qt::Key_Left) {
        back();
        return true;
    }
    if (key.key() == Qt::Key_Right) {
        forward();
        return true;
    }
    return false;
}

// The browser takes Alt+Left and Alt+Right for a history of its own, which the topics shown
// here do not fill, and the buttons for moving the focus: in this window they walk its history.
bool THelpWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched->isWidgetType() && event->type() == QEvent::KeyPress &&
        navigate(*static_cast<QKeyEvent*>(event))) {
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void THelpWindow::setButtonTexts(const QString& back, const QString& forward,
                                 const QString& contents) {
    for (const auto& [button, text] :
         {std::pair{btBack, back}, {btForward, forward}, {btContents, contents}}) {
        button->setText(text);
        button->setToolTip(text);
    }
}

bool THelpWindow::open(const QString& path) {
    return file_.load(path);
}

void THelpWindow::showTopic(int number) {
    display(number);
    if (position_ >= 0 && history_.at(position_) == shown_) {
        return; // the page on screen again: no new step
    }
    history_.resize(position_ + 1); // a new page ends the way forward
    history_.append(shown_);
    position_ = history_.size() - 1;
    updateButtons();
}

void THelpWindow::back() {
    if (position_ > 0) {
        display(history_.at(--position_));
        updateButtons();
    }
}

void THelpWindow::forward() {
    if (position_ + 1 < history_.size()) {
        display(history_.at(++position_));
        updateButtons();
    }
}

void THelpWindow::updateButtons() {
    btBack->setEnabled(position_ > 0);
    btForward->setEnabled(position_ + 1 < history_.size());
}

void THelpWindow::display(int number) {
    const int shown = file_.contains(number) ? number : 0;
    const HelpTopic topic = file_.topic(shown);
    shown_ = file_.contains(shown) ? shown : -1;
    setWindowTitle(topic.title);
    browser_->setMarkdown(topic.title.isEmpty() ? topic.text
                                                : "# " + topic.title + "\n\n" + topic.text);
}
