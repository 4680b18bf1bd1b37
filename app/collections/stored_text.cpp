#include "stored_text.h"

#include <QStringDecoder>

QString displayTextOf(const QByteArray& stored) {
    // Stateless: a sequence cut off at the end is an error, not a character still to come.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(stored);
    return utf8.hasError() ? QString::fromLatin1(stored) : text;
}

QByteArray storedTextOf(const QString& text) {
    return text.toUtf8();
}
