#include "platform/drive_paths.h"

#include <QStandardPaths>
#include <cctype>
#include <string>

namespace lenzora::platform {
namespace {

std::filesystem::path& overriddenRoot() {
    static std::filesystem::path root;
    return root;
}

bool hasDriveLetter(std::string_view path) {
    return path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':';
}

}  // namespace

std::filesystem::path driveRoot() {
    if (!overriddenRoot().empty()) return overriddenRoot();
    QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return std::filesystem::path(data.toStdString()) / "lenzora";
}

void setDriveRoot(const std::filesystem::path& root) { overriddenRoot() = root; }

std::filesystem::path hostPath(std::string_view drivePath) {
    if (!hasDriveLetter(drivePath)) return std::filesystem::path(std::string(drivePath));
    std::filesystem::path result =
        driveRoot() / std::string(1, static_cast<char>(std::tolower(drivePath[0])));
    std::string_view rest = drivePath.substr(2);
    std::string part;
    for (char c : rest) {
        if (c == '\\' || c == '/') {
            if (!part.empty()) result /= part;
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty()) result /= part;
    return result;
}

}  // namespace lenzora::platform

namespace lenzora::platform {

void prepareDrive(std::string_view drivePath) {
    if (!hasDriveLetter(drivePath)) return;
    std::filesystem::path drive = hostPath(drivePath.substr(0, 2));
    std::error_code ignored;
    std::filesystem::create_directories(drive, ignored);
}

}  // namespace lenzora::platform
