#include "windows/step_arrows.h"

#include <QLineEdit>
#include <QSignalBlocker>
#include <QToolButton>
#include <algorithm>
#include <optional>

#include "core/numbers.h"

namespace lenzora::windows {

namespace {
constexpr int kArrowWidth = 16;

// The box's text as a number, blanks around it allowed.
std::optional<long double> shownNumber(const QLineEdit* box) {
    return core::parseDecimal(box->text().trimmed().toStdString());
}
}  // namespace

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
    if (std::optional<long double> initial = shownNumber(buddy))
        position_ = std::clamp<long double>(*initial, minimum_, maximum_);
    connect(up, &QToolButton::clicked, this, [this] { stepBy(1); });
    connect(down, &QToolButton::clicked, this, [this] { stepBy(-1); });
}

void StepArrows::stepBy(int steps) {
    // The decimals stay: the expected pitch is a fractional lines-per-inch value, and stepping
    // it must not drop to a whole number.
    const long double current = shownNumber(buddy_).value_or(position_);
    position_ = std::clamp<long double>(current + steps, minimum_, maximum_);
    const QSignalBlocker quiet(buddy_);
    buddy_->setText(QString::fromStdString(core::formatGeneral(position_)));
}

}  // namespace lenzora::windows
