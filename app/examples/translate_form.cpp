#include "translate_form.h"

#include "example_folders.h"
#include "example_form_parts.h"
#include "example_messages.h"
#include "language.h"
#include "message_boxes.h"
#include "numeric_edit.h"
#include "select_language_form.h"
#include "stored_text.h"
#include "text_table.h"
#include "workspace_host.h"

#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>

namespace {
constexpr const char* section = "Translate Example";
constexpr const char* noteLineFormat = "%d) %d ms, %s";
constexpr int timeStep = 500;

// The positions of the window's texts in its language section.
namespace position {
enum : int {
    Caption = 0,
    CaptionFile = 1,
    Open = 2,
    Save = 3,
    SaveAs = 4,
    Notes = 5,
    FirstLanguage = 6,
    SecondLanguage = 7,
    DisplayTime = 8,
    SecondTime = 9,
    Modify = 10,
    Languages = 11,
    Add = 12,
    Rename = 13,
    Delete = 14,
    Copy = 15,
    CopyHint = 16,
    AddFromExample = 17,
    AddFromExampleHint = 18,
    NoNotes = 19,
    SaveQuestion = 20,
    Close = 21,
    ExampleFiles = 23,
    LanguageTakenOver = 24,
};
} // namespace position

std::vector<int> noteItemsOf(const TShowList& example) {
    std::vector<int> notes;
    for (int item = 0; item < example.Count(); ++item) {
        if (showItemAs<TNoteList>(example.Items(item)) != nullptr) {
            notes.push_back(item);
        }
    }
    return notes;
}

// A note's entry in one language; none when the item is no note or lacks that language.
const TNoteItem* entryOf(const TShowList& example, int item, int language) {
    const auto* note = showItemAs<TNoteList>(example.Items(item));
    if (note == nullptr || language < 0 || std::size_t(language) >= note->Entries.size()) {
        return nullptr;
    }
    return &note->Entries[language];
}

TNoteItem entryOrEmpty(const TShowList& example, int item, int language) {
    const TNoteItem* entry = entryOf(example, item, language);
    return entry != nullptr ? *entry : TNoteItem{};
}

// Writes one language's entry of a note without touching the example's current language.
void writeEntry(TShowList& example, int item, int language, const TNoteItem& entry) {
    auto* note = showItemAs<TNoteList>(example.Items(item));
    if (note == nullptr || language < 0 || language >= example.LanguageCount()) {
        return;
    }
    if (note->Entries.size() < std::size_t(example.LanguageCount())) {
        note->Entries.resize(example.LanguageCount());
    }
    note->Entries[language] = entry;
}

// Where a language chosen in a list stands once language `deleted` is gone; the deleted one's
// place goes to the first language.
int afterDeletion(int index, int deleted) {
    if (index == deleted) {
        return 0;
    }
    return index > deleted ? index - 1 : index;
}

// The language at `index`, or the first one when there is none there.
void selectLanguage(QComboBox* list, int index) {
    if (index < 0 || index >= list->count()) {
        index = list->count() > 0 ? 0 : -1;
    }
    list->setCurrentIndex(index);
}

} // namespace

TTranslateExampleForm::TTranslateExampleForm(WorkspaceHost& host, QWidget* parent)
    : QDialog(parent), host_(host) {
    setObjectName("TranslateExampleForm");
    setModal(true);
    createWidgets();
    setLayout(createLayout());
    const QString filter = text(position::ExampleFiles) + " (*.shw)";
    chooseFile = [this, filter](bool save, const QString& folder) {
        return save ? QFileDialog::getSaveFileName(this, QString(), folder, filter)
                    : QFileDialog::getOpenFileName(this, QString(), folder, filter);
    };
    chooseLanguage = [this](const QStringList& names, int current) {
        return chooseExampleLanguage(this, host_.language(), names, current);
    };
    connectWidgets();
    listLanguages({});
    updateCaption();
}

QString TTranslateExampleForm::text(int n) const {
    return host_.language().Text(section, n);
}

