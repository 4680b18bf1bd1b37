// TImageInformationForm: the bit depth, size, resolution and memory size of a picture, from its
// header.
#pragma once

#include "platform/packed_bitmap.h"

#include <QDialog>

class QLabel;
class QPushButton;
class TLanguage;

class TImageInformationForm : public QDialog {
    Q_OBJECT

public:
    TImageInformationForm(const TLanguage& language, const BITMAPINFOHEADER& header,
                          QWidget* parent = nullptr);

    QLabel* lbBitDepth;
    QLabel* lbWidth;
    QLabel* lbHeight;
    QLabel* lbResolution;
    QLabel* lbFullSize;
    QPushButton* btOK;

private:
    void layOut(const TLanguage& language);
};
