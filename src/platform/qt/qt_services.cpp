#include "platform/qt/qt_services.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QUrl>

namespace lenzora::platform {
namespace {

void showBox(QMessageBox::Icon icon, const std::string& text) {
    QMessageBox box(icon, QString(), QString::fromStdString(text), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

class QtMessageBoxes : public MessageBoxes {
public:
    void showMessage(const std::string& text) override { showBox(QMessageBox::NoIcon, text); }
    void showErrorReport(const std::string& text) override {
        showBox(QMessageBox::Critical, text);
    }
};

// There is no Internet Explorer here: the address goes to the desktop's browser.
class QtShell : public Shell {
public:
    void openWebPage(const std::string&, const std::string& address) override {
        QDesktopServices::openUrl(QUrl::fromUserInput(QString::fromStdString(address)));
    }
};

class QtCursor : public Cursor {
public:
    void setBusy(bool busy) override {
        if (busy) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
        } else {
            QApplication::restoreOverrideCursor();
        }
    }
};

}  // namespace

Services qtServices() {
    return {std::make_shared<QtMessageBoxes>(), std::make_shared<QtShell>(),
            std::make_shared<QtCursor>()};
}

}  // namespace lenzora::platform
