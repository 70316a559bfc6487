// Shows every window of the program with the sample frames composed and saves a picture of
// each, in the interface language of the desktop (LENZORA_LANG): run under a real X server
// (scripts/screenshots.sh uses Xvfb).
//
//   screenshot_windows OUTPUT_FOLDER SAMPLES_FOLDER

#include <QApplication>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSpinBox>
#include <QThread>
#include <cstdio>
#include <filesystem>

#include "app/main_window.h"
#include "platform/drive_paths.h"
#include "platform/qt/font_substitutions.h"
#include "platform/testing/scripted_services.h"
#include "platform/translation.h"
#include "windows/about_window.h"
#include "windows/effect_window.h"
#include "windows/help_window.h"
#include "windows/pitch_chart_window.h"
#include "windows/print_preview_window.h"

namespace fs = std::filesystem;

namespace {

void settle() {
    for (int i = 0; i < 20; ++i) {
        QApplication::processEvents();
        QThread::msleep(20);
    }
}

bool save(QWidget* window, const fs::path& path) {
    window->raise();
    window->activateWindow();
    settle();
    const QPixmap picture = window->grab();
    const bool saved = picture.save(QString::fromStdString(path.string()));
    std::printf("%s %s (%d x %d)\n", saved ? "saved" : "FAILED", path.c_str(), picture.width(),
                picture.height());
    return saved;
}

// Types into a box key by key, as the window reacts to each key released.
void type(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(edit, &press);
        QApplication::sendEvent(edit, &release);
    }
}

template <class T>
T* newest(QWidget& owner) {
    const QList<T*> all = owner.findChildren<T*>(QString(), Qt::FindDirectChildrenOnly);
    return all.isEmpty() ? nullptr : all.last();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: screenshot_windows OUTPUT_FOLDER SAMPLES_FOLDER\n");
        return 2;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationDisplayName(QString());
    lenzora::platform::useLanguage(lenzora::platform::desktopLanguage());
    lenzora::platform::registerFontSubstitutions();
    const fs::path out = argv[1];
    const fs::path samples = fs::absolute(argv[2]);
    fs::create_directories(out);
    const fs::path work = fs::temp_directory_path() / "lenzora-screenshots";
    fs::create_directories(work);
    lenzora::platform::setDriveRoot(work);
    // The sheet's choices made below are kept in a settings folder of the tool's own.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString((work / "options").string()));

    // Dialogs and the printer answered by script, so nothing waits for a person.
    lenzora::platform::testing::ScriptedServices scripted;
    bool ok = true;
    {
        lenzora::app::MainWindow form;
        form.show();
        const char* buttons[] = {"slotButton1", "slotButton2", "slotButton3", "slotButton4"};
        for (int i = 0; i < 4; ++i) {
            scripted.openPicture->answers.push_back(
                (samples / ("scene-" + std::to_string(i + 1) + ".jpg")).string());
            form.findChild<QPushButton*>(QString::fromLatin1(buttons[i]))->click();
        }
        form.findChild<QPushButton*>(QStringLiteral("composeButton"))->click();
        while (form.composing()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        ok &= save(&form, out / "main-window.png");

        form.findChild<QPushButton*>(QStringLiteral("helpButton"))->click();
        ok &= save(newest<lenzora::windows::HelpWindow>(form), out / "help-window.png");
        form.findChild<QPushButton*>(QStringLiteral("aboutButton"))->click();
        ok &= save(newest<lenzora::windows::AboutWindow>(form), out / "about-window.png");
        form.findChild<QPushButton*>(QStringLiteral("printButton"))->click();
        ok &= save(newest<lenzora::windows::PrintPreviewWindow>(form), out / "print-preview.png");
        form.findChild<QPushButton*>(QStringLiteral("measurePitchButton"))->click();
        auto* chart = newest<lenzora::windows::PitchChartWindow>(form);
        chart->findChild<QPushButton*>(QStringLiteral("generateButton"))->click();
        ok &= save(chart, out / "chart-window.png");

        // The effect preview at view 2, through the print's own pitch, then through a sheet
        // whose true pitch is 1 % finer than the print's.
        form.findChild<QPushButton*>(QStringLiteral("effectButton"))->click();
        auto* effect = form.findChild<lenzora::windows::EffectWindow*>();
        effect->resize(900, 700);
        settle();
        while (effect->building()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
        QApplication::sendEvent(effect, &right);
        ok &= save(effect, out / "effect-window.png");
        auto* pitch = effect->findChild<QLineEdit*>(QStringLiteral("sheetPitchEdit"));
        const double finer = pitch->text().toDouble() * 1.01;
        pitch->setText(QString::number(finer, 'f', 3));
        emit pitch->textEdited(pitch->text());
        ok &= save(effect, out / "effect-mismatch.png");
        effect->close();

        // Cards of 85 x 55 mm, as many as fit on A4 with crop marks and the label line.
        type(form.findChild<QLineEdit*>(QStringLiteral("widthEdit")), QStringLiteral("85"));
        type(form.findChild<QLineEdit*>(QStringLiteral("heightEdit")), QStringLiteral("55"));
        form.findChild<QPushButton*>(QStringLiteral("composeButton"))->click();
        while (form.composing()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        form.findChild<QPushButton*>(QStringLiteral("printButton"))->click();
        auto* sheet = newest<lenzora::windows::PrintPreviewWindow>(form);
        sheet->findChild<QSpinBox*>(QStringLiteral("copiesBox"))->setValue(0);
        sheet->findChild<QDoubleSpinBox*>(QStringLiteral("marginBox"))->setValue(5);
        sheet->findChild<QDoubleSpinBox*>(QStringLiteral("gapBox"))->setValue(6);
        sheet->findChild<QCheckBox*>(QStringLiteral("cropMarksBox"))->setChecked(true);
        sheet->findChild<QCheckBox*>(QStringLiteral("labelBox"))->setChecked(true);
        ok &= save(sheet, out / "print-sheet.png");
    }
    fs::remove_all(work);
    return ok ? 0 : 1;
}
