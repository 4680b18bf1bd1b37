#include "options_form.h"

#include "text_table.h"

#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {

const QString section = "Options";

// The most memory the undo steps of one picture may take, in megabytes (64 GB).
constexpr int maxUndoMegabytes = 65536;

// A number field with its label before it, the rest of the row empty.
QHBoxLayout* labelledRow(QLabel* label, QWidget* field) {
    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(field);
    row->addStretch();
    return row;
}

// Fills a list with the file names matching `pattern` in `folder` and selects `wanted` (any
// case), or else the first.
void listFiles(QComboBox* list, const QString& folder, const QString& pattern,
               const QString& wanted) {
    const QStringList files =
        QDir(folder).entryList({pattern}, QDir::Files, QDir::Name | QDir::IgnoreCase);
    list->addItems(files);
    const int index = list->findText(wanted, Qt::MatchFixedString);
    list->setCurrentIndex(index >= 0 ? index : (files.isEmpty() ? -1 : 0));
}

} // namespace

TOptionsForm::TOptionsForm(const TLanguage& language, PersistedSettings& settings,
                           SettingsStore& store, const QString& dataFolder, QWidget* parent)
    : QDialog(parent), chbPromtToSave(new QCheckBox(this)),
      chbAskBeforeReplacing(new QCheckBox(this)), chbSaveCollection(new QCheckBox(this)),
      chbAdjustSize(new QCheckBox(this)), chbDisplayTips(new QCheckBox(this)),
      chbDisplayJPEGOptions(new QCheckBox(this)), chbDisplayTIFFOptions(new QCheckBox(this)),
      chbDisplayPNGOptions(new QCheckBox(this)), edtProgressDelay(new TIntEdit(this)),
      edtUndoMegabytes(new TIntEdit(this)), cmbLanguageFiles(new QComboBox(this)),
      cmbHelpFiles(new QComboBox(this)), lbLanguage(new QLabel(this)),
      btOK(new QPushButton("OK", this)), btCancel(new QPushButton(this)),
      btHelp(new QPushButton(this)), settings_(settings), store_(store),
      languageFolder_(QDir(dataFolder).filePath("Language")) {
    setWindowTitle(language.Text(section, 0));
    chbPromtToSave->setText(language.Text(section, 1));
    chbAskBeforeReplacing->setText(language.Text(section, 15));
    chbSaveCollection->setText(language.Text(section, 2));
    chbAdjustSize->setText(language.Text(section, 3));
    chbDisplayTips->setText(language.Text(section, 4));
    auto* lbDelay = new QLabel(language.Text(section, 5), this);
    auto* grbLanguage = new QGroupBox(language.Text(section, 6), this);
    auto* lbLanguageFile = new QLabel(language.Text(section, 7), grbLanguage);
    auto* lbNote1 = new QLabel(language.Text(section, 8), grbLanguage);
    auto* lbNote2 = new QLabel(language.Text(section, 9), grbLanguage);
    chbDisplayJPEGOptions->setText(language.Text(section, 10));
    chbDisplayTIFFOptions->setText(language.Text(section, 11));
    chbDisplayPNGOptions->setText(language.Text(section, 12));
    auto* lbHelpFile = new QLabel(language.Text(section, 13), grbLanguage);
    auto* lbUndoMegabytes = new QLabel(language.Text(section, 14), this);
    btCancel->setText(language.Text("Common", common_text::Cancel));
    btHelp->setText(language.Text("Common", common_text::Help));

    const TConfigSettings& config = settings.config;
    const TLocalSettings& local = settings.local;
    chbPromtToSave->setChecked(config.PromptToSave != 0);
    chbAskBeforeReplacing->setChecked(settings.askBeforeReplacingOriginals);
    chbSaveCollection->setChecked(config.SaveCollection != 0);
    chbAdjustSize->setChecked(config.AdjustSize != 0);
    chbDisplayTips->setChecked(local.DisplayTips != 0);
    chbDisplayJPEGOptions->setChecked(local.DisplayJPEGOptions != 0);
    chbDisplayTIFFOptions->setChecked(local.DisplayTIFFOptions != 0);
    chbDisplayPNGOptions->setChecked(local.DisplayPNGOptions != 0);
    edtProgressDelay->SetMin(0);
    edtProgressDelay->SetMax(59);
    edtProgressDelay->SetValue(config.ProgressDelay);
    edtProgressDelay->setToolTip("0..59");
    edtUndoMegabytes->SetMin(0);
    edtUndoMegabytes->SetMax(maxUndoMegabytes);
    edtUndoMegabytes->SetValue(settings.undoMegabytes);
    edtUndoMegabytes->setToolTip(QString("0..%1").arg(maxUndoMegabytes));

    const QString languageFile = settings.languageFileName.isEmpty()
                                     ? TLanguage::DefaultLanguageFileName()
                                     : settings.languageFileName;
    const QString helpFile =
        settings.helpFileName.isEmpty() ? TLanguage::DefaultHelpFileName() : settings.helpFileName;
    listFiles(cmbLanguageFiles, languageFolder_, "*.ini", languageFile);
    listFiles(cmbHelpFiles, dataFolder, "*.hlp", helpFile);
    cmbLanguageFilesChange();

    auto* languageLayout = new QFormLayout(grbLanguage);
    languageLayout->addRow(lbLanguageFile, cmbLanguageFiles);
    languageLayout->addRow(QString(), lbLanguage);
    languageLayout->addRow(lbHelpFile, cmbHelpFiles);
    languageLayout->addRow(lbNote1);
    languageLayout->addRow(lbNote2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btOK);
    buttons->addWidget(btCancel);
    buttons->addWidget(btHelp);
    auto* layout = new QVBoxLayout(this);
    for (QWidget* box : std::initializer_list<QWidget*>{
             chbPromtToSave, chbAskBeforeReplacing, chbSaveCollection, chbAdjustSize,
             chbDisplayTips, chbDisplayJPEGOptions, chbDisplayTIFFOptions, chbDisplayPNGOptions}) {
        layout->addWidget(box);
    }
    layout->addLayout(labelledRow(lbDelay, edtProgressDelay));
    layout->addLayout(labelledRow(lbUndoMegabytes, edtUndoMegabytes));
    layout->addWidget(grbLanguage);
    layout->addLayout(buttons);

    connect(cmbLanguageFiles, &QComboBox::currentIndexChanged, this,
            &TOptionsForm::cmbLanguageFilesChange);
    // The delay is taken at once, whatever button closes the window.
    connect(edtProgressDelay, &TIntEdit::valueChanged, this,
            [this] { settings_.config.ProgressDelay = edtProgressDelay->Value(); });
    connect(btOK, &QPushButton::clicked, this, &TOptionsForm::btOKClick);
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btHelp, &QPushButton::clicked, this, [this] {
        if (showHelp) {
            showHelp(3);
        }
    });
}

