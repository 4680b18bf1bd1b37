#include "tip_box.h"

#include "text_table.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {
const QString section = "Techniques Dialog";
}

TTipBox::TTipBox(const TLanguage& language, TLocalSettings& local, QWidget* parent)
    : QDialog(parent), language_(language), local_(local), lbTipNumber_(new QLabel(this)),
      lbTip_(new QLabel(this)), lbComment_(new QLabel(this)), chbDisplay_(new QCheckBox(this)),
      btYes_(new QPushButton(this)), btNo_(new QPushButton(this)), btNext_(new QPushButton(this)) {
    setWindowTitle(language.Text(section, 17));
    chbDisplay_->setText(language.Text(section, 18));
    lbComment_->setText(language.Text(section, 19));
    btYes_->setText(language.Text("Common", common_text::Yes));
    btNo_->setText(language.Text("Common", common_text::No));
    btNext_->setText(language.Text("Common", common_text::Next));
    lbTip_->setWordWrap(true);
    chbDisplay_->setChecked(local.DisplayTips != 0);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(chbDisplay_);
    buttons->addStretch();
    buttons->addWidget(btYes_);
    buttons->addWidget(btNo_);
    buttons->addWidget(btNext_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lbTipNumber_);
    layout->addWidget(lbTip_, 1);
    layout->addWidget(lbComment_);
    layout->addLayout(buttons);

    connect(btYes_, &QPushButton::clicked, this, &TTipBox::btYesClick);
    connect(btNo_, &QPushButton::clicked, this, &QDialog::reject);
    connect(btNext_, &QPushButton::clicked, this, &TTipBox::btNextClick);
    connect(chbDisplay_, &QCheckBox::clicked, this,
            [this](bool on) { local_.DisplayTips = on ? 1 : 0; });
    show(local.NextTip >= 1 && local.NextTip <= techniques ? local.NextTip : 1);
}

void TTipBox::show(int technique) {
    shown_ = technique;
    lbTipNumber_->setText(language_.Text(section, 0) + " " + QString::number(technique));
    lbTip_->setText(language_.Text(section, technique + 1) + "\n\n" +
                    formatText(language_.Text(section, 1), {QString::number(technique)}));
}

void TTipBox::btNextClick() {
    local_.NextTip = NextTechnique(shown_);
    show(local_.NextTip);
}

void TTipBox::btYesClick() {
    const int example = shown_;
    accept();
    if (playExample) {
        playExample(example);
    }
}

// Closing the box in any way advances the stored technique.
void TTipBox::done(int result) {
    local_.NextTip = NextTechnique(shown_);
    QDialog::done(result);
}
