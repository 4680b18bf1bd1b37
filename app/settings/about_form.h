// TAboutForm: the program's name and version, with links to the program's help (opened on its
// contents page) and to the project's README; its texts come from the language section "About".
#pragma once

#include <QDialog>
#include <QLabel>
#include <QLocale>

#include <functional>

class TLanguage;
class THelpWindow;

class TAboutForm : public QDialog {
    Q_OBJECT

public:
    TAboutForm(const TLanguage& language, const QString& version, QWidget* parent = nullptr);

    // The help file in the data folder: the one for the language of `locale` when it is
    // there, else the English one.
    static QString HelpFile(const QString& dataFolder, const QLocale& locale = QLocale::system());
    // The README: installed into the data folder, or beside it at the top of a source tree;
    // empty when there is none.
    static QString ReadmeFile(const QString& dataFolder);

    QLabel* lbProduct;
    QLabel* lbHelp = nullptr;
    QLabel* lbReadme = nullptr;

    // What the help link does: by default a help window of the About box's own shows the
    // contents page of HelpFile(); the program may hand it to its own help window instead.
    std::function<void()> showHelpContents;

private:
    void showOwnHelpContents();

    QString helpFile_;
    THelpWindow* helpWindow_ = nullptr;
};
