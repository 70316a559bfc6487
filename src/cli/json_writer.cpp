#include "cli/json_writer.h"

#include <QByteArray>
#include <QFile>
#include <QJsonDocument>
#include <cstdio>

namespace lenzora::cli {

void printJson(const QJsonObject& object) {
    std::printf("%s\n", QJsonDocument(object).toJson(QJsonDocument::Compact).constData());
}

QString jsonFileName(const std::string& name) {
    return QFile::decodeName(QByteArray::fromStdString(name));
}

}  // namespace lenzora::cli
