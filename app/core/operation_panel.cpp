#include "operation_panel.h"

#include "language.h"
#include "panel_glyphs.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QToolButton>

namespace {
const QString section = "Bottom Toolbar";

QWidget* group(QWidget* parent) {
    auto* frame = new QWidget(parent);
    auto* layout = new QHBoxLayout(frame);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    return frame;
}

void add(QWidget* frame, QWidget* control) {
    frame->layout()->addWidget(control);
}
} // namespace

TOperationPanel::TOperationPanel(const TLanguage& language, TConfigSettings& config,
                                 const PanelActions& actions, QWidget* parent)
    : QWidget(parent), pnlWBAuto(group(this)), pnlPalette(group(this)), pnlContrBrght(group(this)),
      pnlFilter(group(this)), chbAuto(new QCheckBox(language.Text(section, 3), pnlWBAuto)),
      btRefColor(buttonFor(actions.colour, pnlPalette)),
      lbLayerRange(new QLabel(language.Text(section, 20), pnlPalette)),
      edtLayerRange(rangeEdit(-99, 100, pnlPalette)),
      rbtColor(new QRadioButton(language.Text(section, 12), pnlPalette)),
      rbtColorBrightness(new QRadioButton(language.Text(section, 13), pnlPalette)),
      rbtBrightness(new QRadioButton(language.Text(section, 14), pnlPalette)),
      edtGamma(new TRealEdit(pnlContrBrght)),
      lbContrast(new QLabel(language.Text(section, 17), pnlContrBrght)),
      btRefLight(buttonFor(actions.light, pnlContrBrght)),
      btRefDark(buttonFor(actions.dark, pnlContrBrght)),
      edtFilterRange(rangeEdit(-99, 100, pnlFilter)), edtFilterPasses(rangeEdit(1, 10, pnlFilter)),
      language_(language), config_(config) {
    setObjectName("BottomPanel");
    add(pnlWBAuto, buttonFor(actions.white, pnlWBAuto));
    add(pnlWBAuto, buttonFor(actions.black, pnlWBAuto));
    add(pnlWBAuto, chbAuto);
    add(pnlWBAuto, buttonFor(actions.grey, pnlWBAuto));
    chbAuto->setToolTip(language.Text(section, 2));
    add(pnlPalette, btRefColor);
    add(pnlPalette, lbLayerRange);
    add(pnlPalette, edtLayerRange);
    edtLayerRange->setToolTip(language.Text(section, 9));
    auto* modes = new QButtonGroup(this);
    for (QRadioButton* button : {rbtColor, rbtColorBrightness, rbtBrightness}) {
        modes->addButton(button, modes->buttons().size());
        add(pnlPalette, button);
    }
    auto* gammaLabel = new QLabel(language.Text(section, 16), pnlContrBrght);
    add(pnlContrBrght, gammaLabel);
    add(pnlContrBrght, edtGamma);
    edtGamma->SetMin(0.01L);
    edtGamma->SetMax(9.99L);
    edtGamma->SetIncrement(0.1L);
    edtGamma->SetAfterPoint(2);
    edtGamma->SetValue(1.0L);
    edtGamma->setFixedWidth(72);
    add(pnlContrBrght, lbContrast);
    add(pnlContrBrght, btRefLight);
    add(pnlContrBrght, btRefDark);
    add(pnlFilter, buttonFor(actions.filterRegions, pnlFilter));
    add(pnlFilter, new QLabel(language.Text(section, 20), pnlFilter));
    add(pnlFilter, edtFilterRange);
    add(pnlFilter, new QLabel(language.Text(section, 21), pnlFilter));
    add(pnlFilter, edtFilterPasses);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(8);
    for (QWidget* frame : {pnlWBAuto, pnlPalette, pnlContrBrght, pnlFilter}) {
        layout->addWidget(frame);
    }
    layout->addStretch(1);
    ShowSettings();

    connect(chbAuto, &QCheckBox::toggled, this, [this](bool on) { config_.Auto = on; });
    connect(modes, &QButtonGroup::idClicked, this,
            [this](int mode) { config_.ColourMode = static_cast<std::uint8_t>(mode); });
    connect(edtLayerRange, &TNumericEditBase::valueChanged, this,
            [this] { config_.LayerRange = edtLayerRange->Value(); });
    connect(edtFilterRange, &TNumericEditBase::valueChanged, this,
            [this] { config_.FilterRange = edtFilterRange->Value(); });
    connect(edtFilterPasses, &TNumericEditBase::valueChanged, this,
            [this] { config_.FilterPasses = edtFilterPasses->Value(); });
    connect(edtGamma, &TNumericEditBase::clickEdit, this, &TOperationPanel::gammaListToggled);
}

QToolButton* TOperationPanel::buttonFor(QAction* action, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setDefaultAction(action);
    button->setAutoRaise(true);
    return button;
}

TIntEdit* TOperationPanel::rangeEdit(int min, int max, QWidget* parent) {
    auto* edit = new TIntEdit(parent);
    edit->SetMin(min);
    edit->SetMax(max);
    edit->SetIncrement(1);
    edit->setFixedWidth(64);
    return edit;
}

void TOperationPanel::ShowSettings() {
    const QSignalBlocker quiet(chbAuto);
    chbAuto->setChecked(config_.Auto != 0);
    (config_.ColourMode == 1   ? rbtColorBrightness
     : config_.ColourMode == 2 ? rbtBrightness
                               : rbtColor)
        ->setChecked(true);
    edtLayerRange->SetValue(config_.LayerRange);
    edtFilterRange->SetValue(config_.FilterRange);
    edtFilterPasses->SetValue(config_.FilterPasses);
}

void TOperationPanel::LayOut(int operation) {
    const bool correction = operation <= 1;
    pnlWBAuto->setVisible(correction);
    pnlPalette->setVisible(operation <= 4);
    pnlContrBrght->setVisible(correction);
    pnlFilter->setVisible(operation == 5);
    const bool layer = operation >= 1 && operation <= 4;
    lbLayerRange->setVisible(layer);
    edtLayerRange->setVisible(layer);
    for (QRadioButton* button : {rbtColor, rbtColorBrightness, rbtBrightness}) {
        button->setVisible(correction);
    }
    QAction* colour = btRefColor->defaultAction();
    colour->setToolTip(language_.Text(section, operation == 0 ? 5 : operation == 1 ? 6 : 7));
    colour->setIcon(panelGlyph(operation == 0   ? PanelGlyph::RefColour
                               : operation == 1 ? PanelGlyph::RefColourLayer
                                                : PanelGlyph::Layer));
}
