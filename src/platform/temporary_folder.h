#pragma once
// Temporary folders that name their owner: "<temp>/lenzora-<pid>-XXXXXX", locked by the
// owning process for as long as it lives. A folder whose owner was killed before it could
// remove it is removed by the next process that calls removeAbandonedFolders().

#include <filesystem>

namespace lenzora::platform {

class OwnedTemporaryFolder {
  public:
    // A fresh empty folder under the system's temporary folder.
    OwnedTemporaryFolder();
    // Removes the folder with everything in it.
    ~OwnedTemporaryFolder();
    OwnedTemporaryFolder(const OwnedTemporaryFolder&) = delete;
    OwnedTemporaryFolder& operator=(const OwnedTemporaryFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
    int lock_ = -1;
};

// Removes the folders of this kind under the system's temporary folder that belong to this
// user and whose owner process is gone. Nothing else is touched, and failures are ignored.
void removeAbandonedFolders();

}  // namespace lenzora::platform
