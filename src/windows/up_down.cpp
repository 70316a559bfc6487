#include "windows/up_down.h"

#include <QLineEdit>
#include <QSignalBlocker>
#include <QToolButton>
#include <algorithm>

namespace lenzora::windows {

namespace {
constexpr int kArrowWidth = 16;
}

UpDown::UpDown(QLineEdit* buddy, int minimum, int maximum, QWidget* parent)
    : QWidget(parent), buddy_(buddy), minimum_(minimum), maximum_(maximum) {
    const QRect edit = buddy->geometry();
    setGeometry(edit.right() + 1, edit.top(), kArrowWidth, edit.height());
    up_ = new QToolButton(this);
    up_->setArrowType(Qt::UpArrow);
    up_->setAutoRepeat(true);
    up_->setGeometry(0, 0, kArrowWidth, edit.height() / 2);
    down_ = new QToolButton(this);
    down_->setArrowType(Qt::DownArrow);
    down_->setAutoRepeat(true);
    down_->setGeometry(0, edit.height() / 2, kArrowWidth, edit.height() - edit.height() / 2);
    // The position starts at the box's design-time number.
    bool ok = false;
    const int initial = buddy->text().trimmed().toInt(&ok);
    if (ok) position_ = std::clamp(initial, minimum_, maximum_);
    connect(up_, &QToolButton::clicked, this, [this] { stepBy(1); });
    connect(down_, &QToolButton::clicked, this, [this] { stepBy(-1); });
}

void UpDown::stepBy(int steps) {
    bool ok = false;
    const int typed = buddy_->text().trimmed().toInt(&ok);
    const long long current = ok ? typed : position_;
    position_ = static_cast<int>(std::clamp<long long>(current + steps, minimum_, maximum_));
    const QSignalBlocker quiet(buddy_);
    buddy_->setText(QString::number(position_));
}

}  // namespace lenzora::windows
