// Where the main window stands on screens of common sizes. The offscreen platform is set up
// here with such screens and frames every window with a 2-pixel border, as a window manager
// does; the title bar of a real one comes on top the same way.

#include <QApplication>
#include <QByteArray>
#include <QProgressBar>
#include <QScreen>
#include <QTemporaryDir>
#include <QWindow>
#include <QtTest>
#include <memory>

#include "app/main_window.h"
#include "support/window_test_env.h"

using lenzora::app::MainWindow;

class MainWindowPlacementTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<lenzora::testing::WindowTestEnvironment> env_;

  private slots:
    void init() { env_ = std::make_unique<lenzora::testing::WindowTestEnvironment>(); }
    void cleanup() { env_.reset(); }

    void theFramedWindowFillsTheWorkArea_data() {
        QTest::addColumn<int>("screen");
        QTest::newRow("1280 x 1024") << 0;
        QTest::newRow("1024 x 768") << 1;
    }
    void theFramedWindowFillsTheWorkArea() {
        QFETCH(int, screen);
        QScreen* target = QGuiApplication::screens().value(screen);
        QVERIFY(target);
        MainWindow form;
        form.move(target->geometry().topLeft());  // onto that screen
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QRect area = target->availableGeometry();
        QVERIFY(!form.windowHandle()->frameMargins().isNull());
        QCOMPARE(form.frameGeometry(), area);
        QCOMPARE(form.minimumSize(), form.maximumSize());  // still not resizable
        // The progress bar, the lowest control, lies whole on the screen.
        auto* progress = lenzora::testing::findControl<QProgressBar>(form, "progressBar");
        QVERIFY(progress->isVisible());
        const QRect bar(progress->mapToGlobal(QPoint(0, 0)), progress->size());
        QVERIFY2(area.contains(bar), qPrintable(QStringLiteral("bar %1,%2 %3x%4")
                                                    .arg(bar.x())
                                                    .arg(bar.y())
                                                    .arg(bar.width())
                                                    .arg(bar.height())));
        QCOMPARE(progress->width(), form.width());
    }

    // A screen smaller than the layout keeps the layout's size: the controls stand at fixed
    // places that need it.
    void aSmallScreenKeepsTheDesignSize() {
        QScreen* small = QGuiApplication::screens().value(2);
        QVERIFY(small);
        MainWindow form;
        form.move(small->geometry().topLeft());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.size(), QSize(1016, 713));
        QCOMPARE(form.frameGeometry().topLeft(), small->availableGeometry().topLeft());
    }
};

int main(int argc, char** argv) {
    QTemporaryDir dir;
    if (!dir.isValid()) return 2;
    const QString config = dir.filePath(QStringLiteral("screens.json"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly)) return 2;
    file.write(R"({"synchronousWindowSystemEvents": false, "windowFrameMargins": true,
        "screens": [
          {"name": "large", "x": 0, "y": 0, "width": 1280, "height": 1024,
           "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1},
          {"name": "medium", "x": 1280, "y": 0, "width": 1024, "height": 768,
           "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1},
          {"name": "small", "x": 2304, "y": 0, "width": 800, "height": 600,
           "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    file.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toLocal8Bit());
    QApplication app(argc, argv);
    MainWindowPlacementTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "main_window_placement_test.moc"
