// The operation panel at the bottom of the main window: the reference buttons and the
// settings of the chosen operation, in groups shown and hidden per operation. Every setting is
// written into the configuration record the moment its control changes.
#pragma once

#include "numeric_edit.h"
#include "settings_records.h"

#include <QWidget>

class QAction;
class QCheckBox;
class QLabel;
class QRadioButton;
class QToolButton;
class TLanguage;

// The panel's buttons stand for these actions of the main window.
struct PanelActions {
    QAction* white;
    QAction* black;
    QAction* grey;
    QAction* colour;
    QAction* light;
    QAction* dark;
    QAction* filterRegions;
};

class TOperationPanel : public QWidget {
    Q_OBJECT

public:
    TOperationPanel(const TLanguage& language, TConfigSettings& config, const PanelActions& actions,
                    QWidget* parent = nullptr);

    // Shows the groups of an operation (0..5), left to right with 8-pixel gaps.
    void LayOut(int operation);
    // Shows the stored settings in the controls.
    void ShowSettings();

    QWidget* pnlWBAuto;
    QWidget* pnlPalette;
    QWidget* pnlContrBrght;
    QWidget* pnlFilter;
    QCheckBox* chbAuto;
    QToolButton* btRefColor;
    QLabel* lbLayerRange;
    TIntEdit* edtLayerRange;
    QRadioButton* rbtColor;
    QRadioButton* rbtColorBrightness;
    QRadioButton* rbtBrightness;
    TRealEdit* edtGamma;
    QLabel* lbContrast;
    QToolButton* btRefLight;
    QToolButton* btRefDark;
    TIntEdit* edtFilterRange;
    TIntEdit* edtFilterPasses;

signals:
    // The gamma field was clicked: show or hide the gamma list.
    void gammaListToggled();

private:
    QToolButton* buttonFor(QAction* action, QWidget* parent);
    TIntEdit* rangeEdit(int min, int max, QWidget* parent);

    const TLanguage& language_;
    TConfigSettings& config_;
};
