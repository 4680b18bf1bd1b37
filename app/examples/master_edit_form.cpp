#include "master_edit_form.h"

#include "example_form_parts.h"
#include "master_edit_lines.h"
#include "numeric_edit.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>

namespace text {
constexpr const char* caption = "Edit Example";
constexpr const char* delay = "Delay";
constexpr const char* note = "Note";
constexpr const char* mouse = "Mouse position";
constexpr const char* languages = "Languages";
constexpr const char* milliseconds = "ms";
constexpr const char* x = "X:";
constexpr const char* y = "Y:";
constexpr const char* add = "Add";
constexpr const char* insert = "Insert";
constexpr const char* modify = "Modify";
constexpr const char* modifyDelay = "Modify delay";
constexpr const char* modifyNote = "Modify note";
constexpr const char* startTimer = "Start Timer";
constexpr const char* stopTimer = "Stop Timer";
constexpr const char* deleteCommands = "Delete command(s)";
constexpr const char* moveUp = "Move up";
constexpr const char* moveDown = "Move down";
constexpr const char* rename = "Rename";
constexpr const char* deleteLanguage = "Delete";
constexpr const char* ok = "OK";
constexpr const char* cancel = "Cancel";
} // namespace text

namespace {
constexpr int longestDelay = 99999;
constexpr int delayStep = 500;

TIntEdit* newIntEdit(const char* name, int min, int max, int increment, QWidget* parent) {
    auto* edit = new TIntEdit(parent);
    edit->setObjectName(name);
    edit->SetMin(min);
    edit->SetMax(max);
    edit->SetIncrement(increment);
    return edit;
}

} // namespace

TMasterEditForm::TMasterEditForm(const TShowList& example, QWidget* parent) : QDialog(parent) {
    setObjectName("MasterEditForm");
    setWindowTitle(text::caption);
    edited_.Assign(example);
    elapsed_.start();
    clock = [this] { return elapsed_.elapsed(); };
    createWidgets();
    setLayout(createLayout());
    connectWidgets();
    listLanguages();
    listCommands(-1);
}

void TMasterEditForm::createWidgets() {
    lstCommands = new QListWidget(this);
    lstCommands->setObjectName("lstCommands");
    lstCommands->setSelectionMode(QAbstractItemView::ExtendedSelection);
    speDelay = newIntEdit("speDelay", 0, longestDelay, delayStep, this);
    btAddDelay = newButton("btAddDelay", text::add, this);
    btInsertDelay = newButton("btInsertDelay", text::insert, this);
    btModifyDelay = newButton("btModifyDelay", text::modifyDelay, this);
    btTimer = newButton("btTimer", text::startTimer, this);
    memNote = new QPlainTextEdit(this);
    memNote->setObjectName("memNote");
    speNoteDelay = newIntEdit("speNoteDelay", 0, longestDelay, delayStep, this);
    btAddNote = newButton("btAddNote", text::add, this);
    btInsertNote = newButton("btInsertNote", text::insert, this);
    btModifyNote = newButton("btModifyNote", text::modifyNote, this);
    btNoteTimer = newButton("btNoteTimer", text::startTimer, this);
    btDelete = newButton("btDelete", text::deleteCommands, this);
    btMoveUp = newButton("btMoveUp", text::moveUp, this);
    btMoveDown = newButton("btMoveDown", text::moveDown, this);
    edtMouseX = newIntEdit("edtMouseX", INT_MIN, INT_MAX, 1, this);
    edtMouseY = newIntEdit("edtMouseY", INT_MIN, INT_MAX, 1, this);
    btModifyMouse = newButton("btModifyMouse", text::modify, this);
    edtLanguage = new QLineEdit(this);
    edtLanguage->setObjectName("edtLanguage");
    lstLanguage = new QListWidget(this);
    lstLanguage->setObjectName("lstLanguage");
    btAddLanguage = newButton("btAddLanguage", text::add, this);
    btRenameLanguage = newButton("btRenameLanguage", text::rename, this);
    btDeleteLanguage = newButton("btDeleteLanguage", text::deleteLanguage, this);
    btOK = newButton("btOK", text::ok, this);
    btCancel = newButton("btCancel", text::cancel, this);
    delayWatch_ = {btTimer, speDelay, std::nullopt};
    noteWatch_ = {btNoteTimer, speNoteDelay, std::nullopt};
}

