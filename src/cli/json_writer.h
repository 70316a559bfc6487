#pragma once
// One flat JSON object, written in the order its members were added.

#include <cstdint>
#include <string>
#include <vector>

namespace lenzora::cli {

class JsonObject {
public:
    void add(const std::string& key, const std::string& value);
    void add(const std::string& key, const char* value) { add(key, std::string(value)); }
    void add(const std::string& key, std::int64_t value);
    void add(const std::string& key, const std::vector<std::int64_t>& values);
    void add(const std::string& key, const std::vector<std::string>& values);

    std::string str() const;

private:
    void addRaw(const std::string& key, const std::string& json);
    std::vector<std::pair<std::string, std::string>> members_;
};

std::string jsonString(const std::string& value);

}  // namespace lenzora::cli
