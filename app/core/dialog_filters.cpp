#include "dialog_filters.h"

#include "platform/picture_format.h"

#include <QRegularExpression>

#include <string_view>

namespace {

// "*.jpg" as the language files write it, and "*.jpeg" and "*.jpe" beside it: the other
// extensions of a picture format whose usual extension the pattern names.
QStringList withOtherSpellings(const QString& pattern) {
    QStringList patterns{pattern};
    if (!pattern.startsWith("*.")) {
        return patterns;
    }
    const QByteArray extension = pattern.mid(2).toLatin1();
    const platform::PictureFormat format = platform::pictureFormatOfExtension(
        std::string_view(extension.constData(), std::size_t(extension.size())));
    if (format == platform::PictureFormat::Unknown ||
        extension != platform::pictureExtension(format)) {
        return patterns;
    }
    for (const std::string_view other : platform::pictureExtensions(format).subspan(1)) {
        patterns << "*." + QString::fromLatin1(other.data(), qsizetype(other.size()));
    }
    return patterns;
}

} // namespace

QStringList dialogFilters(const QString& windowsFilter) {
    const QStringList parts = windowsFilter.split('|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        description.remove(QRegularExpression("\\s*\\([^)]*\\)$"));
        QStringList patterns;
        for (const QString& written : parts[i + 1].split(';', Qt::SkipEmptyParts)) {
            for (const QString& pattern : withOtherSpellings(written.trimmed())) {
                patterns << pattern;
                if (pattern.toUpper() != pattern) {
                    patterns << pattern.toUpper();
                }
            }
        }
        filters << QString("%1 (%2)").arg(description, patterns.join(' '));
    }
    return filters;
}
