// The window's "upright photos" preference through its real check box: ticked at first, kept
// from run to run, and followed by the frames loaded after a change.

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QtTest>
#include <memory>

#include "app/main_window.h"
#include "frames/load_frame.h"
#include "platform/save_file.h"
#include "raster/jpeg_codec.h"
#include "support/encoded_pictures.h"
#include "support/pictures.h"
#include "support/temp_dir.h"
#include "support/window_test_env.h"

using lenzora::app::MainWindow;
using lenzora::testing::findControl;

class UprightPhotosWindowTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<lenzora::testing::WindowTestEnvironment> env_;
    std::unique_ptr<lenzora::testing::TempDir> options_;

    // A photo stored turned left, whose camera recorded that it stands turned right: upright,
    // its top left is red; as stored, blue.
    std::string turnedPhoto() {
        lenzora::raster::JpegOptions options;
        options.exif = lenzora::testing::orientationExif(6);
        const auto path = env_->root.path() / "turned.jpg";
        lenzora::platform::saveWholeFile(
            path, lenzora::raster::encodeJpeg(lenzora::testing::gridImage("BW/GK/RY", 8), options));
        return path.string();
    }
    // The top-left colour of slot 1's thumbnail after loading the photo through its button.
    QColor loadedCorner(MainWindow& form) {
        env_->scripted.openPicture->answers.push_back(turnedPhoto());
        QTest::mouseClick(findControl<QPushButton>(form, "slotButton1"), Qt::LeftButton);
        return findControl<QLabel>(form, "thumbnail1")->pixmap().toImage().pixelColor(0, 0);
    }

  private slots:
    void init() {
        env_ = std::make_unique<lenzora::testing::WindowTestEnvironment>();
        options_ = std::make_unique<lenzora::testing::TempDir>();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(options_->path().string()));
    }
    void cleanup() {
        lenzora::frames::setUprightPhotos(true);
        env_.reset();
        options_.reset();
    }

    void ticked_byDefault_andPhotosLoadUpright() {
        MainWindow form;
        auto* box = findControl<QCheckBox>(form, "uprightBox");
        QCOMPARE(box->text(), QString::fromUtf8("按拍摄方向摆正照片"));
        QVERIFY(box->isChecked());
        QVERIFY(!box->toolTip().isEmpty());
        QVERIFY(box->geometry().top() >= 424);  // under the last row of thumbnails
        QVERIFY(box->geometry().bottom() <
                findControl<QLabel>(form, "webAddressLabel")->geometry().top());
        QVERIFY(loadedCorner(form).red() > 200);
    }

    void untickedIsKept_andPhotosLoadAsStored() {
        {
            MainWindow form;
            auto* box = findControl<QCheckBox>(form, "uprightBox");
            QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
            QVERIFY(loadedCorner(form).blue() > 200);
        }
        lenzora::frames::setUprightPhotos(true);  // the next run starts afresh
        MainWindow again;
        QVERIFY(!findControl<QCheckBox>(again, "uprightBox")->isChecked());
        QVERIFY(loadedCorner(again).blue() > 200);
    }
};

QTEST_MAIN(UprightPhotosWindowTest)
#include "upright_photos_window_test.moc"
