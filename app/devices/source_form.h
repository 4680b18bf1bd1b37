// TSourceForm: the source chooser of File, Select Source. Lists every scanner SANE finds, each
// feed of a device (flatbed, document feeder...) on a line of its own, with the current source
// selected; OK or a double click chooses.
#pragma once

#include "platform/scanner.h"

#include <QDialog>

#include <vector>

class QListWidget;
class QPushButton;
class TLanguage;

class TSourceForm : public QDialog {
    Q_OBJECT

public:
    TSourceForm(const TLanguage& language, const std::vector<scanner::Source>& sources, int current,
                QWidget* parent = nullptr);

    // The position of the chosen source, -1 when none is selected.
    int chosen() const;

    // The text of a source's line: vendor, model, device name and the feed.
    static QString describe(const scanner::Source& source);

    QListWidget* lbSources;
    QPushButton* btOK;
    QPushButton* btCancel;
};
