// Conversions between the model's strings and Qt text.
#include "app/UnQtText.h"

#include "model/UnAnsiText.h"

#include <QByteArray>
#include <QFile>
#include <QStringDecoder>

QString modelText(const std::string& text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

std::string modelString(const QString& text) {
    return text.toStdString();
}

QString messageText(const char* text) {
    const QByteArray bytes(text);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = utf8.decode(bytes);
    if (!utf8.hasError()) return decoded;
    return QString::fromStdString(ansiToUtf8(bytes.toStdString()));
}

std::string fileNameBytes(const QString& fileName) {
    return QFile::encodeName(fileName).toStdString();
}

QString fileNameText(const std::string& fileName) {
    return QFile::decodeName(QByteArray::fromStdString(fileName));
}
