// TSelectLanguageForm: the choice of one language of an example, for playing an example of
// several languages and for taking a language over into another example. The current language
// comes selected; OK takes the selected one, Cancel none.
#pragma once

#include <QDialog>
#include <QStringList>

class QListWidget;
class QPushButton;
class TLanguage;

class TSelectLanguageForm : public QDialog {
    Q_OBJECT

public:
    TSelectLanguageForm(const TLanguage& language, const QStringList& names, int current,
                        QWidget* parent = nullptr);

    // The selected language, -1 when none is.
    int Chosen() const;

    QListWidget* lstLanguages = nullptr;
    QPushButton* btOK = nullptr;
    QPushButton* btCancel = nullptr;

private:
    void updateButtons();
};

// Asks for one of `names` with `current` selected; the chosen index, or -1 when cancelled.
int chooseExampleLanguage(QWidget* parent, const TLanguage& language, const QStringList& names,
                          int current);