void TTranslateExampleForm::createWidgets() {
    btOpen = newButton("btOpen", text(position::Open), this);
    btSave = newButton("btSave", text(position::Save), this);
    btSaveAs = newButton("btSaveAs", text(position::SaveAs), this);
    lstNotes = new QListWidget(this);
    lstNotes->setObjectName("lstNotes");
    btCopy = newButton("btCopy", text(position::Copy), this);
    btCopy->setToolTip(text(position::CopyHint));
    cmbFirstLanguage = new QComboBox(this);
    cmbFirstLanguage->setObjectName("cmbFirstLanguage");
    memFirstLanguage = new QPlainTextEdit(this);
    memFirstLanguage->setObjectName("memFirstLanguage");
    memFirstLanguage->setReadOnly(true);
    lbDisplayTime1 = new QLabel(this);
    lbDisplayTime1->setObjectName("lbDisplayTime1");
    cmbSecondLanguage = new QComboBox(this);
    cmbSecondLanguage->setObjectName("cmbSecondLanguage");
    memSecondLanguage = new QPlainTextEdit(this);
    memSecondLanguage->setObjectName("memSecondLanguage");
    edtSecondTime = new TIntEdit(this);
    edtSecondTime->setObjectName("edtSecondTime");
    edtSecondTime->SetMin(0);
    edtSecondTime->SetMax(INT_MAX);
    edtSecondTime->SetIncrement(timeStep);
    btModifySecond = newButton("btModifySecond", text(position::Modify), this);
    edtLanguage = new QLineEdit(this);
    edtLanguage->setObjectName("edtLanguage");
    lstLanguage = new QListWidget(this);
    lstLanguage->setObjectName("lstLanguage");
    btAddLanguage = newButton("btAddLanguage", text(position::Add), this);
    btRenameLanguage = newButton("btRenameLanguage", text(position::Rename), this);
    btDeleteLanguage = newButton("btDeleteLanguage", text(position::Delete), this);
    btAddFromFile = newButton("btAddFromFile", text(position::AddFromExample), this);
    btAddFromFile->setToolTip(text(position::AddFromExampleHint));
    btClose = newButton("btClose", text(position::Close), this);
}

QLayout* TTranslateExampleForm::createLayout() {
    auto* notes = new QGroupBox(text(position::Notes), this);
    auto* notesLayout = new QVBoxLayout(notes);
    notesLayout->addWidget(lstNotes);
    notesLayout->addLayout(inRow({btCopy}));

    auto* first = new QGroupBox(text(position::FirstLanguage), this);
    auto* firstLayout = new QVBoxLayout(first);
    firstLayout->addWidget(cmbFirstLanguage);
    firstLayout->addWidget(memFirstLanguage);
    firstLayout->addWidget(lbDisplayTime1);

    auto* second = new QGroupBox(text(position::SecondLanguage), this);
    auto* secondLayout = new QVBoxLayout(second);
    secondLayout->addWidget(cmbSecondLanguage);
    secondLayout->addWidget(memSecondLanguage);
    secondLayout->addLayout(
        inRow({new QLabel(text(position::SecondTime), this), edtSecondTime, btModifySecond}));

    auto* languages = new QGroupBox(text(position::Languages), this);
    auto* languageLayout = new QVBoxLayout(languages);
    languageLayout->addWidget(edtLanguage);
    languageLayout->addWidget(lstLanguage);
    languageLayout->addLayout(inRow({btAddLanguage, btRenameLanguage, btDeleteLanguage}));
    languageLayout->addWidget(btAddFromFile);

    auto* files = inRow({btOpen, btSave, btSaveAs});
    files->addStretch();
    auto* texts = new QHBoxLayout;
    texts->addWidget(first);
    texts->addWidget(second);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(btClose, QDialogButtonBox::RejectRole);

    auto* layout = new QGridLayout;
    layout->addLayout(files, 0, 0, 1, 2);
    layout->addWidget(notes, 1, 0);
    layout->addWidget(languages, 1, 1);
    layout->addLayout(texts, 2, 0, 1, 2);
    layout->addWidget(buttons, 3, 0, 1, 2);
    layout->setColumnStretch(0, 1);
    return layout;
}

