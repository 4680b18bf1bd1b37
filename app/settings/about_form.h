// TAboutForm: the program's name and version, with links to the web site and to a new mail.
#pragma once

#include <QDialog>
#include <QLabel>

class TAboutForm : public QDialog {
    Q_OBJECT

public:
    static constexpr const char* webSite = "https://huemark.invalid/";
    static constexpr const char* mailAddress = "mailto:support@huemark.invalid";

    explicit TAboutForm(const QString& version, QWidget* parent = nullptr);

    QLabel* lbProduct;
    QLabel* lbWeb;
    QLabel* lbMail;
};
