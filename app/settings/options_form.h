// TOptionsForm: the options window, over the persisted settings.
#pragma once

#include "language.h"
#include "numeric_edit.h"
#include "settings_records.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include <functional>

class TOptionsForm : public QDialog {
    Q_OBJECT

public:
    // `dataFolder` holds the "Language" folder and the help files; `store` receives the file
    // choices on OK.
    TOptionsForm(const TLanguage& language, PersistedSettings& settings, SettingsStore& store,
                 const QString& dataFolder, QWidget* parent = nullptr);

    // Opens a help topic (topic 3 is this window); set by the help system.
    std::function<void(int topic)> showHelp;

    QCheckBox* chbPromtToSave;
    // Whether Save asks before it replaces the file a picture was opened from.
    QCheckBox* chbAskBeforeReplacing;
    QCheckBox* chbSaveCollection;
    QCheckBox* chbAdjustSize;
    QCheckBox* chbDisplayTips;
    QCheckBox* chbDisplayJPEGOptions;
    QCheckBox* chbDisplayTIFFOptions;
    QCheckBox* chbDisplayPNGOptions;
    TIntEdit* edtProgressDelay;
    TIntEdit* edtUndoMegabytes;
    QComboBox* cmbLanguageFiles;
    QComboBox* cmbHelpFiles;
    QLabel* lbLanguage;
    QPushButton* btOK;
    QPushButton* btCancel;
    QPushButton* btHelp;

private:
    void cmbLanguageFilesChange();
    void btOKClick();

    PersistedSettings& settings_;
    SettingsStore& store_;
    QString languageFolder_;
};