void TTranslateExampleForm::connectWidgets() {
    connect(btOpen, &QPushButton::clicked, this, &TTranslateExampleForm::btOpenClick);
    connect(btSave, &QPushButton::clicked, this, &TTranslateExampleForm::btSaveClick);
    connect(btSaveAs, &QPushButton::clicked, this, &TTranslateExampleForm::btSaveAsClick);
    connect(lstNotes, &QListWidget::currentRowChanged, this, [this] {
        showSelectedNote();
        updateButtons();
    });
    connect(btCopy, &QPushButton::clicked, this, &TTranslateExampleForm::btCopyClick);
    connect(cmbFirstLanguage, &QComboBox::currentIndexChanged, this,
            [this] { listNotes(selectedNote()); });
    connect(cmbSecondLanguage, &QComboBox::currentIndexChanged, this, [this] {
        showSelectedNote();
        updateButtons();
    });
    connect(btModifySecond, &QPushButton::clicked, this,
            &TTranslateExampleForm::btModifySecondClick);
    connect(edtLanguage, &QLineEdit::textChanged, this, &TTranslateExampleForm::updateButtons);
    connect(lstLanguage, &QListWidget::currentRowChanged, this,
            &TTranslateExampleForm::updateButtons);
    connect(btAddLanguage, &QPushButton::clicked, this, &TTranslateExampleForm::btAddLanguageClick);
    connect(btRenameLanguage, &QPushButton::clicked, this,
            &TTranslateExampleForm::btRenameLanguageClick);
    connect(btDeleteLanguage, &QPushButton::clicked, this,
            &TTranslateExampleForm::btDeleteLanguageClick);
    connect(btAddFromFile, &QPushButton::clicked, this, &TTranslateExampleForm::btAddFromFileClick);
    connect(btClose, &QPushButton::clicked, this, &TTranslateExampleForm::reject);
}

// A failed load leaves the example (and the window) as it was; an example without notes stays
// loaded, its languages can still be managed.
void TTranslateExampleForm::btOpenClick() {
    if (!maySetAside()) {
        return;
    }
    const QString path = chooseFile(false, imagesFolder());
    if (path.isEmpty()) {
        return;
    }
    const TShowLoadResult result = example_.LoadFromFile(path);
    if (result != TShowLoadResult::Loaded) {
        host_.errorBox(exampleLoadMessage(result), {path});
        return;
    }
    noteItems_ = noteItemsOf(example_);
    modified_ = false;
    listLanguages({0, 0, 0});
    listNotes(0);
    updateCaption();
    if (noteItems_.empty()) {
        host_.warningText(text(position::NoNotes));
    }
}

// The installed examples cannot be written where they are: their translation is saved as a
// new file in the user's own folder.
bool TTranslateExampleForm::btSaveClick() {
    const QString current = example_.FileName();
    if (current.isEmpty()) {
        return btSaveAsClick();
    }
    if (!exampleWritable(current)) {
        return saveAs(userFolder());
    }
    return saveTo(current);
}

bool TTranslateExampleForm::btSaveAsClick() {
    return saveAs(imagesFolder());
}

bool TTranslateExampleForm::saveAs(const QString& folder) {
    const QString path = chooseFile(true, folder);
    return !path.isEmpty() && saveTo(withExampleSuffix(path));
}

bool TTranslateExampleForm::saveTo(const QString& path) {
    if (!example_.SaveToFile(path)) {
        host_.errorBox(common_text::ExampleSaveFailed, {path});
        return false;
    }
    modified_ = false;
    updateCaption();
    updateButtons();
    return true;
}

void TTranslateExampleForm::btModifySecondClick() {
    const int note = selectedNote();
    const int language = cmbSecondLanguage->currentIndex();
    if (note < 0 || language < 0) {
        return;
    }
    writeEntry(
        example_, noteItems_[note], language,
        {std::uint32_t(edtSecondTime->Value()), storedTextOf(memSecondLanguage->toPlainText())});
    setModified();
    listNotes(note);
}

// A name the example has already changes nothing, yet counts as a change of the example.
void TTranslateExampleForm::btAddLanguageClick() {
    const QString name = enteredLanguage();
    LanguageChoice choice = currentChoice();
    example_.AddLanguage(name);
    choice.listed = example_.IndexOfLanguage(name);
    setModified();
    listLanguages(choice);
}

void TTranslateExampleForm::btRenameLanguageClick() {
    if (example_.RenameLanguage(lstLanguage->currentRow(), enteredLanguage())) {
        setModified();
        listLanguages(currentChoice());
    }
}

