#include "support/json_line.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>

namespace lenzora::testing {

QJsonObject jsonObject(std::string_view text) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(
        QByteArray(text.data(), static_cast<qsizetype>(text.size())), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError)
        << error.errorString().toStdString() << " at " << error.offset << " of " << text;
    EXPECT_TRUE(document.isObject()) << text;
    return document.object();
}

QJsonObject jsonLine(const std::string& out) {
    EXPECT_TRUE(!out.empty() && out.find('\n') == out.size() - 1)
        << "not one line ending with its newline: " << out;
    return jsonObject(out);
}

}  // namespace lenzora::testing

void PrintTo(const QJsonObject& object, std::ostream* os) {
    *os << QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString();
}

void PrintTo(const QJsonValue& value, std::ostream* os) {
    // A one-element array, as a document holds no bare value.
    const QByteArray array = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    *os << array.mid(1, array.size() - 2).toStdString();
}
