// TAboutForm: the program's name and version, with links to the web site and to a new mail;
// its texts come from the language section "About".
#pragma once

#include <QDialog>
#include <QLabel>

class TLanguage;

class TAboutForm : public QDialog {
    Q_OBJECT

public:
    static constexpr const char* webSite = "https://huemark.invalid/";
    static constexpr const char* mailAddress = "mailto:support@huemark.invalid";

    TAboutForm(const TLanguage& language, const QString& version, QWidget* parent = nullptr);

    QLabel* lbProduct;
    QLabel* lbWeb;
    QLabel* lbMail;
};
