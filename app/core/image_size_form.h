// TImageSizeForm: the new size of a picture for a resize, typed in pixels, inches or
// centimetres, with or without keeping the picture's proportions.
#pragma once

#include "numeric_edit.h"
#include "platform/packed_bitmap.h"
#include "settings_records.h"

#include <QDialog>
#include <QtGlobal>

#include <cstdint>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class TLanguage;

class TImageSizeForm : public QDialog {
    Q_OBJECT

public:
    // The values of ResizeUnit, also the positions in cmbUnits.
    enum Unit { Pixels = 0, Inches = 1, Centimetres = 2 };

    // Shows the size and resolution of `header`; opens with config.ResizeUnit and
    // config.KeepProportions and stores both there on Start.
    TImageSizeForm(const TLanguage& language, const BITMAPINFOHEADER& header,
                   TConfigSettings& config, QWidget* parent = nullptr);

    // The chosen size in pixels, 1 to 10^10 each.
    qint64 NewWidth() const;
    qint64 NewHeight() const;

    // Whether a picture of this size can be made: each side and row fits the header's 32-bit
    // fields and the pixel rows (padded to 4 bytes) take at most 1 GiB. Asked before anything
    // is allocated; a refused size is reported as short memory.
    static bool SizeFits(qint64 width, qint64 height, int bitCount);

    // Start: the unit and the Proportions state go into the settings.
    void accept() override;

    // Set by the program; the Help button calls it.
    std::function<void()> showHelp;

    QLabel* lbWidth;
    QLabel* lbHeight;
    QLabel* lbResolution;
    TRealEdit* edtWidth;
    TRealEdit* edtHeight;
    QComboBox* cmbUnits;
    QCheckBox* chbProportions;
    QPushButton* btOK;
    QPushButton* btCancel;
    QPushButton* btHelp;

private:
    // Pixels in one unit along one direction, from that direction's pixels per metre.
    long double pixelsPerUnit(std::int32_t pixelsPerMetre) const;
    void fillUnits(const TLanguage& language, std::int32_t storedUnit);
    void layOut(const TLanguage& language);
    void cmbUnitsChange();
    void edtWidthChange();
    void edtHeightChange();
    void chbProportionsClick();
    // Keeps the height at the width divided by the aspect ratio, and the other way round.
    void heightFromWidth();
    void widthFromHeight();
    // Shows a size in pixels in an edit, in the current unit.
    void showInEdit(TRealEdit* edit, long double pixels, std::int32_t pixelsPerMetre);
    long double pixelsOf(const TRealEdit* edit, std::int32_t pixelsPerMetre) const;
    // True (and the exact size shown again) when the edit's text still shows `pixels`.
    bool keptAsShown(TRealEdit* edit, long double pixels, std::int32_t pixelsPerMetre);

    TConfigSettings& config_;
    std::int32_t xPixelsPerMetre_;
    std::int32_t yPixelsPerMetre_;
    double aspectRatio_;
    Unit unit_ = Pixels;
    // The new size in pixels, before rounding.
    long double widthPixels_;
    long double heightPixels_;
};
