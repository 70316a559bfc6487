#include "cli/json_writer.h"

#include <cstdio>

namespace lenzora::cli {

std::string jsonString(const std::string& value) {
    std::string out = "\"";
    for (unsigned char c : value) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                    out += escaped;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out + "\"";
}

void JsonObject::addRaw(const std::string& key, const std::string& json) {
    members_.emplace_back(key, json);
}

void JsonObject::add(const std::string& key, const std::string& value) {
    addRaw(key, jsonString(value));
}

void JsonObject::add(const std::string& key, std::int64_t value) {
    addRaw(key, std::to_string(value));
}

void JsonObject::add(const std::string& key, const std::vector<std::int64_t>& values) {
    std::string json = "[";
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i) json += ",";
        json += std::to_string(values[i]);
    }
    addRaw(key, json + "]");
}

void JsonObject::add(const std::string& key, const std::vector<std::string>& values) {
    std::string json = "[";
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i) json += ",";
        json += jsonString(values[i]);
    }
    addRaw(key, json + "]");
}

std::string JsonObject::str() const {
    std::string out = "{";
    for (std::size_t i = 0; i < members_.size(); ++i) {
        if (i) out += ",";
        out += jsonString(members_[i].first) + ":" + members_[i].second;
    }
    return out + "}";
}

}  // namespace lenzora::cli
