// The option dialogs asked before a JPEG, TIFF or PNG picture is written: quality, compression,
// interlacing and the smallest PNG file, each with "Display" to stop the dialog from appearing
// at later saves.
#pragma once

#include "settings_records.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QRadioButton;
class SettingsStore;
class TLanguage;

// Whether PNG files are written with the slow compression that makes them smallest (off: the
// fast one). Kept as the value "PngSmallestFile" of the settings, as the LocalSettings record
// has no room for it.
bool pngSmallestFile(const SettingsStore& store);
void setPngSmallestFile(SettingsStore& store, bool smallest);

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
    TPNGOptions(const TLanguage& language, TLocalSettings& local, SettingsStore& store,
                QWidget* parent = nullptr);
    QRadioButton* rbtInterlaced;
    QRadioButton* rbtNoninterlaced;
    QCheckBox* chbSmallest;

    // OK: the dialog's choices go into the settings.
    void accept() override;

private:
    SettingsStore& store_;
};
