// Help: topics by number and a contents page, from a help file of the program's own format.
//
// A help file (*.hlp, UTF-8) is plain text divided into topics. A line of the form
//     === 3 Options
// starts topic 3 with the title "Options"; the lines up to the next such line are its text, in
// Markdown. Topic 0 is the contents page. Lines before the first topic line are ignored, and a
// topic number given twice keeps its first text.
#pragma once

#include <QDialog>
#include <QMap>
#include <QString>
#include <QTextBrowser>
#include <QToolButton>

struct HelpTopic {
    QString title;
    QString text;
};

class HelpFile {
public:
    bool load(const QString& path);
    void parse(const QString& text);
    bool contains(int topic) const { return topics_.contains(topic); }
    HelpTopic topic(int number) const { return topics_.value(number); }
    QList<int> numbers() const { return topics_.keys(); }

private:
    QMap<int, HelpTopic> topics_;
};

// The help window: one for the program, showing a topic or the contents page. Back and
// Forward (also Alt+Left and Alt+Right) walk the topics shown, as in a browser; Contents goes
// to the contents page.
class THelpWindow : public QDialog {
    Q_OBJECT

public:
    explicit THelpWindow(QWidget* parent = nullptr);
    // The texts of the three buttons (their hints too).
    void setButtonTexts(const QString& back, const QString& forward, const QString& contents);

    // Reads the help file; false (and nothing shown) when it cannot be read.
    bool open(const QString& path);
    // Shows topic `number`, or the contents page when the file lacks it.
    void showTopic(int number);
    void showContents() { showTopic(0); }
    int shownTopic() const { return shown_; }
    QTextBrowser* browser() const { return browser_; }
    void back();
    void forward();

    QToolButton* btBack;
    QToolButton* btForward;
    QToolButton* btContents;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Alt+Left goes back, Alt+Right forward; false for other keys.
    bool navigate(const QKeyEvent& key);
    // Shows a topic without touching the history.
    void display(int number);
    void updateButtons();

    HelpFile file_;
    QTextBrowser* browser_;
    int shown_ = -1;
    // The topics shown, oldest first, and the position of the one on screen.
    QList<int> history_;
    qsizetype position_ = -1;
};
