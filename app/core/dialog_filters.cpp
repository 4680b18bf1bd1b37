#include "dialog_filters.h"

#include <QRegularExpression>

QStringList dialogFilters(const QString& windowsFilter) {
    const QStringList parts = windowsFilter.split('|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        description.remove(QRegularExpression("\\s*\\([^)]*\\)$"));
        QStringList patterns;
        for (const QString& pattern : parts[i + 1].split(';', Qt::SkipEmptyParts)) {
            patterns << pattern.trimmed();
            if (pattern.toUpper() != pattern) {
                patterns << pattern.trimmed().toUpper();
            }
        }
        filters << QString("%1 (%2)").arg(description, patterns.join(' '));
    }
    return filters;
}
