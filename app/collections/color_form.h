// TfrmColor: one colour edited as red, green and blue, their complements cyan, magenta and
// yellow, and a brightness (the largest of the three), with a free comment. Every control
// follows every other.
#pragma once

#include <QDialog>

#include <array>
#include <cstdint>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QScrollBar;
class QWidget;
class TLanguage;

class TfrmColor : public QDialog {
    Q_OBJECT

public:
    TfrmColor(const TLanguage& language, const QString& comment, std::uint8_t red,
              std::uint8_t green, std::uint8_t blue, const QString& caption,
              QWidget* parent = nullptr);

    std::uint8_t R() const { return rgb_[0]; }
    std::uint8_t G() const { return rgb_[1]; }
    std::uint8_t B() const { return rgb_[2]; }
    QString Comment() const;

    // Order: red, green, blue, cyan, magenta, yellow, brightness.
    std::array<QScrollBar*, 7> ScrollBars{};
    std::array<QLineEdit*, 7> Edits{};
    QWidget* ColorBox;
    QPlainTextEdit* Memo;
    QPushButton* btGray;
    QPushButton* btPalette;

private:
    enum Control { Red, Green, Blue, Cyan, Magenta, Yellow, Brightness };
    // The value typed into an edit: a number below 256, else a beep and 255.
    int takeEdit(int control);
    void editChanged(int control);
    void setEdit(int control, int value);
    int brightness() const;
    void paintSwatch();

    std::array<int, 3> rgb_{};
};
