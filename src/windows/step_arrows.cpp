#include "windows/step_arrows.h"

#include <QLineEdit>
#include <QSignalBlocker>
#include <QToolButton>
#include <algorithm>

namespace lenzora::windows {

namespace {
constexpr int kArrowWidth = 16;
}

StepArrows::StepArrows(QLineEdit* buddy, int minimum, int maximum, QWidget* parent)
    : QWidget(parent), buddy_(buddy), minimum_(minimum), maximum_(maximum) {
    const QRect edit = buddy->geometry();
    setGeometry(edit.right() + 1, edit.top(), kArrowWidth, edit.height());
    auto* up = new QToolButton(this);
    up->setArrowType(Qt::UpArrow);
    up->setAutoRepeat(true);
    up->setGeometry(0, 0, kArrowWidth, edit.height() / 2);
    auto* down = new QToolButton(this);
    down->setArrowType(Qt::DownArrow);
    down->setAutoRepeat(true);
    down->setGeometry(0, edit.height() / 2, kArrowWidth, edit.height() - edit.height() / 2);
    // The position starts at the number the box is created with.
    bool ok = false;
    const int initial = buddy->text().trimmed().toInt(&ok);
    if (ok) position_ = std::clamp(initial, minimum_, maximum_);
    connect(up, &QToolButton::clicked, this, [this] { stepBy(1); });
    connect(down, &QToolButton::clicked, this, [this] { stepBy(-1); });
}

void StepArrows::stepBy(int steps) {
    bool ok = false;
    const int typed = buddy_->text().trimmed().toInt(&ok);
    const long long current = ok ? typed : position_;
    position_ = static_cast<int>(std::clamp<long long>(current + steps, minimum_, maximum_));
    const QSignalBlocker quiet(buddy_);
    buddy_->setText(QString::number(position_));
}

}  // namespace lenzora::windows
