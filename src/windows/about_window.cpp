#include "windows/about_window.h"

#include <QContextMenuEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>

#include "windows/about_picture.h"
#include "platform/services.h"
#include "platform/web_page.h"

namespace lenzora::windows {

// An invisible rectangle that reports presses of any mouse button and context-menu requests.
class HotArea : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

signals:
    void pressed();
    void contextRequested();

protected:
    void mousePressEvent(QMouseEvent* event) override {
        event->accept();
        emit pressed();
    }
    void contextMenuEvent(QContextMenuEvent* event) override {
        event->accept();
        emit contextRequested();
    }
};

namespace {
constexpr int kPictureWidth = 353;
constexpr int kPictureHeight = 289;
}  // namespace

AboutWindow::AboutWindow(QWidget* owner) : QWidget(owner) {
    setObjectName(QStringLiteral("Form5"));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setWindowTitle(QString::fromUtf8("关于"));
    move(328, 240);
    setFixedSize(kPictureWidth, kPictureHeight);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(0, 0, kPictureWidth, kPictureHeight);
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setPixmap(QPixmap::fromImage(aboutPicture()));

    Shape1 = new HotArea(this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setGeometry(72, 258, 273, 25);
    Shape1->setContextMenuPolicy(Qt::DefaultContextMenu);
    connect(Shape1, &HotArea::pressed, this, &AboutWindow::Shape1MouseDown);
    connect(Shape1, &HotArea::contextRequested, this, &AboutWindow::Shape1ContextPopup);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(2000);
    connect(Timer1, &QTimer::timeout, this, &AboutWindow::Timer1Timer);
    Timer1->start();
}

void AboutWindow::useDialogBorder() {
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
}

void AboutWindow::Timer1Timer() {
    Timer1->stop();
    timerFired_ = true;
    emit timerFired();
}

void AboutWindow::Shape1MouseDown() {
    hide();
    platform::openMakerWebPage();
}

void AboutWindow::Shape1ContextPopup() { Shape1MouseDown(); }

}  // namespace lenzora::windows

#include "about_window.moc"
