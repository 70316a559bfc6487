#pragma once
// The line the batch tool prints with --json, read back with QJsonDocument.

#include <QJsonObject>
#include <QJsonValue>
#include <ostream>
#include <string>
#include <string_view>

namespace lenzora::testing {

// The object of JSON text; the test fails when the text is no valid JSON object.
QJsonObject jsonObject(std::string_view text);

// The object of what the tool printed: one line, ending with its newline, of a JSON object.
QJsonObject jsonLine(const std::string& out);

}  // namespace lenzora::testing

// Failures show objects and values as compact JSON.
void PrintTo(const QJsonObject& object, std::ostream* os);
void PrintTo(const QJsonValue& value, std::ostream* os);