QLayout* TMasterEditForm::createLayout() {
    auto* delay = new QGroupBox(text::delay, this);
    auto* delayLayout = new QVBoxLayout(delay);
    delayLayout->addLayout(inRow({speDelay, new QLabel(text::milliseconds, this), btTimer}));
    delayLayout->addLayout(inRow({btAddDelay, btInsertDelay, btModifyDelay}));

    auto* note = new QGroupBox(text::note, this);
    auto* noteLayout = new QVBoxLayout(note);
    noteLayout->addWidget(memNote);
    noteLayout->addLayout(inRow({speNoteDelay, new QLabel(text::milliseconds, this), btNoteTimer}));
    noteLayout->addLayout(inRow({btAddNote, btInsertNote, btModifyNote}));

    auto* mouse = new QGroupBox(text::mouse, this);
    mouse->setLayout(inRow({new QLabel(text::x, this), edtMouseX, new QLabel(text::y, this),
                            edtMouseY, btModifyMouse}));

    auto* languages = new QGroupBox(text::languages, this);
    auto* languageLayout = new QVBoxLayout(languages);
    languageLayout->addWidget(edtLanguage);
    languageLayout->addWidget(lstLanguage);
    languageLayout->addLayout(inRow({btAddLanguage, btRenameLanguage, btDeleteLanguage}));

    auto* commands = new QVBoxLayout;
    commands->addWidget(lstCommands);
    commands->addLayout(inRow({btDelete, btMoveUp, btMoveDown}));
    auto* edits = new QVBoxLayout;
    for (QWidget* group : {delay, note, mouse, languages}) {
        edits->addWidget(group);
    }
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(btOK, QDialogButtonBox::AcceptRole);
    buttons->addButton(btCancel, QDialogButtonBox::RejectRole);

    auto* layout = new QGridLayout;
    layout->addLayout(commands, 0, 0);
    layout->addLayout(edits, 0, 1);
    layout->addWidget(buttons, 1, 0, 1, 2);
    layout->setColumnStretch(0, 1);
    return layout;
}