void TTranslateExampleForm::btDeleteLanguageClick() {
    const int deleted = lstLanguage->currentRow();
    if (deleted < 0) {
        return;
    }
    const LanguageChoice before = currentChoice();
    example_.DeleteLanguage(deleted);
    setModified();
    listLanguages({afterDeletion(before.first, deleted), afterDeletion(before.second, deleted),
                   afterDeletion(before.listed, deleted)});
}

void TTranslateExampleForm::btCopyClick() {
    QString lines;
    for (int row = 0; row < lstNotes->count(); ++row) {
        lines += lstNotes->item(row)->text() + '\n';
    }
    QGuiApplication::clipboard()->setText(lines);
}

// Only a recording of the same example can give its notes: one with as many notes.
void TTranslateExampleForm::btAddFromFileClick() {
    const QString path = chooseFile(false, imagesFolder());
    if (path.isEmpty()) {
        return;
    }
    TShowList other;
    const TShowLoadResult result = other.LoadFromFile(path);
    if (result != TShowLoadResult::Loaded) {
        host_.errorBox(exampleLoadMessage(result), {path});
        return;
    }
    if (noteItemsOf(other).size() != noteItems_.size() || other.LanguageCount() == 0) {
        return;
    }
    QStringList names;
    for (int index = 0; index < other.LanguageCount(); ++index) {
        names << other.Language(index);
    }
    const int chosen = chooseLanguage(names, 0);
    if (chosen >= 0 && chosen < other.LanguageCount()) {
        takeOver(other, chosen);
    }
}

// The language keeps its name here. A language of that name that the example has already
// receives the notes, after the author agreed to lose its own; otherwise it is added. It is
// shown as the second language.
void TTranslateExampleForm::takeOver(const TShowList& other, int language) {
    const QString name = other.Language(language);
    int target = example_.IndexOfLanguage(name);
    if (target >= 0) {
        const MessageTexts question(host_.applicationTitle(),
                                    formatText(text(position::LanguageTakenOver), {name}),
                                    host_.language().Text("Common", common_text::Yes),
                                    host_.language().Text("Common", common_text::No));
        if (showMessage(this, MessageKind::Question, question) != MessageAnswer::Yes) {
            return;
        }
    }
    LanguageChoice choice = currentChoice();
    if (target < 0) {
        example_.AddLanguage(name);
        target = example_.LanguageCount() - 1;
    }
    const std::vector<int> otherNotes = noteItemsOf(other);
    for (std::size_t note = 0; note < noteItems_.size(); ++note) {
        writeEntry(example_, noteItems_[note], target,
                   entryOrEmpty(other, otherNotes[note], language));
    }
    choice.second = target;
    setModified();
    listLanguages(choice);
}

bool TTranslateExampleForm::maySetAside() {
    if (!modified_) {
        return true;
    }
    const TLanguage& language = host_.language();
    const MessageTexts question(host_.applicationTitle(), text(position::SaveQuestion),
                                language.Text("Common", common_text::Yes),
                                language.Text("Common", common_text::No),
                                language.Text("Common", common_text::Cancel));
    switch (showMessage(this, MessageKind::QuestionWithCancel, question)) {
    case MessageAnswer::Yes:
        return btSaveClick();
    case MessageAnswer::No:
        return true;
    default:
        return false;
    }
}

void TTranslateExampleForm::reject() {
    if (maySetAside()) {
        QDialog::reject();
    }
}

QString TTranslateExampleForm::imagesFolder() const {
    return QDir(host_.dataFolder()).filePath("Images");
}

QString TTranslateExampleForm::userFolder() const {
    return userExamplesFolder();
}

void TTranslateExampleForm::setModified() {
    modified_ = true;
    updateButtons();
}

TTranslateExampleForm::LanguageChoice TTranslateExampleForm::currentChoice() const {
    return {cmbFirstLanguage->currentIndex(), cmbSecondLanguage->currentIndex(),
            lstLanguage->currentRow()};
}

