// The help and about windows, opened through the main window's buttons, and the splash
// screen of the start-up.

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QWindow>
#include <QtTest>
#include <chrono>
#include <memory>

#include "app/main_window.h"
#include "app/start_up.h"
#include "platform/drive_paths.h"
#include "platform/testing/scripted_services.h"
#include "platform/web_page.h"
#include "support/temp_dir.h"
#include "support/window_test_env.h"
#include "windows/about_window.h"
#include "windows/help_window.h"

using lenzora::app::MainWindow;
using lenzora::windows::AboutWindow;
using lenzora::windows::HelpWindow;

class HelpWindowsTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<lenzora::testing::WindowTestEnvironment> env_;

    template <class T>
    static QList<T*> windowsOf(QWidget& form) {
        return form.findChildren<T*>(QString(), Qt::FindDirectChildrenOnly);
    }
    static QPushButton* button(QWidget& form, const char* name) {
        return form.findChild<QPushButton*>(QString::fromLatin1(name));
    }
    // The area lies over the web address printed in the picture.
    static void clickWebAddress(AboutWindow* about, Qt::MouseButton mouseButton = Qt::LeftButton) {
        QWidget* area = about->findChild<QWidget*>(QStringLiteral("webAddressArea"));
        QVERIFY(area);
        QCOMPARE(area->geometry(), QRect(72, 258, 273, 25));
        QTest::mouseClick(area, mouseButton);
    }
    static QTimer* splashTimer(AboutWindow* about) {
        return about->findChild<QTimer*>(QStringLiteral("splashTimer"));
    }

  private slots:
    void init() { env_ = std::make_unique<lenzora::testing::WindowTestEnvironment>(); }
    void cleanup() { env_.reset(); }

    void helpOpensANewWindowAtEveryClick() {
        MainWindow form;
        form.show();
        QTest::mouseClick(button(form, "helpButton"), Qt::LeftButton);
        QTest::mouseClick(button(form, "helpButton"), Qt::LeftButton);
        QList<HelpWindow*> helps = windowsOf<HelpWindow>(form);
        QCOMPARE(helps.size(), 2);
        for (HelpWindow* help : helps) {
            QVERIFY(help->isVisible());
            QVERIFY(help->isWindow());
            QCOMPARE(help->windowTitle(), QString::fromUtf8("帮助"));
        }
        helps[0]->close();  // closing hides; the window stays with its owner
        QCOMPARE(windowsOf<HelpWindow>(form).size(), 2);
        QVERIFY(!helps[0]->isVisible());
        QVERIFY(helps[1]->isVisible());
    }

    void helpTextFollowsTheOutlineAndScrollsToItsEnd() {
        MainWindow form;
        form.show();
        QTest::mouseClick(button(form, "helpButton"), Qt::LeftButton);
        HelpWindow* help = windowsOf<HelpWindow>(form).value(0);
        QVERIFY(help);
        QVERIFY(QTest::qWaitForWindowExposed(help));
        auto* memo = help->findChild<QPlainTextEdit*>(QStringLiteral("helpText"));
        QVERIFY(memo);
        QCOMPARE(memo->size(), QSize(569, 1200));
        QVERIFY(!memo->isReadOnly());
        const QString text = memo->toPlainText();
        QVERIFY(text.startsWith(QStringLiteral("\n\n")));
        qsizetype last = -1;
        for (const char* mark : {"Lenzora", "a)", "b)", "c)", "(1)", "(2)", "(3)", "(4)", "(5)",
                                 "(6)", "(7)", "(8)"}) {
            qsizetype at = text.indexOf(QString::fromLatin1(mark));
            QVERIFY2(at > last, mark);
            last = at;
        }

        QScrollBar* bar = help->verticalScrollBar();
        QVERIFY(bar->maximum() > 0);
        bar->setValue(bar->maximum());
        QPoint bottom = memo->mapTo(help->viewport(), QPoint(0, memo->height() - 1));
        QVERIFY(bottom.y() < help->viewport()->height());
        QPoint top = memo->mapTo(help->viewport(), QPoint(0, 0));
        QVERIFY(top.y() < 0);
    }

    // Each button opens a new window per click, not modal, of dialog type with the main
    // window as its transient parent: on X11 only dialog-type windows get WM_TRANSIENT_FOR,
    // and without it a click on the screen-filling main window buries them.
    void secondaryWindowsStayAboveTheMainWindow_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("window");
        QTest::newRow("help") << "helpButton"
                              << "helpWindow";
        QTest::newRow("about") << "aboutButton"
                               << "aboutWindow";
        QTest::newRow("pitch chart") << "measurePitchButton"
                                     << "pitchChartWindow";
    }
    void secondaryWindowsStayAboveTheMainWindow() {
        QFETCH(QString, button);
        QFETCH(QString, window);
        MainWindow form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto* opener = form.findChild<QPushButton*>(button);
        QVERIFY(opener);
        QTest::mouseClick(opener, Qt::LeftButton);
        QTest::mouseClick(opener, Qt::LeftButton);
        QList<QWidget*> opened;
        for (QWidget* w : form.findChildren<QWidget*>(window, Qt::FindDirectChildrenOnly))
            if (w->isVisible()) opened.append(w);
        QCOMPARE(opened.size(), 2);
        QVERIFY(opened[0] != opened[1]);
        for (QWidget* w : opened) {
            QVERIFY(QTest::qWaitForWindowExposed(w));
            QCOMPARE(w->windowType(), Qt::Dialog);
            QCOMPARE(w->windowModality(), Qt::NonModal);
            QVERIFY(w->windowHandle());
            QCOMPARE(w->windowHandle()->transientParent(), form.windowHandle());
        }
        // The about window keeps the splash's "always on top" with its dialog border.
        if (window == "aboutWindow") {
            for (QWidget* w : opened) {
                QVERIFY(w->windowFlags() & Qt::WindowStaysOnTopHint);
                QVERIFY(w->windowHandle()->flags() & Qt::WindowStaysOnTopHint);
            }
        }
    }

    void aboutStaysOpenUntilTheUserClosesIt() {
        MainWindow form;
        form.show();
        QTest::mouseClick(button(form, "aboutButton"), Qt::LeftButton);
        AboutWindow* about = windowsOf<AboutWindow>(form).value(0);
        QVERIFY(about);
        QCOMPARE(about->windowTitle(), QString::fromUtf8("关于"));
        QVERIFY(!(about->windowFlags() & Qt::FramelessWindowHint));
        QVERIFY(about->windowFlags() & Qt::WindowCloseButtonHint);
        QVERIFY(!(about->windowFlags() & Qt::WindowMinimizeButtonHint));
        // Its splash timer runs as in the splash; when it fires, nothing closes the window.
        QSignalSpy over(about, &AboutWindow::splashOver);
        splashTimer(about)->start(0);
        QVERIFY(over.wait());
        QVERIFY(about->isVisible());
        about->close();
        QVERIFY(!about->isVisible());
    }

    void aboutShowsItsPicture() {
        AboutWindow about;
        auto* image = about.findChild<QLabel*>(QStringLiteral("picture"));
        QVERIFY(image);
        QCOMPARE(about.size(), QSize(353, 289));
        QImage picture = image->pixmap().toImage();
        QCOMPARE(picture.size(), QSize(353, 289));
        // A real photograph, not a blank: the sky and the web address strip differ.
        QVERIFY(picture.pixelColor(10, 10) != picture.pixelColor(200, 270));
        QVERIFY(picture.pixelColor(10, 10).blue() > picture.pixelColor(10, 10).red());
        // The version is the build's, not one drawn into the picture.
        auto* version = about.findChild<QLabel*>(QStringLiteral("versionLabel"));
        QVERIFY(version);
        QCOMPARE(version->text(), QStringLiteral(LENZORA_VERSION));
    }

    void theWebAddressClosesOnlyItsOwnWindowAndOpensThePage() {
        MainWindow form;
        form.show();
        QTest::mouseClick(button(form, "aboutButton"), Qt::LeftButton);
        QTest::mouseClick(button(form, "aboutButton"), Qt::LeftButton);
        QList<AboutWindow*> abouts = windowsOf<AboutWindow>(form);
        QCOMPARE(abouts.size(), 2);
        clickWebAddress(abouts[0], Qt::RightButton);  // any mouse button
        QVERIFY(!abouts[0]->isVisible());
        QVERIFY(abouts[1]->isVisible());
        QCOMPARE(env_->scripted.shell->opened.size(), std::size_t{1});
        QCOMPARE(env_->scripted.shell->opened[0].second,
                 std::string(lenzora::platform::kMakerWebAddress));

        QContextMenuEvent request(QContextMenuEvent::Keyboard, QPoint(5, 5), QPoint(5, 5));
        QApplication::sendEvent(abouts[1]->findChild<QWidget*>(QStringLiteral("webAddressArea")),
                                &request);
        QVERIFY(!abouts[1]->isVisible());
        QCOMPARE(env_->scripted.shell->opened.size(), std::size_t{2});
    }

    void theSplashTimerRunsTwoSecondsAndFiresOnce() {
        AboutWindow about;
        QTimer* timer = splashTimer(&about);
        QVERIFY(timer);
        QCOMPARE(timer->interval(), 2000);
        QVERIFY(timer->isActive());  // counting from the window's creation
        QSignalSpy over(&about, &AboutWindow::splashOver);
        timer->start(0);  // fired now rather than waited for
        QVERIFY(over.wait());
        QCoreApplication::processEvents();
        QCOMPARE(over.size(), 1);
        QVERIFY(!timer->isActive());
    }

    void aShortenedSplashEndsByItself() {
        AboutWindow about(nullptr, std::chrono::milliseconds(0));
        QSignalSpy over(&about, &AboutWindow::splashOver);
        QVERIFY(over.wait());
        QCoreApplication::processEvents();
        QCOMPARE(over.size(), 1);
    }

    void splashShowsBeforeTheMainWindowAndAnswersClicks() {
        // Watches each pass of the start-up's event loop for the splash; once it is up, looks
        // at both windows, clicks the web address and ends the splash.
        bool splashSeen = false;
        bool mainVisibleDuringSplash = true;
        Qt::WindowFlags splashFlags;
        QTimer watcher;
        watcher.setInterval(0);
        connect(&watcher, &QTimer::timeout, this, [&] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* splash = qobject_cast<AboutWindow*>(w);
                if (splash == nullptr || !splash->isVisible()) continue;
                watcher.stop();
                splashSeen = true;
                splashFlags = splash->windowFlags();
                for (QWidget* other : QApplication::topLevelWidgets()) {
                    if (qobject_cast<MainWindow*>(other))
                        mainVisibleDuringSplash = other->isVisible();
                }
                clickWebAddress(splash);
                splashTimer(splash)->start(0);
            }
        });
        watcher.start();
        // Long enough that only the watcher ends the splash.
        std::unique_ptr<MainWindow> form = lenzora::app::startProgram(std::chrono::minutes(1));
        QVERIFY(splashSeen);
        QVERIFY(splashFlags & Qt::FramelessWindowHint);
        QVERIFY(splashFlags & Qt::WindowStaysOnTopHint);
        QVERIFY(!mainVisibleDuringSplash);
        QVERIFY(form->isVisible());
        QCOMPARE(env_->scripted.shell->opened.size(), std::size_t{1});  // the click during the wait
        for (QWidget* w : QApplication::topLevelWidgets()) {
            QVERIFY2(!qobject_cast<AboutWindow*>(w), "the splash is destroyed");
        }
    }
};

QTEST_MAIN(HelpWindowsTest)
#include "help_windows_test.moc"
