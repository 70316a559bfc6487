#pragma once
// Controls are made as children of their window, which owns and deletes them, and carry the
// names tests and screenshots find them by ("widthEdit", "composeButton").

#include <QString>
#include <QWidget>
#include <utility>

namespace lenzora::platform {

template <class T, class... Args>
T* namedChild(QWidget* parent, const char* name, Args&&... args) {
    T* widget = new T(std::forward<Args>(args)..., parent);
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

}  // namespace lenzora::platform
