#include "windows/about_window.h"

#include <QContextMenuEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>

#include "platform/services.h"
#include "platform/version.h"
#include "platform/web_page.h"
#include "windows/about_picture.h"

namespace lenzora::windows {

// An invisible rectangle over a link drawn in a picture: a press of any mouse button or a
// context-menu request (the menu key too) activates it.
class LinkArea : public QWidget {
    Q_OBJECT
  public:
    using QWidget::QWidget;

  signals:
    void activated();

  protected:
    void mousePressEvent(QMouseEvent* event) override {
        event->accept();
        emit activated();
    }
    void contextMenuEvent(QContextMenuEvent* event) override {
        event->accept();
        emit activated();
    }
};

namespace {
constexpr int kPictureWidth = 353;
constexpr int kPictureHeight = 289;
}  // namespace

AboutWindow::AboutWindow(QWidget* owner, std::chrono::milliseconds splashDuration)
    : QWidget(owner) {
    setObjectName(QStringLiteral("aboutWindow"));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setWindowTitle(tr("关于"));
    move(328, 240);
    setFixedSize(kPictureWidth, kPictureHeight);

    picture_ = new QLabel(this);
    picture_->setObjectName(QStringLiteral("picture"));
    picture_->setGeometry(0, 0, kPictureWidth, kPictureHeight);
    picture_->setAlignment(Qt::AlignCenter);
    picture_->setPixmap(QPixmap::fromImage(aboutPicture()));

    // After the program's name in the picture, in its white.
    auto* version = new QLabel(QString::fromLatin1(platform::kVersion), this);
    version->setObjectName(QStringLiteral("versionLabel"));
    version->setGeometry(184, 160, 120, 24);
    version->setStyleSheet(QStringLiteral("color: white; font: bold 18px;"));

    // Over the web address printed along the picture's bottom edge.
    webAddressArea_ = new LinkArea(this);
    webAddressArea_->setObjectName(QStringLiteral("webAddressArea"));
    webAddressArea_->setGeometry(72, 258, 273, 25);
    webAddressArea_->setContextMenuPolicy(Qt::DefaultContextMenu);
    connect(webAddressArea_, &LinkArea::activated, this, &AboutWindow::openWebAddress);

    splashTimer_ = new QTimer(this);
    splashTimer_->setObjectName(QStringLiteral("splashTimer"));
    splashTimer_->setSingleShot(true);
    splashTimer_->setInterval(splashDuration);
    connect(splashTimer_, &QTimer::timeout, this, &AboutWindow::splashOver);
    splashTimer_->start();
}

// Dialog type keeps it above its owner; the on-top hint stays as the splash has it.
void AboutWindow::useDialogBorder() {
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
}

// Hides only this window, then asks for the maker's page.
void AboutWindow::openWebAddress() {
    hide();
    platform::openMakerWebPage();
}

}  // namespace lenzora::windows

#include "about_window.moc"
