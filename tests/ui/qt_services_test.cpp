// The desktop program's message boxes: looked at while they are up, then answered.

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "platform/qt/qt_services.h"

namespace {

struct SeenBox {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString caption = QStringLiteral("unset");
    QString text;
    int buttons = 0;
};

// Runs `show`, reads the modal box it puts up, and presses its OK button.
SeenBox whileBoxIsUp(const std::function<void()>& show) {
    SeenBox seen;
    QTimer::singleShot(0, [&seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        seen.icon = box->icon();
        seen.caption = box->windowTitle();
        seen.text = box->text();
        seen.buttons = static_cast<int>(box->buttons().size());
        box->button(QMessageBox::Ok)->click();
    });
    show();
    return seen;
}

}  // namespace

class QtServicesTest : public QObject {
    Q_OBJECT

  private slots:
    void errorReportHasStopIconOkAndBlankCaption() {
        auto services = lenzora::platform::qtServices();
        SeenBox seen =
            whileBoxIsUp([&] { services.messages->showErrorReport("Invalid numeric input."); });
        QCOMPARE(seen.icon, QMessageBox::Critical);
        QCOMPARE(seen.caption, QString());
        QCOMPARE(seen.text, QStringLiteral("Invalid numeric input."));
        QCOMPARE(seen.buttons, 1);
    }

    void messageHasOkAndBlankCaption() {
        auto services = lenzora::platform::qtServices();
        SeenBox seen = whileBoxIsUp([&] { services.messages->showMessage("Merge OK！"); });
        QCOMPARE(seen.icon, QMessageBox::NoIcon);
        QCOMPARE(seen.caption, QString());
        QCOMPARE(seen.text, QString::fromUtf8("Merge OK！"));
        QCOMPARE(seen.buttons, 1);
    }

    void busyCursorIsSetAndRestored() {
        auto services = lenzora::platform::qtServices();
        QVERIFY(!QApplication::overrideCursor());
        services.cursor->setBusy(true);
        QVERIFY(QApplication::overrideCursor());
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        services.cursor->setBusy(false);
        QVERIFY(!QApplication::overrideCursor());
    }
};

QTEST_MAIN(QtServicesTest)
#include "qt_services_test.moc"
