#include "windows/help_window.h"

#include <QPlainTextEdit>

#include "windows/help_text.h"

namespace lenzora::windows {

HelpWindow::HelpWindow(QWidget* owner) : QScrollArea(owner) {
    setObjectName(QStringLiteral("helpWindow"));
    // A dialog-type window: only those are marked transient for their owner on X11, which
    // keeps them above the screen-filling main window.
    setWindowFlags(Qt::Dialog);
    setWindowTitle(tr("帮助"));
    setBackgroundRole(QPalette::Button);
    move(241, 28);
    resize(598, 700);

    // The box is taller than the window; the window scrolls, the box has no bars of its own.
    helpText_ = new QPlainTextEdit;  // owned by the scroll area once set as its widget
    helpText_->setObjectName(QStringLiteral("helpText"));
    helpText_->setFixedSize(569, 1200);
    helpText_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    helpText_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    helpText_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    QFont kai(QString::fromUtf8("楷体_GB2312"));
    kai.setPixelSize(16);
    helpText_->setFont(kai);
    QPalette silver = helpText_->palette();
    silver.setColor(QPalette::Base, QColor(192, 192, 192));
    helpText_->setPalette(silver);
    helpText_->setPlainText(helpText());
    setWidget(helpText_);
    setWidgetResizable(false);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

}  // namespace lenzora::windows
