#pragma once
// The one line of JSON that --json prints.

#include <QJsonObject>
#include <QString>
#include <string>

namespace lenzora::cli {

// The object compact on one line of standard output.
void printJson(const QJsonObject& object);

// A file name as typed, for a JSON string: its bytes read as UTF-8 by QFile::decodeName,
// each byte that is no part of a valid sequence becoming U+FFFD, so any name gives valid
// JSON and a UTF-8 name prints as it was typed.
QString jsonFileName(const std::string& name);

}  // namespace lenzora::cli