// Fills the three language lists anew; a choice outside the languages falls back to the first
// language.
void TTranslateExampleForm::listLanguages(const LanguageChoice& choice) {
    QStringList names;
    for (int index = 0; index < example_.LanguageCount(); ++index) {
        names << example_.Language(index);
    }
    {
        const QSignalBlocker blockFirst(cmbFirstLanguage);
        const QSignalBlocker blockSecond(cmbSecondLanguage);
        const QSignalBlocker blockList(lstLanguage);
        cmbFirstLanguage->clear();
        cmbFirstLanguage->addItems(names);
        selectLanguage(cmbFirstLanguage, choice.first);
        cmbSecondLanguage->clear();
        cmbSecondLanguage->addItems(names);
        selectLanguage(cmbSecondLanguage, choice.second);
        lstLanguage->clear();
        lstLanguage->addItems(names);
        lstLanguage->setCurrentRow(cmbFirstLanguage->count() == 0 ? -1 : choice.listed);
    }
    listNotes(selectedNote());
}

// Each note's line shows its first-language entry.
void TTranslateExampleForm::listNotes(int selectRow) {
    const int language = cmbFirstLanguage->currentIndex();
    {
        const QSignalBlocker blocker(lstNotes);
        lstNotes->clear();
        for (std::size_t note = 0; note < noteItems_.size(); ++note) {
            const TNoteItem entry = entryOrEmpty(example_, noteItems_[note], language);
            lstNotes->addItem(
                formatText(noteLineFormat, {QString::number(note + 1), QString::number(entry.Time),
                                            displayTextOf(entry.Text)}));
        }
        if (selectRow >= 0 && selectRow < lstNotes->count()) {
            lstNotes->setCurrentRow(selectRow);
        }
    }
    showSelectedNote();
    updateButtons();
}

void TTranslateExampleForm::showSelectedNote() {
    const int note = selectedNote();
    if (note < 0) {
        memFirstLanguage->clear();
        lbDisplayTime1->clear();
        memSecondLanguage->clear();
        edtSecondTime->SetValue(0);
        return;
    }
    const int item = noteItems_[note];
    const TNoteItem first = entryOrEmpty(example_, item, cmbFirstLanguage->currentIndex());
    memFirstLanguage->setPlainText(displayTextOf(first.Text));
    lbDisplayTime1->setText(formatText(text(position::DisplayTime), {QString::number(first.Time)}));
    const TNoteItem second = entryOrEmpty(example_, item, cmbSecondLanguage->currentIndex());
    memSecondLanguage->setPlainText(displayTextOf(second.Text));
    edtSecondTime->SetValue(shownMilliseconds(second.Time));
}

void TTranslateExampleForm::updateCaption() {
    const QString file = example_.FileName();
    setWindowTitle(file.isEmpty()
                       ? text(position::Caption)
                       : formatText(text(position::CaptionFile), {QFileInfo(file).fileName()}));
}

// Enabling: Save needs a loaded, changed example, Save as a loaded one. Copy and Add from
// example need notes. The second language's text, time and Modify need a selected note and a
// second language. Add needs a loaded example and an entered name (a name the example has is
// allowed and changes nothing); Rename needs a selected language and an entered name no other
// language has; Delete a selected language.
void TTranslateExampleForm::updateButtons() {
    const bool loaded = !example_.FileName().isEmpty();
    const bool hasNotes = !noteItems_.empty();
    const bool editsSecond = selectedNote() >= 0 && cmbSecondLanguage->currentIndex() >= 0;
    const int listed = lstLanguage->currentRow();
    const QString name = enteredLanguage();
    const int holder = example_.IndexOfLanguage(name);
    btSave->setEnabled(loaded && modified_);
    btSaveAs->setEnabled(loaded);
    btCopy->setEnabled(hasNotes);
    btAddFromFile->setEnabled(hasNotes);
    for (QWidget* widget :
         std::initializer_list<QWidget*>{memSecondLanguage, edtSecondTime, btModifySecond}) {
        widget->setEnabled(editsSecond);
    }
    btAddLanguage->setEnabled(loaded && !name.isEmpty());
    btRenameLanguage->setEnabled(listed >= 0 && !name.isEmpty() &&
                                 (holder < 0 || holder == listed));
    btDeleteLanguage->setEnabled(listed >= 0);
}

int TTranslateExampleForm::selectedNote() const {
    const int row = lstNotes->currentRow();
    return row >= 0 && row < int(noteItems_.size()) ? row : -1;
}

QString TTranslateExampleForm::enteredLanguage() const {
    return edtLanguage->text().trimmed();
}
