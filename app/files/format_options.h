// The option dialogs asked before a JPEG, TIFF or PNG picture is written: quality, compression
// and interlacing, each with "Display" to stop the dialog from appearing at later saves.
#pragma once

#include "settings_records.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QRadioButton;
class TLanguage;

// The common frame: caption, the Display box and OK / Cancel from the language.
class TFormatOptions : public QDialog {
    Q_OBJECT

public:
    QCheckBox* chbDisplay;

protected:
    TFormatOptions(const TLanguage& language, int captionPosition, TLocalSettings& local,
                   QWidget* parent);
    // Lays out the dialog around the format's own control group.
    void finish(QWidget* group);
    TLocalSettings& local_;
    const TLanguage& language_;
};

class TJPEGOptions : public TFormatOptions {
    Q_OBJECT

public:
    TJPEGOptions(const TLanguage& language, TLocalSettings& local, QWidget* parent = nullptr);
    QComboBox* cmbQuality;

    // OK: the dialog's choices go into the settings.
    void accept() override;
};

class TTIFFOptions : public TFormatOptions {
    Q_OBJECT

public:
    TTIFFOptions(const TLanguage& language, TLocalSettings& local, QWidget* parent = nullptr);
    QRadioButton* rbtUncompressed;
    QRadioButton* rbtPackbits;

    // OK: the dialog's choices go into the settings.
    void accept() override;
};

class TPNGOptions : public TFormatOptions {
    Q_OBJECT

public:
    TPNGOptions(const TLanguage& language, TLocalSettings& local, QWidget* parent = nullptr);
    QRadioButton* rbtInterlaced;
    QRadioButton* rbtNoninterlaced;

    // OK: the dialog's choices go into the settings.
    void accept() override;
};
