// The "upright photos" check box: ticked at first, followed by the frames loaded after a change
// (the loader's switch), and kept for the next run.

#include <QCheckBox>
#include <QSettings>
#include <QtTest>

#include "app/main_window.h"
#include "frames/load_frame.h"
#include "support/window_test_env.h"

class UprightPhotosWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void theChoiceIsFollowedAndKept() {
        lenzora::testing::WindowTestEnvironment env;
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(env.root.path().string()));
        for (bool ticked : {true, false}) {
            lenzora::app::MainWindow form;
            auto* box = lenzora::testing::findControl<QCheckBox>(form, "uprightBox");
            QCOMPARE(box->isChecked(), ticked);
            QCOMPARE(lenzora::frames::uprightPhotos(), ticked);
            QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
            QCOMPARE(lenzora::frames::uprightPhotos(), !ticked);
            lenzora::frames::setUprightPhotos(true);  // a new run starts with the default
        }
    }
};

QTEST_MAIN(UprightPhotosWindowTest)
#include "upright_photos_window_test.moc"
