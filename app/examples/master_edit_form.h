// TMasterEditForm ("Edit Example"): edits a copy of an example's item list. Delays and notes
// are added, inserted or changed, lines deleted or moved, the points of mouse commands
// corrected, and languages added, renamed or deleted. Two stopwatches measure a pause or a
// note's reading time. The caller takes Edited() back when the form was accepted.
#pragma once

#include "show_list.h"

#include <QDialog>
#include <QElapsedTimer>

#include <functional>
#include <optional>

class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class TIntEdit;

class TMasterEditForm : public QDialog {
    Q_OBJECT

public:
    TMasterEditForm(const TShowList& example, QWidget* parent = nullptr);

    const TShowList& Edited() const { return edited_; }

    // Milliseconds since some fixed start; the stopwatches read it. Tests put their own.
    std::function<qint64()> clock;

    QListWidget* lstCommands = nullptr;
    TIntEdit* speDelay = nullptr;
    QPushButton* btAddDelay = nullptr;
    QPushButton* btInsertDelay = nullptr;
    QPushButton* btModifyDelay = nullptr;
    QPushButton* btTimer = nullptr;
    QPlainTextEdit* memNote = nullptr;
    TIntEdit* speNoteDelay = nullptr;
    QPushButton* btAddNote = nullptr;
    QPushButton* btInsertNote = nullptr;
    QPushButton* btModifyNote = nullptr;
    QPushButton* btNoteTimer = nullptr;
    QPushButton* btDelete = nullptr;
    QPushButton* btMoveUp = nullptr;
    QPushButton* btMoveDown = nullptr;
    TIntEdit* edtMouseX = nullptr;
    TIntEdit* edtMouseY = nullptr;
    QPushButton* btModifyMouse = nullptr;
    QLineEdit* edtLanguage = nullptr;
    QListWidget* lstLanguage = nullptr;
    QPushButton* btAddLanguage = nullptr;
    QPushButton* btRenameLanguage = nullptr;
    QPushButton* btDeleteLanguage = nullptr;
    QPushButton* btOK = nullptr;
    QPushButton* btCancel = nullptr;

private:
    // A timer button and the field that receives the time it measured.
    struct Stopwatch {
        QPushButton* button = nullptr;
        TIntEdit* result = nullptr;
        std::optional<qint64> started; // none while stopped
    };

    void createWidgets();
    QLayout* createLayout();
    void connectWidgets();

    void addDelay(int index);
    void btModifyDelayClick();
    void addNote(int index);
    void btModifyNoteClick();
    void btDeleteClick();
    void moveSelected(int step);
    void btModifyMouseClick();
    void btAddLanguageClick();
    void btRenameLanguageClick();
    void btDeleteLanguageClick();
    void languageSelected(int row);
    void toggle(Stopwatch& stopwatch);

    // The single selected line, or -1 when none or several are selected.
    int selectedRow() const;
    TShowItem* selectedItem() const;
    QString enteredLanguage() const;
    // Lists every item anew and selects the line `selectRow` (none for -1).
    void listCommands(int selectRow);
    void relistLine(int row);
    void listLanguages();
    void showSelected();
    void updateButtons();

    TShowList edited_;
    QElapsedTimer elapsed_;
    Stopwatch delayWatch_;
    Stopwatch noteWatch_;
};
