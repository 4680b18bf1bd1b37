#include "about_form.h"

#include "language.h"
#include "text_table.h"

#include <QFormLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QString section = "About";

QLabel* linkLabel(const QString& target, const QString& text, QWidget* parent) {
    auto* label =
        new QLabel(QString("<a href=\"%1\">%2</a>").arg(target, text.toHtmlEscaped()), parent);
    label->setOpenExternalLinks(true); // the desktop's browser or mail program
    return label;
}
} // namespace

TAboutForm::TAboutForm(const TLanguage& language, const QString& version, QWidget* parent)
    : QDialog(parent),
      lbProduct(new QLabel("Huemark " + formatText(language.Text(section, 1), {version}), this)),
      lbWeb(linkLabel(webSite, "huemark.invalid", this)),
      lbMail(linkLabel(mailAddress, "support@huemark.invalid", this)) {
    setWindowTitle(language.Text(section, 0));
    QFont big = lbProduct->font();
    big.setPointSize(big.pointSize() * 2);
    lbProduct->setFont(big);
    auto* ok = new QPushButton(language.Text("Common", common_text::OK), this);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* links = new QFormLayout;
    links->addRow(language.Text(section, 2), lbWeb);
    links->addRow(language.Text(section, 3), lbMail);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lbProduct);
    layout->addLayout(links);
    layout->addWidget(ok, 0, Qt::AlignRight);
}
