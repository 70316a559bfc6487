// Jobs in the main window: saved with Ctrl+S and opened with Ctrl+O through the job dialog's
// stand-in, the recent jobs of the "作业" menu, and job files that are refused.

#include <sys/stat.h>

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QtTest>
#include <fstream>
#include <memory>

#include "app/main_window.h"
#include "support/pictures.h"
#include "support/window_test_env.h"

using lenzora::app::MainWindow;
using lenzora::testing::findControl;
using lenzora::testing::typeOver;
namespace fs = std::filesystem;

class JobWindowTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<lenzora::testing::WindowTestEnvironment> env_;
    std::unique_ptr<lenzora::testing::TempDir> config_;

    fs::path dir() const { return env_->root.path(); }
    std::vector<std::string>& errors() { return env_->scripted.messages->errors; }

    static std::string frame(const fs::path& path, int tag) {
        const auto picture = lenzora::testing::patternImage(40 + tag, 30, tag);
        fs::create_directories(path.parent_path());
        if (path.extension() == ".jpg")
            lenzora::testing::writeJpeg(path, picture);
        else
            lenzora::testing::writeBmp(path, picture);
        return path.string();
    }
    void loadSlot(MainWindow& form, int slot, const std::string& path) {
        env_->scripted.openPicture->answers.push_back(path);
        const std::string button = "slotButton" + std::to_string(slot);
        QTest::mouseClick(findControl<QPushButton>(form, button.c_str()), Qt::LeftButton);
    }
    // The job dialog answers `path` to Ctrl+O (open) or Ctrl+S (save).
    void jobCommand(MainWindow& form, Qt::Key key, const std::string& path) {
        env_->scripted.jobFile->answers.push_back(path);
        QTest::keyClick(&form, key, Qt::ControlModifier);
    }
    static void show(MainWindow& form) {
        form.show();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
    }
    // All a job sets, as the window shows and holds it.
    static QStringList state(MainWindow& form) {
        QStringList shown = {
            findControl<QComboBox>(form, "pitchBox")->currentText(),
            findControl<QLineEdit>(form, "widthEdit")->text(),
            findControl<QLineEdit>(form, "heightEdit")->text(),
            findControl<QComboBox>(form, "unitBox")->currentText(),
            findControl<QRadioButton>(form, "rowsModeButton")->isChecked() ? "rows" : "columns",
            findControl<QLabel>(form, "resolutionLabel")->text(),
            QString::number(form.settings().frameCount)};
        for (int slot = 1; slot <= 16; ++slot) {
            const std::string name = "thumbnail" + std::to_string(slot);
            shown << QString::fromStdString(form.frameSlots()[slot]) +
                         (findControl<QLabel>(form, name.c_str())->pixmap().isNull() ? "" : " +");
        }
        return shown;
    }
    static QJsonObject jobObject(const fs::path& path) {
        QFile file(QString::fromStdString(path.string()));
        return file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()).object()
                                              : QJsonObject();
    }
    static QStringList recentJobs(MainWindow& form) {
        QStringList names;
        for (int i = 1; i <= 9; ++i) {
            if (auto* action = form.findChild<QAction*>(QStringLiteral("recentJobAction%1").arg(i)))
                names << action->text();
        }
        return names;
    }

  private slots:
    void init() {
        env_ = std::make_unique<lenzora::testing::WindowTestEnvironment>();
        config_ = std::make_unique<lenzora::testing::TempDir>();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(config_->path().string()));
    }
    void cleanup() {
        env_.reset();
        config_.reset();
    }

    // A job saved from one window sets another, which held other frames and settings, to the
    // same boxes, slots, thumbnails and frame count; a missing frame is named and left out.
    void aJobRoundTripsThroughSaveAndOpen() {
        const std::string job = (dir() / "card.lzjob").string();
        const std::string outside = frame(config_->path() / "d.bmp", 4);
        const fs::path part = dir() / "part.lzjob";  // a job of an output and calibration only
        std::ofstream(part) << "{\"version\": 1, \"output\": \"card.tif\", \"calibration\": true}";
        QStringList saved;
        {
            MainWindow form;
            show(form);
            jobCommand(form, Qt::Key_O, part.string());
            form.findChild<QRadioButton*>("rowsModeButton")->setChecked(true);
            findControl<QComboBox>(form, "unitBox")->setCurrentIndex(2);
            typeOver(findControl<QComboBox>(form, "pitchBox")->lineEdit(), "21.25");
            typeOver(findControl<QLineEdit>(form, "widthEdit"), "900");
            typeOver(findControl<QLineEdit>(form, "heightEdit"), "600");
            loadSlot(form, 1, frame(dir() / "f" / "a.jpg", 1));
            loadSlot(form, 2, frame(dir() / "f" / "b.bmp", 2));
            loadSlot(form, 4, outside);
            jobCommand(form, Qt::Key_S, (dir() / "card").string());  // ".lzjob" is added
            saved = state(form);
        }
        // The pictures chosen, not their working copies: relative below the job's folder.
        const QJsonObject first = jobObject(job);
        QCOMPARE(first.value("frames"), QJsonValue(QJsonArray{"f/a.jpg", "f/b.bmp", QJsonValue(),
                                                              QString::fromStdString(outside)}));
        QCOMPARE(first.value("output"), "card.tif");
        QCOMPARE(first.value("calibration"), true);

        MainWindow other;
        show(other);
        for (int slot = 1; slot <= 6; ++slot) loadSlot(other, slot, frame(dir() / "x.bmp", 9));
        typeOver(findControl<QComboBox>(other, "pitchBox")->lineEdit(), "75.15");
        jobCommand(other, Qt::Key_O, job);
        QVERIFY(errors().empty());
        QCOMPARE(state(other), saved);
        // The dialogs open in the last job's folder.
        QCOMPARE(env_->scripted.jobFile->folders,
                 (std::vector<std::string>{"", dir().string(), dir().string()}));
        jobCommand(other, Qt::Key_S, (dir() / "again.lzjob").string());
        QCOMPARE(jobObject(dir() / "again.lzjob"), first);

        fs::remove(dir() / "f" / "b.bmp");
        jobCommand(other, Qt::Key_O, job);
        QCOMPARE(env_->scripted.messages->messages,
                 std::vector<std::string>{"找不到这些帧的文件:\n图2: " +
                                          (dir() / "f" / "b.bmp").string()});
        saved[8] = "";  // slot 2
        QCOMPARE(state(other), saved);
    }

    // The last eight jobs, the latest first, kept for the next start; one opens from the menu.
    void theLastEightJobsAreOffered() {
        std::vector<std::string> jobs;
        QStringList expected;
        {
            MainWindow form;
            show(form);
            for (int i = 1; i <= 9; ++i) {
                jobs.push_back((dir() / ("j" + std::to_string(i) + ".lzjob")).string());
                std::ofstream(jobs.back()) << "{\"version\": 1, \"pitch\": \"" << 20 + i << "\"}";
                jobCommand(form, Qt::Key_O, jobs.back());
                if (i > 1)
                    expected.prepend(QStringLiteral("&%1 ") + QString::fromStdString(jobs.back()));
            }
        }
        for (int i = 0; i < 8; ++i) expected[i] = expected[i].arg(i + 1);
        MainWindow again;
        QCOMPARE(recentJobs(again), expected);
        again.findChild<QAction*>("recentJobAction8")->trigger();  // j2
        QCOMPARE(findControl<QComboBox>(again, "pitchBox")->currentText(), "22");
        QCOMPARE(recentJobs(again).first(), "&1 " + QString::fromStdString(jobs[1]));
        QVERIFY(errors().empty());
    }

    void hostileJobFilesChangeNothing_data() {
        QTest::addColumn<QString>("content");  // "fifo", "50 MB", a device, or the file's text
        QTest::addColumn<QString>("problem");
        const QString frames17 =
            "{\"version\": 1, \"frames\": [" + QString("null,").repeated(16) + "0]}";
        const QString rows[][3] = {
            {"not JSON", "{\"version\": 1,", "不是 JSON 格式的作业"},
            {"unknown version", "{\"version\": 2}", "作业版本 2 未知"},
            {"number for text", "{\"version\": 1, \"pitch\": 21.25}", "\"pitch\" 的类型不对"},
            {"17 frames", frames17, "帧多于 16 个"},
            {"50 MB", "50 MB", "文件大于 1 MB"},
            {"a pipe", "fifo", "Not a regular file"},
            {"a device", "/dev/zero", "Not a regular file"},
        };
        for (const auto& row : rows) QTest::newRow(qPrintable(row[0])) << row[1] << row[2];
    }
    void hostileJobFilesChangeNothing() {
        QFETCH(QString, content);
        QFETCH(QString, problem);
        fs::path job = dir() / "hostile.lzjob";
        if (content == "fifo") {
            QCOMPARE(::mkfifo(job.c_str(), 0600), 0);
        } else if (content.startsWith('/')) {
            job = content.toStdString();
        } else {
            std::ofstream(job) << (content == "50 MB" ? "{\"version\": 1}" : content.toStdString());
            if (content == "50 MB") fs::resize_file(job, 50u << 20);
        }
        MainWindow form;
        show(form);
        loadSlot(form, 3, frame(dir() / "c.bmp", 3));
        const QStringList before = state(form);
        jobCommand(form, Qt::Key_O, job.string());
        QCOMPARE(errors(), std::vector<std::string>{"无法打开作业 \"" + job.string() +
                                                    "\": " + problem.toStdString() + "."});
        QCOMPARE(state(form), before);
        QVERIFY(recentJobs(form).isEmpty());
        QVERIFY(env_->scripted.messages->messages.empty());
    }
};

QTEST_MAIN(JobWindowTest)
#include "job_window_test.moc"
