#include "windows/help_window.h"

#include <QPlainTextEdit>

#include "windows/help_text.h"

namespace lenzora::windows {

HelpWindow::HelpWindow(QWidget* owner) : QScrollArea(owner) {
    setObjectName(QStringLiteral("Form3"));
    setWindowFlag(Qt::Window);
    setWindowTitle(QString::fromUtf8("帮助"));
    setBackgroundRole(QPalette::Button);
    move(241, 28);
    resize(598, 700);

    // The box is taller than the window; the window scrolls, the box has no bars of its own.
    Memo1 = new QPlainTextEdit;  // owned by the scroll area once set as its widget
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setFixedSize(569, 1200);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    QFont kai(QString::fromUtf8("楷体_GB2312"));
    kai.setPixelSize(16);
    Memo1->setFont(kai);
    QPalette silver = Memo1->palette();
    silver.setColor(QPalette::Base, QColor(192, 192, 192));
    Memo1->setPalette(silver);
    Memo1->setPlainText(QString::fromUtf8(helpText()));
    setWidget(Memo1);
    setWidgetResizable(false);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

}  // namespace lenzora::windows
