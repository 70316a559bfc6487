#include "platform/temporary_folder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <optional>
#include <regex>
#include <string>

#include "platform/error.h"
#include "platform/translation.h"

namespace lenzora::platform {
namespace {

namespace fs = std::filesystem;

constexpr const char* kPrefix = "lenzora-";

// The owner's process id, for a name made by OwnedTemporaryFolder and nothing else.
std::optional<pid_t> ownerOf(const std::string& name) {
    static const std::regex pattern("lenzora-([1-9][0-9]{0,9})-[A-Za-z0-9]{6}");
    std::smatch match;
    if (!name.starts_with(kPrefix) || !std::regex_match(name, match, pattern)) return std::nullopt;
    const long long pid = std::stoll(match[1].str());
    if (pid > INT32_MAX) return std::nullopt;
    return static_cast<pid_t>(pid);
}

// The folder opened without following a link, or -1.
int openFolder(const fs::path& path) {
    return ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

bool processIsGone(pid_t pid) { return ::kill(pid, 0) != 0 && errno == ESRCH; }

void removeIfAbandoned(const fs::path& path) {
    const std::optional<pid_t> owner = ownerOf(path.filename().string());
    if (!owner || *owner == ::getpid() || !processIsGone(*owner)) return;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) return;
    // The owner holds a lock on its folder while it lives; a process id seen as gone may
    // belong to a process of another pid namespace sharing this temporary folder.
    const int folder = openFolder(path);
    if (folder < 0) return;
    if (::flock(folder, LOCK_EX | LOCK_NB) == 0) {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    ::close(folder);
}

}  // namespace

OwnedTemporaryFolder::OwnedTemporaryFolder() {
    std::error_code failed;
    const fs::path temp = fs::temp_directory_path(failed);
    std::string pattern = (temp / (kPrefix + std::to_string(::getpid()) + "-XXXXXX")).string();
    if (failed || ::mkdtemp(pattern.data()) == nullptr)
        throw Error(translate("lenzora::platform", "Cannot create a work folder"));
    path_ = pattern;
    lock_ = openFolder(path_);
    if (lock_ >= 0) ::flock(lock_, LOCK_EX | LOCK_NB);
}

OwnedTemporaryFolder::~OwnedTemporaryFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
    if (lock_ >= 0) ::close(lock_);
}

void removeAbandonedFolders() {
    std::error_code failed;
    const fs::path temp = fs::temp_directory_path(failed);
    if (failed) return;
    for (fs::directory_iterator it(temp, failed), end; !failed && it != end; it.increment(failed)) {
        removeIfAbandoned(it->path());
    }
}

}  // namespace lenzora::platform
