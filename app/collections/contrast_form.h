// TContrastForm: the level picker of the light point or the dark point. A vertical grey scale
// from white at the top to black at the bottom; a click picks the level of that row, and the
// level measured in the picture's Light or Dark region is marked beside it.
#pragma once

#include "level_picker.h"
#include "numeric_edit.h"

#include <QDialog>

class TLanguage;

class TContrastForm : public QDialog, public LevelPicker {
    Q_OBJECT

public:
    TContrastForm(const QString& caption, int level, QWidget* parent = nullptr);

    QWidget& popup() override { return *this; }
    int Level() const override { return IntEdit->Value(); }
    void SetLevel(int level);
    int MeasuredLevel() const { return measured_; }
    // A negative level hides the mark; the scale is repainted only when it changes.
    void SetMeasuredLevel(int level) override;
    // The grey level of a row of the scale, counted from the top (0) to rows - 1.
    static int LevelOfRow(int row, int rows);

    TIntEdit* IntEdit;
    QWidget* PaintBox;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void paintScale();
    QRect scaleRect() const;

    int measured_ = 128;
};
