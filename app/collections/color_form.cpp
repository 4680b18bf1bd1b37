#include "color_form.h"

#include "language.h"
#include "text_table.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>

#include <cmath>

namespace {
const QString section = "Color Dialog";
}

TfrmColor::TfrmColor(const TLanguage& language, const QString& comment, std::uint8_t red,
                     std::uint8_t green, std::uint8_t blue, const QString& caption, QWidget* parent)
    : QDialog(parent), ColorBox(new QWidget(this)), Memo(new QPlainTextEdit(this)),
      btGray(new QPushButton(language.Text(section, 10), this)),
      btPalette(new QPushButton(language.Text(section, 11), this)) {
    setWindowTitle(caption);
    auto* grid = new QGridLayout(this);
    for (int control = Red; control <= Brightness; ++control) {
        auto* bar = new QScrollBar(Qt::Horizontal, this);
        bar->setRange(0, 255);
        bar->setMinimumWidth(200);
        auto* edit = new QLineEdit(this);
        edit->setMaxLength(3);
        edit->setFixedWidth(48);
        ScrollBars[control] = bar;
        Edits[control] = edit;
        grid->addWidget(new QLabel(language.Text(section, 2 + control), this), control, 0);
        grid->addWidget(bar, control, 1);
        grid->addWidget(edit, control, 2);
        connect(bar, &QScrollBar::valueChanged, this, [edit](int value) {
            if (edit->text() != QString::number(value)) {
                edit->setText(QString::number(value));
            }
        });
        connect(edit, &QLineEdit::textChanged, this, [this, control] { editChanged(control); });
    }
    ColorBox->setFixedSize(64, 64);
    ColorBox->setAutoFillBackground(true);
    grid->addWidget(ColorBox, 0, 3, 3, 1);
    grid->addWidget(btGray, 3, 3);
    grid->addWidget(btPalette, 4, 3);
    grid->addWidget(new QLabel(language.Text(section, 9), this), 7, 0);
    grid->addWidget(Memo, 7, 1, 1, 3);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)
        ->setText(language.Text("Common", common_text::Cancel));
    grid->addWidget(buttons, 8, 0, 1, 4);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(btGray, &QPushButton::clicked, this, [this] {
        const int b = brightness();
        for (int control : {Red, Green, Blue}) {
            setEdit(control, b);
        }
    });
    connect(btPalette, &QPushButton::clicked, this, [this] {
        const QColor chosen =
            QColorDialog::getColor(QColor(rgb_[0], rgb_[1], rgb_[2]), this, windowTitle());
        if (chosen.isValid()) {
            ScrollBars[Red]->setValue(chosen.red());
            ScrollBars[Green]->setValue(chosen.green());
            ScrollBars[Blue]->setValue(chosen.blue());
        }
    });
    // Each bar fills its edit, and the edits fill everything else.
    ScrollBars[Red]->setValue(red);
    ScrollBars[Green]->setValue(green);
    ScrollBars[Blue]->setValue(blue);
    for (int control : {Red, Green, Blue}) {
        Edits[control]->setText(QString::number(ScrollBars[control]->value()));
        editChanged(control);
    }
    Memo->setPlainText(comment);
}

QString TfrmColor::Comment() const {
    return Memo->toPlainText();
}

int TfrmColor::brightness() const {
    return std::max({rgb_[0], rgb_[1], rgb_[2]});
}

void TfrmColor::setEdit(int control, int value) {
    const QString text = QString::number(value);
    if (Edits[control]->text() != text) {
        Edits[control]->setText(text); // fires editChanged
    }
}

int TfrmColor::takeEdit(int control) {
    bool number = false;
    const int value = Edits[control]->text().toInt(&number);
    if (!number || value >= 256 || value < 0) {
        QApplication::beep();
        Edits[control]->setText("255");
        return -1; // the new text runs the rules again
    }
    return value;
}

void TfrmColor::editChanged(int control) {
    if (Edits[control]->text().isEmpty()) {
        return; // while the user clears the field to type
    }
    const int value = takeEdit(control);
    if (value < 0) {
        return;
    }
    ScrollBars[control]->setValue(value);
    if (control <= Blue) {
        rgb_[control] = value;
        setEdit(control + Cyan, 255 - value);
        setEdit(Brightness, brightness());
        paintSwatch();
    } else if (control <= Yellow) {
        setEdit(control - Cyan, 255 - value);
    } else {
        const int b = brightness();
        const std::array<int, 3> old = rgb_;
        for (int c : {Red, Green, Blue}) {
            setEdit(c, b != 0 ? static_cast<int>(std::lround(old[c] * double(value) / b)) : value);
        }
    }
}

void TfrmColor::paintSwatch() {
    QPalette swatch = ColorBox->palette();
    swatch.setColor(QPalette::Window, QColor(rgb_[0], rgb_[1], rgb_[2]));
    ColorBox->setPalette(swatch);
}
