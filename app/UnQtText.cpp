// Conversions between the model's 8-bit strings and Qt text.
#include "app/UnQtText.h"

#include <QByteArray>
#include <QFile>
#include <QStringDecoder>

QString latin1Text(const std::string& text) {
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

QString messageText(const char* text) {
    const QByteArray bytes(text);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = utf8.decode(bytes);
    if (!utf8.hasError()) return decoded;
    return QString::fromLatin1(bytes);
}

std::string fileNameBytes(const QString& fileName) {
    return QFile::encodeName(fileName).toStdString();
}

QString fileNameText(const std::string& fileName) {
    return QFile::decodeName(QByteArray::fromStdString(fileName));
}
