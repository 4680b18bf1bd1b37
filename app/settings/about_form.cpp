#include "about_form.h"

#include <QPushButton>
#include <QVBoxLayout>

namespace {
QLabel* linkLabel(const QString& target, const QString& text, QWidget* parent) {
    auto* label =
        new QLabel(QString("<a href=\"%1\">%2</a>").arg(target, text.toHtmlEscaped()), parent);
    label->setOpenExternalLinks(true); // the desktop's browser or mail program
    return label;
}
} // namespace

TAboutForm::TAboutForm(const QString& version, QWidget* parent)
    : QDialog(parent), lbProduct(new QLabel("Huemark " + version, this)),
      lbWeb(linkLabel(webSite, "huemark.invalid", this)),
      lbMail(linkLabel(mailAddress, "support@huemark.invalid", this)) {
    setWindowTitle("Huemark");
    QFont big = lbProduct->font();
    big.setPointSize(big.pointSize() * 2);
    lbProduct->setFont(big);
    auto* ok = new QPushButton("OK", this);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lbProduct);
    layout->addWidget(lbWeb);
    layout->addWidget(lbMail);
    layout->addWidget(ok, 0, Qt::AlignRight);
}
