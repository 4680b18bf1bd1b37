// TLanguage: the table of every user-visible text, loaded from the chosen language file. A text
// is addressed by its section and its position in that section, counted from 0; anything the
// file lacks is an empty text.
#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

#include <string>
#include <vector>

// A language text used as a format string: each "%s" or "%d" takes the next argument in turn
// ("%%" is a percent sign). Placeholders without an argument become empty, so a translated
// text can never read past the arguments given.
QString formatText(const QString& pattern, const QStringList& arguments);

class TLanguage {
public:
    // Loads the language file; false (and the table unchanged) when it cannot be read.
    bool Load(const QString& path);

    // The position of the named section (any case), or -1.
    int SectionIndex(const QString& name) const;
    QString Text(int section, int n) const;
    QString Text(const QString& section, int n) const;

    // The display name in section "Language" of another file; the table stays as it is.
    static QString DisplayName(const QString& path);
    // "Espanol.ini", "Francais.ini", "Italiano.ini", "Portuguese.ini", "Russian.ini" for those
    // languages, else "English.ini".
    static QString DefaultLanguageFileName(const QLocale& locale = QLocale::system());
    // "Espanol.hlp", "Russian.hlp", else "English.hlp".
    static QString DefaultHelpFileName(const QLocale& locale = QLocale::system());

private:
    struct Section {
        std::string name;
        std::vector<QString> texts;
    };
    std::vector<Section> sections_;
};
