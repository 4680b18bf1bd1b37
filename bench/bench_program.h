// The program's main window on a scratch settings file, made once per benchmark program: large,
// shown, without the tips, the fitting of windows to pictures and the questions at closing.
#pragma once

#include "main_window.h"
#include "settings_store.h"

#include <QApplication>
#include <QTemporaryDir>

struct BenchProgram {
    static QTemporaryDir& scratch() {
        static QTemporaryDir folder;
        return folder;
    }

    SettingsStore store{scratch().filePath("settings.ini")};
    TfrmMDIParent main{store, HUEMARK_DATA_DIR};

    BenchProgram() {
        main.Create();
        main.settings().local.DisplayTips = 0;
        main.settings().config.AdjustSize = 0;
        main.settings().config.PromptToSave = 0;
        main.resize(2400, 1600);
        main.show();
        QApplication::processEvents();
    }
};