void TMasterEditForm::connectWidgets() {
    connect(lstCommands, &QListWidget::itemSelectionChanged, this, [this] {
        showSelected();
        updateButtons();
    });
    connect(btAddDelay, &QPushButton::clicked, this, [this] { addDelay(-1); });
    connect(btInsertDelay, &QPushButton::clicked, this, [this] { addDelay(selectedRow()); });
    connect(btModifyDelay, &QPushButton::clicked, this, &TMasterEditForm::btModifyDelayClick);
    connect(btTimer, &QPushButton::clicked, this, [this] { toggle(delayWatch_); });
    connect(memNote, &QPlainTextEdit::textChanged, this, &TMasterEditForm::updateButtons);
    connect(btAddNote, &QPushButton::clicked, this, [this] { addNote(-1); });
    connect(btInsertNote, &QPushButton::clicked, this, [this] { addNote(selectedRow()); });
    connect(btModifyNote, &QPushButton::clicked, this, &TMasterEditForm::btModifyNoteClick);
    connect(btNoteTimer, &QPushButton::clicked, this, [this] { toggle(noteWatch_); });
    connect(btDelete, &QPushButton::clicked, this, &TMasterEditForm::btDeleteClick);
    connect(btMoveUp, &QPushButton::clicked, this, [this] { moveSelected(-1); });
    connect(btMoveDown, &QPushButton::clicked, this, [this] { moveSelected(+1); });
    connect(btModifyMouse, &QPushButton::clicked, this, &TMasterEditForm::btModifyMouseClick);
    connect(edtLanguage, &QLineEdit::textChanged, this, &TMasterEditForm::updateButtons);
    connect(lstLanguage, &QListWidget::currentRowChanged, this, &TMasterEditForm::languageSelected);
    connect(btAddLanguage, &QPushButton::clicked, this, &TMasterEditForm::btAddLanguageClick);
    connect(btRenameLanguage, &QPushButton::clicked, this, &TMasterEditForm::btRenameLanguageClick);
    connect(btDeleteLanguage, &QPushButton::clicked, this, &TMasterEditForm::btDeleteLanguageClick);
    connect(btOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
}

// An appended item is selected; an inserted one leaves the line it went before selected, so
// that further insertions follow it in the order they are made.
void TMasterEditForm::addDelay(int index) {
    const int added = edited_.AddDelay(std::uint32_t(speDelay->Value()), index);
    listCommands(index < 0 ? added : added + 1);
}

void TMasterEditForm::addNote(int index) {
    const int added =
        edited_.InsertNote(memNote->toPlainText(), std::uint32_t(speNoteDelay->Value()), index);
    if (added >= 0) {
        listCommands(index < 0 ? added : added + 1);
    }
}

void TMasterEditForm::btModifyDelayClick() {
    if (auto* delay = showItemAs<TShowDelay>(selectedItem())) {
        delay->Milliseconds = std::uint32_t(speDelay->Value());
        relistLine(selectedRow());
    }
}

void TMasterEditForm::btModifyNoteClick() {
    if (showItemAs<TNoteList>(selectedItem()) != nullptr) {
        const int row = selectedRow();
        edited_.SetNote(row, std::uint32_t(speNoteDelay->Value()), memNote->toPlainText());
        relistLine(row);
    }
}

void TMasterEditForm::btModifyMouseClick() {
    if (auto* command = showItemAs<TShowCmd>(selectedItem())) {
        command->X = edtMouseX->Value();
        command->Y = edtMouseY->Value();
        relistLine(selectedRow());
    }
}

void TMasterEditForm::btDeleteClick() {
    QList<int> rows;
    for (const QListWidgetItem* line : lstCommands->selectedItems()) {
        rows.append(lstCommands->row(line));
    }
    std::sort(rows.begin(), rows.end(), std::greater<>());
    for (int row : rows) {
        edited_.DeleteItem(row);
    }
    listCommands(-1);
}

void TMasterEditForm::moveSelected(int step) {
    const int row = selectedRow();
    const int neighbour = row + step;
    if (row < 0 || neighbour < 0 || neighbour >= edited_.Count()) {
        return;
    }
    edited_.Exchange(row, neighbour);
    listCommands(neighbour);
}

void TMasterEditForm::btAddLanguageClick() {
    edited_.AddLanguage(enteredLanguage());
    listLanguages();
}

void TMasterEditForm::btRenameLanguageClick() {
    edited_.RenameLanguage(lstLanguage->currentRow(), enteredLanguage());
    listLanguages();
}

void TMasterEditForm::btDeleteLanguageClick() {
    edited_.DeleteLanguage(lstLanguage->currentRow());
    listLanguages();
}

// The chosen language becomes current: its name goes into the field for renaming and the notes
// show their texts in it.
void TMasterEditForm::languageSelected(int row) {
    if (row >= 0) {
        edited_.SetCurrentLanguage(row);
    }
    edtLanguage->setText(edited_.Language(edited_.CurrentLanguage()));
    for (int line = 0; line < lstCommands->count(); ++line) {
        relistLine(line);
    }
    showSelected();
    updateButtons();
}

void TMasterEditForm::toggle(Stopwatch& stopwatch) {
    if (!stopwatch.started) {
        stopwatch.started = clock();
        stopwatch.button->setText(text::stopTimer);
        return;
    }
    const qint64 measured = clock() - *stopwatch.started;
    stopwatch.result->SetValue(int(std::clamp<qint64>(measured, 0, INT_MAX)));
    stopwatch.started.reset();
    stopwatch.button->setText(text::startTimer);
}

int TMasterEditForm::selectedRow() const {
    const QList<QListWidgetItem*> selected = lstCommands->selectedItems();
    return selected.size() == 1 ? lstCommands->row(selected.front()) : -1;
}

TShowItem* TMasterEditForm::selectedItem() const {
    const int row = selectedRow();
    return row >= 0 && row < edited_.Count() ? edited_.Items(row) : nullptr;
}

QString TMasterEditForm::enteredLanguage() const {
    return edtLanguage->text().trimmed();
}

void TMasterEditForm::listCommands(int selectRow) {
    {
        const QSignalBlocker blocker(lstCommands);
        lstCommands->clear();
        for (int index = 0; index < edited_.Count(); ++index) {
            lstCommands->addItem(showItemLine(edited_, index));
        }
        if (selectRow >= 0 && selectRow < lstCommands->count()) {
            lstCommands->setCurrentRow(selectRow);
            lstCommands->scrollToItem(lstCommands->item(selectRow));
        }
    }
    showSelected();
    updateButtons();
}

void TMasterEditForm::relistLine(int row) {
    lstCommands->item(row)->setText(showItemLine(edited_, row));
}

void TMasterEditForm::listLanguages() {
    {
        const QSignalBlocker blocker(lstLanguage);
        lstLanguage->clear();
        for (int index = 0; index < edited_.LanguageCount(); ++index) {
            lstLanguage->addItem(edited_.Language(index));
        }
        lstLanguage->setCurrentRow(edited_.CurrentLanguage());
    }
    languageSelected(edited_.CurrentLanguage());
}

// Selecting a line shows its values in the fields that change it.
void TMasterEditForm::showSelected() {
    const TShowItem* item = selectedItem();
    if (const auto* command = showItemAs<TShowCmd>(item)) {
        edtMouseX->SetValue(command->X);
        edtMouseY->SetValue(command->Y);
    } else if (const auto* delay = showItemAs<TShowDelay>(item)) {
        speDelay->SetValue(shownMilliseconds(delay->Milliseconds));
    } else if (showItemAs<TNoteList>(item) != nullptr) {
        const TNoteText note = edited_.GetNote(selectedRow());
        memNote->setPlainText(note.Text);
        speNoteDelay->SetValue(shownMilliseconds(note.Time));
    }
}

// Enabling: adding a delay is always possible, adding a note needs a current language and a
// text; Insert needs one selected line, Modify one selected line of its kind (and a text for a
// note); Delete needs any selected line, a move one selected line that is not at that end. A
// language name is added or given when entered and not used yet; Rename and Delete act on the
// selected language.
void TMasterEditForm::updateButtons() {
    const int row = selectedRow();
    const TShowItem* item = selectedItem();
    const bool canWriteNote = edited_.CurrentLanguage() >= 0 && !memNote->toPlainText().isEmpty();
    btInsertDelay->setEnabled(row >= 0);
    btModifyDelay->setEnabled(showItemAs<TShowDelay>(item) != nullptr);
    btAddNote->setEnabled(canWriteNote);
    btInsertNote->setEnabled(canWriteNote && row >= 0);
    btModifyNote->setEnabled(canWriteNote && showItemAs<TNoteList>(item) != nullptr);
    btDelete->setEnabled(!lstCommands->selectedItems().isEmpty());
    btMoveUp->setEnabled(row > 0);
    btMoveDown->setEnabled(row >= 0 && row + 1 < edited_.Count());
    const bool command = showItemAs<TShowCmd>(item) != nullptr;
    for (QWidget* widget : std::initializer_list<QWidget*>{edtMouseX, edtMouseY, btModifyMouse}) {
        widget->setEnabled(command);
    }
    const QString name = enteredLanguage();
    const bool newName = !name.isEmpty() && edited_.IndexOfLanguage(name) < 0;
    const bool hasLanguage = lstLanguage->currentRow() >= 0;
    btAddLanguage->setEnabled(newName);
    btRenameLanguage->setEnabled(newName && hasLanguage);
    btDeleteLanguage->setEnabled(hasLanguage);
}
