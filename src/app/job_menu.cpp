#include "app/job_menu.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QWidget>
#include <filesystem>

#include "platform/handler_guard.h"
#include "platform/program_options.h"
#include "platform/services.h"

namespace lenzora::app {
namespace {

constexpr int kRecentJobs = 8;
const QString kRecentKey = QStringLiteral("jobs/recent");
const QString kFolderKey = QStringLiteral("jobs/folder");

std::string lastFolder() {
    return platform::programOptions().value(kFolderKey).toString().toStdString();
}

}  // namespace

JobMenu::JobMenu(QWidget* window, QPushButton* button, std::function<core::Job()> current,
                 std::function<void(const core::Job&)> apply)
    : QObject(window), current_(std::move(current)), apply_(std::move(apply)) {
    menu_ = new QMenu(button);
    menu_->setObjectName(QStringLiteral("jobMenu"));
    openAction_ = menu_->addAction(tr("打开作业..."));
    openAction_->setObjectName(QStringLiteral("openJobAction"));
    openAction_->setShortcut(QKeySequence::Open);
    saveAction_ = menu_->addAction(tr("保存作业..."));
    saveAction_->setObjectName(QStringLiteral("saveJobAction"));
    saveAction_->setShortcut(QKeySequence::Save);
    recentSeparator_ = menu_->addSeparator();
    // On the window as well, so that the shortcuts work while the menu is closed.
    window->addAction(openAction_);
    window->addAction(saveAction_);
    button->setMenu(menu_);
    connect(openAction_, &QAction::triggered, this, &JobMenu::chooseAndOpen);
    connect(saveAction_, &QAction::triggered, this, &JobMenu::chooseAndSave);
    showRecent();
}

void JobMenu::setOpenEnabled(bool enabled) {
    openAction_->setEnabled(enabled);
    for (QAction* action : recentActions_) action->setEnabled(enabled);
}

void JobMenu::openJob(const std::string& path) {
    platform::guardHandler([&] {
        const core::Job job = core::readJobFile(path);
        remember(path);
        apply_(job);
    });
}

void JobMenu::chooseAndOpen() {
    const std::string path = platform::services().jobFile->chooseOpen(lastFolder());
    if (!path.empty()) openJob(path);
}

void JobMenu::chooseAndSave() {
    platform::guardHandler([&] {
        std::filesystem::path path = platform::services().jobFile->chooseSave(lastFolder());
        if (path.empty()) return;
        if (!path.has_extension()) path += core::kJobExtension;
        core::writeJobFile(path, current_());
        remember(path.string());
    });
}

void JobMenu::remember(const std::string& path) {
    const QString absolute = QString::fromStdString(std::filesystem::absolute(path).string());
    QSettings options = platform::programOptions();
    QStringList recent = options.value(kRecentKey).toStringList();
    recent.removeAll(absolute);
    recent.prepend(absolute);
    options.setValue(kRecentKey, recent.mid(0, kRecentJobs));
    options.setValue(kFolderKey, QString::fromStdString(
                                     std::filesystem::path(absolute.toStdString()).parent_path()));
    showRecent();
}

// The recent jobs below the two commands, the latest first: "&1 /path/card.lzjob".
void JobMenu::showRecent() {
    // A recent job's own action may be the one being triggered: it goes once that is over.
    for (QAction* action : recentActions_) {
        menu_->removeAction(action);
        action->setObjectName(QString());
        action->deleteLater();
    }
    recentActions_.clear();
    const QStringList recent = platform::programOptions().value(kRecentKey).toStringList();
    for (qsizetype i = 0; i < recent.size() && i < kRecentJobs; ++i) {
        const QString& path = recent[i];
        QString shown = path;  // an "&" of the name is no shortcut letter
        QAction* action = menu_->addAction(
            QStringLiteral("&%1 %2").arg(i + 1).arg(shown.replace(u'&', QStringLiteral("&&"))));
        action->setObjectName(QStringLiteral("recentJobAction%1").arg(i + 1));
        action->setEnabled(openAction_->isEnabled());
        connect(action, &QAction::triggered, this, [this, path] { openJob(path.toStdString()); });
        recentActions_.append(action);
    }
    recentSeparator_->setVisible(!recent.isEmpty());
}

}  // namespace lenzora::app
