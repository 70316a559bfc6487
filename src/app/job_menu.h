#pragma once
// The "作业" button's menu: open a job, save the window's job (QKeySequence::Open and ::Save
// on the whole window), and the last eight jobs. The recent jobs and the folder of the last
// one are kept with QSettings, beside the settings file, which keeps its nine numbers only.

#include <QObject>
#include <functional>
#include <string>

#include "core/job_file.h"

class QAction;
class QMenu;
class QPushButton;
class QWidget;

namespace lenzora::app {

class JobMenu : public QObject {
    Q_OBJECT
  public:
    // `current` gives the window's job (it may throw the boxes' conversion errors); `apply`
    // sets the window from a job that was read whole.
    JobMenu(QWidget* window, QPushButton* button, std::function<core::Job()> current,
            std::function<void(const core::Job&)> apply);

    // Opening is not offered while a compose runs.
    void setOpenEnabled(bool enabled);

    // Reads the job at `path` and sets the window from it; a job that cannot be read is
    // reported and nothing changes.
    void openJob(const std::string& path);

  private:
    void chooseAndOpen();
    void chooseAndSave();
    // `path` goes first among the recent jobs and its folder is where the dialogs open next.
    void remember(const std::string& path);
    void showRecent();

    std::function<core::Job()> current_;
    std::function<void(const core::Job&)> apply_;
    QMenu* menu_ = nullptr;
    QAction* openAction_ = nullptr;
    QAction* saveAction_ = nullptr;
    QAction* recentSeparator_ = nullptr;
    QList<QAction*> recentActions_;
};

}  // namespace lenzora::app