void TOptionsForm::cmbLanguageFilesChange() {
    const QString file = cmbLanguageFiles->currentText();
    lbLanguage->setText(
        file.isEmpty() ? QString() : TLanguage::DisplayName(QDir(languageFolder_).filePath(file)));
}

void TOptionsForm::btOKClick() {
    settings_.config.PromptToSave = chbPromtToSave->isChecked();
    settings_.askBeforeReplacingOriginals = chbAskBeforeReplacing->isChecked();
    settings_.config.SaveCollection = chbSaveCollection->isChecked();
    settings_.config.AdjustSize = chbAdjustSize->isChecked();
    settings_.local.DisplayTips = chbDisplayTips->isChecked();
    settings_.local.DisplayJPEGOptions = chbDisplayJPEGOptions->isChecked();
    settings_.local.DisplayTIFFOptions = chbDisplayTIFFOptions->isChecked();
    settings_.local.DisplayPNGOptions = chbDisplayPNGOptions->isChecked();
    settings_.undoMegabytes = edtUndoMegabytes->Value();
    if (!cmbLanguageFiles->currentText().isEmpty()) {
        settings_.languageFileName = cmbLanguageFiles->currentText();
    }
    if (!cmbHelpFiles->currentText().isEmpty()) {
        settings_.helpFileName = cmbHelpFiles->currentText();
    }
    settings_.saveFileChoices(store_);
    accept();
}
