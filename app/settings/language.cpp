#include "language.h"

#include "ini_file.h"

#include <strings.h>

namespace {
constexpr const char* languageSection = "Language";
}

QString formatText(const QString& pattern, const QStringList& arguments) {
    QString out;
    qsizetype next = 0;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        const QChar following = i + 1 < pattern.size() ? pattern[i + 1] : QChar();
        if (c == '%' && (following == 's' || following == 'd')) {
            out += next < arguments.size() ? arguments[next] : QString();
            ++next;
            ++i;
        } else if (c == '%' && following == '%') {
            out += '%';
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

bool TLanguage::Load(const QString& path) {
    IniFile file;
    if (!file.load(path.toStdString())) {
        return false;
    }
    sections_.clear();
    for (const IniFile::Section& section : file.sections()) {
        if (::strcasecmp(section.name.c_str(), languageSection) == 0) {
            continue;
        }
        Section loaded{section.name, {}};
        for (const IniFile::Entry& entry : section.entries) {
            loaded.texts.push_back(
                QString::fromUtf8(entry.value.data(), static_cast<qsizetype>(entry.value.size())));
        }
        sections_.push_back(std::move(loaded));
    }
    return true;
}

int TLanguage::SectionIndex(const QString& name) const {
    const std::string wanted = name.toStdString();
    for (std::size_t i = 0; i < sections_.size(); ++i) {
        if (::strcasecmp(sections_[i].name.c_str(), wanted.c_str()) == 0) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

QString TLanguage::Text(int section, int n) const {
    if (section < 0 || section >= static_cast<int>(sections_.size())) {
        return {};
    }
    const std::vector<QString>& texts = sections_[static_cast<std::size_t>(section)].texts;
    return n >= 0 && n < static_cast<int>(texts.size()) ? texts[static_cast<std::size_t>(n)]
                                                        : QString();
}

QString TLanguage::Text(const QString& section, int n) const {
    return Text(SectionIndex(section), n);
}

QString TLanguage::DisplayName(const QString& path) {
    IniFile file;
    if (!file.load(path.toStdString())) {
        return {};
    }
    return QString::fromStdString(file.value(languageSection, languageSection));
}

QString TLanguage::DefaultLanguageFileName(const QLocale& locale) {
    switch (locale.language()) {
    case QLocale::Spanish:
        return "Espanol.ini";
    case QLocale::French:
        return "Francais.ini";
    case QLocale::Italian:
        return "Italiano.ini";
    case QLocale::Portuguese:
        return "Portuguese.ini";
    case QLocale::Russian:
        return "Russian.ini";
    default:
        return "English.ini";
    }
}

QString TLanguage::DefaultHelpFileName(const QLocale& locale) {
    switch (locale.language()) {
    case QLocale::Spanish:
        return "Espanol.hlp";
    case QLocale::Russian:
        return "Russian.hlp";
    default:
        return "English.hlp";
    }
}
