#include "platform/drive_paths.h"

#include <QStandardPaths>
#include <cctype>
#include <string>
#include <vector>

namespace lenzora::platform {
namespace {

std::filesystem::path& overriddenRoot() {
    static std::filesystem::path root;
    return root;
}

struct FolderMapping {
    std::vector<std::string> driveParts;  // lower-case components, drive letter first
    std::filesystem::path hostFolder;
};

FolderMapping& folderMapping() {
    static FolderMapping mapping;
    return mapping;
}

// "c:\lz3d\t01.bmp" -> {"c", "lz3d", "t01.bmp"}; drive paths compare without case.
std::vector<std::string> driveParts(std::string_view drivePath) {
    std::vector<std::string> parts{std::string(1, static_cast<char>(std::tolower(drivePath[0])))};
    std::string part;
    for (char c : drivePath.substr(2)) {
        if (c == '\\' || c == '/') {
            if (!part.empty()) parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty()) parts.push_back(part);
    return parts;
}

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
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

void setFolderMapping(std::string_view driveFolder, const std::filesystem::path& hostFolder) {
    FolderMapping mapping;
    if (!hostFolder.empty() && hasDriveLetter(driveFolder)) {
        mapping.driveParts = driveParts(driveFolder);
        for (std::string& part : mapping.driveParts) part = lower(part);
        mapping.hostFolder = hostFolder;
    }
    folderMapping() = std::move(mapping);
}

std::filesystem::path hostPath(std::string_view drivePath) {
    if (!hasDriveLetter(drivePath)) return std::filesystem::path(std::string(drivePath));
    const std::vector<std::string> parts = driveParts(drivePath);
    const FolderMapping& mapping = folderMapping();
    std::size_t skip = 1;
    std::filesystem::path result = driveRoot() / parts[0];
    if (!mapping.driveParts.empty() && parts.size() >= mapping.driveParts.size()) {
        bool inside = true;
        for (std::size_t i = 0; i < mapping.driveParts.size(); ++i) {
            inside = inside && lower(parts[i]) == mapping.driveParts[i];
        }
        if (inside) {
            result = mapping.hostFolder;
            skip = mapping.driveParts.size();
        }
    }
    for (std::size_t i = skip; i < parts.size(); ++i) result /= parts[i];
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
