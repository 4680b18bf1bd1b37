// TTranslateExampleForm ("Translate Example"): gives an example's notes another language without
// recording it again. The notes show side by side in two languages of the example; the second
// language's text and display time of a note can be changed. The example's languages can be
// added, renamed and deleted, and a whole language can be taken over from another recording of
// the same example (one with as many notes). The window keeps its own copy of the example,
// loaded from and saved to files.
#pragma once

#include "show_list.h"

#include <QDialog>
#include <QStringList>

#include <functional>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class TIntEdit;
class WorkspaceHost;

class TTranslateExampleForm : public QDialog {
    Q_OBJECT

public:
    explicit TTranslateExampleForm(WorkspaceHost& host, QWidget* parent = nullptr);

    const TShowList& Example() const { return example_; }
    bool Modified() const { return modified_; }

    // Test hooks: the file dialogs (an empty name cancels) and the choice of a language of
    // another example (-1 cancels).
    std::function<QString(bool save, const QString& folder)> chooseFile;
    std::function<int(const QStringList& names, int current)> chooseLanguage;

    QPushButton* btOpen = nullptr;
    QPushButton* btSave = nullptr;
    QPushButton* btSaveAs = nullptr;
    QListWidget* lstNotes = nullptr;
    QPushButton* btCopy = nullptr;
    QComboBox* cmbFirstLanguage = nullptr;
    QPlainTextEdit* memFirstLanguage = nullptr;
    QLabel* lbDisplayTime1 = nullptr;
    QComboBox* cmbSecondLanguage = nullptr;
    QPlainTextEdit* memSecondLanguage = nullptr;
    TIntEdit* edtSecondTime = nullptr;
    QPushButton* btModifySecond = nullptr;
    QLineEdit* edtLanguage = nullptr;
    QListWidget* lstLanguage = nullptr;
    QPushButton* btAddLanguage = nullptr;
    QPushButton* btRenameLanguage = nullptr;
    QPushButton* btDeleteLanguage = nullptr;
    QPushButton* btAddFromFile = nullptr;
    QPushButton* btClose = nullptr;

public slots:
    // Every way of closing the window comes here; a changed example is offered for saving.
    void reject() override;

private:
    // The languages chosen in the two lists and in the language list.
    struct LanguageChoice {
        int first = -1;
        int second = -1;
        int listed = -1;
    };

    QString text(int n) const;
    void createWidgets();
    QLayout* createLayout();
    void connectWidgets();

    void btOpenClick();
    bool btSaveClick();
    bool btSaveAsClick();
    bool saveAs(const QString& folder);
    bool saveTo(const QString& path);
    void btModifySecondClick();
    void btAddLanguageClick();
    void btRenameLanguageClick();
    void btDeleteLanguageClick();
    void btCopyClick();
    void btAddFromFileClick();
    // Takes language `language` of `other` over into this example.
    void takeOver(const TShowList& other, int language);

    // Offers to save a changed example; false when the author wants to keep working on it.
    bool maySetAside();
    QString imagesFolder() const;
    QString userFolder() const;

    void setModified();
    LanguageChoice currentChoice() const;
    void listLanguages(const LanguageChoice& choice);
    // Lists every note anew and selects the note in row `selectRow` (none for -1).
    void listNotes(int selectRow);
    void showSelectedNote();
    void updateCaption();
    void updateButtons();
    int selectedNote() const;
    QString enteredLanguage() const;

    WorkspaceHost& host_;
    TShowList example_;
    // The positions of the example's notes among its items: note n is item noteItems_[n].
    std::vector<int> noteItems_;
    bool modified_ = false;
};
