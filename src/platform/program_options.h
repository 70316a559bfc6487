#pragma once
// Where the program keeps its options beside the settings file, which keeps its nine numbers
// only: ~/.config/lenzora/lenzora.conf (the open dialog's size, recent jobs, upright photos).

#include <QSettings>

namespace lenzora::platform {

inline QSettings programOptions() {
    return QSettings(QStringLiteral("lenzora"), QStringLiteral("lenzora"));
}

}  // namespace lenzora::platform
