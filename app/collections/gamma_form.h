// TGammaForm: a small pop-up list of favourite gamma values. Clicking one puts it into the
// main window's gamma field; Add keeps the field's value; the list is kept between runs.
#pragma once

#include <QByteArray>
#include <QDialog>

#include <functional>

class QListWidget;
class QPushButton;
class TLanguage;

class TGammaForm : public QDialog {
    Q_OBJECT

public:
    explicit TGammaForm(const TLanguage& language, QWidget* parent = nullptr);

    // The stored list: a 32-bit count, then 10-byte extended floats. False (and the list
    // unchanged) when the bytes do not hold that.
    bool LoadFromBytes(const QByteArray& bytes);
    // The list as stored; false when an item is no number.
    bool SaveToBytes(QByteArray& bytes) const;

    // Set by the owner: receives a chosen value; gives the current value for Add.
    std::function<void(double)> valueChosen;
    std::function<double()> currentValue;
    // How values are written: width before the point and decimals.
    int Width = 4;
    int Decimals = 2;

    QListWidget* lstGammas;
    QPushButton* btAdd;
    QPushButton* btDelete;

private:
    QString format(double value) const;
    void lstGammasClick();
    void btAddClick();
    void btDeleteClick();
};
