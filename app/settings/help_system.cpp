#include "help_system.h"

#include <QFile>
#include <QRegularExpression>
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

THelpWindow::THelpWindow(QWidget* parent) : QDialog(parent), browser_(new QTextBrowser(this)) {
    browser_->setOpenLinks(false);
    connect(browser_, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) {
        if (url.scheme() == "topic") {
            showTopic(url.path().toInt());
        }
    });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(browser_);
    resize(560, 480);
}

bool THelpWindow::open(const QString& path) {
    return file_.load(path);
}

void THelpWindow::showTopic(int number) {
    const int shown = file_.contains(number) ? number : 0;
    const HelpTopic topic = file_.topic(shown);
    shown_ = file_.contains(shown) ? shown : -1;
    setWindowTitle(topic.title);
    browser_->setMarkdown(topic.title.isEmpty() ? topic.text
                                                : "# " + topic.title + "\n\n" + topic.text);
}
