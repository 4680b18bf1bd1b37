// TTipBox, "Techniques of color correction": one of fifteen correction techniques at start,
// with the offer to play its example.
#pragma once

#include "language.h"
#include "settings_records.h"

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>

#include <functional>

class TTipBox : public QDialog {
    Q_OBJECT

public:
    static constexpr int techniques = 15;

    // Shows technique `local.NextTip` and keeps NextTip and DisplayTips in `local` up to date.
    TTipBox(const TLanguage& language, TLocalSettings& local, QWidget* parent = nullptr);

    // Called with the example number when the user answers Yes (the examples fill it in).
    std::function<void(int example)> playExample;

    int Shown() const { return shown_; }

    // The technique after n: n + 1, and 1 after the last.
    static int NextTechnique(int n) { return n >= techniques || n < 1 ? 1 : n + 1; }

protected:
    void done(int result) override;

private:
    void show(int technique);
    void btYesClick();
    void btNextClick();

    const TLanguage& language_;
    TLocalSettings& local_;
    int shown_ = 1;
    QLabel* lbTipNumber_;
    QLabel* lbTip_;
    QLabel* lbComment_;
    QCheckBox* chbDisplay_;
    QPushButton* btYes_;
    QPushButton* btNo_;
    QPushButton* btNext_;
};
