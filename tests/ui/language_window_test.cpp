// Every window in both interface languages: in English no visible text has a Chinese
// character, in both no text is wider than the control that shows it, and the Chinese
// interface has Qt's own dialogs and buttons in Chinese.

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOption>
#include <QtTest>
#include <memory>

#include "app/main_window.h"
#include "platform/translation.h"
#include "support/pictures.h"
#include "support/window_test_env.h"
#include "windows/about_picture.h"
#include "windows/about_window.h"
#include "windows/help_window.h"
#include "windows/pitch_chart_window.h"
#include "windows/print_preview_window.h"

using lenzora::app::MainWindow;
using lenzora::platform::Language;
using lenzora::testing::findControl;
using lenzora::testing::typeOver;
namespace fs = std::filesystem;

Q_DECLARE_METATYPE(Language)

namespace {

bool hasChinese(const QString& text) {
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        // Han characters, CJK punctuation and the full-width forms ("！", "：").
        if (c.script() == QChar::Script_Han || (u >= 0x3000 && u <= 0x303F) ||
            (u >= 0xFF00 && u <= 0xFFEF))
            return true;
    }
    return false;
}

QString withoutMnemonic(QString text) { return text.remove(QLatin1Char('&')); }

// The width the widget's style leaves for a text, or -1 where the widget shows none.
int roomForText(QWidget* w, const QString& text) {
    QStyle* style = w->style();
    if (auto* box = qobject_cast<QCheckBox*>(w)) {
        return box->width() - style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, w) -
               style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, w);
    }
    if (auto* radio = qobject_cast<QRadioButton*>(w)) {
        return radio->width() - style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, w) -
               style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, w);
    }
    if (auto* button = qobject_cast<QPushButton*>(w)) {
        return button->width() - 2 * style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, w);
    }
    if (auto* group = qobject_cast<QGroupBox*>(w)) {
        QStyleOptionGroupBox option;
        option.initFrom(group);
        option.text = text;
        option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
        option.textAlignment = group->alignment();
        const QRect label =
            style->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, group);
        return group->width() - label.left();
    }
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
        QStyleOptionComboBox option;
        option.initFrom(combo);
        option.editable = combo->isEditable();
        return style
            ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo)
            .width();
    }
    if (auto* label = qobject_cast<QLabel*>(w)) {
        return label->wordWrap() ? -1 : label->contentsRect().width();
    }
    return -1;
}

// The texts a control shows: its caption, a box's title, every entry of a list.
QStringList textsOf(QWidget* w) {
    if (auto* button = qobject_cast<QAbstractButton*>(w)) return {withoutMnemonic(button->text())};
    if (auto* group = qobject_cast<QGroupBox*>(w)) return {group->title()};
    if (auto* label = qobject_cast<QLabel*>(w)) return {label->text()};
    if (auto* edit = qobject_cast<QLineEdit*>(w)) return {edit->text()};
    if (auto* text = qobject_cast<QPlainTextEdit*>(w)) return {text->toPlainText()};
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
        QStringList entries;
        for (int i = 0; i < combo->count(); ++i) entries << combo->itemText(i);
        return entries;
    }
    return {};
}

// What is wrong with the texts of a shown window and its visible controls.
QStringList textProblems(QWidget* window, Language language) {
    QStringList problems;
    const QString windowName = window->objectName();
    if (language == Language::English && hasChinese(window->windowTitle()))
        problems << windowName + " title: " + window->windowTitle();
    QList<QWidget*> controls = window->findChildren<QWidget*>();
    for (QWidget* w : controls) {
        if (!w->isVisibleTo(window) || w->isWindow()) continue;
        const QString where = windowName + "/" + w->objectName() + " (" +
                              QString::fromLatin1(w->metaObject()->className()) + ")";
        for (const QString& text : textsOf(w)) {
            if (text.isEmpty()) continue;
            if (language == Language::English && hasChinese(text))
                problems << where + " shows Chinese: " + text.left(40);
            const int room = roomForText(w, text);
            const int needed = w->fontMetrics().horizontalAdvance(text);
            if (room >= 0 && needed > room)
                problems << where + QStringLiteral(" needs %1 px, has %2: ").arg(needed).arg(room) +
                                text;
            // A control reaching out of its parent is cut off by it.
            if (room >= 0 && !w->parentWidget()->rect().contains(w->geometry()))
                problems << where + " reaches out of its parent: " + text;
        }
    }
    return problems;
}

}  // namespace

class LanguageWindowTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<lenzora::testing::WindowTestEnvironment> env_;

    static void click(QWidget& window, const char* name) {
        QTest::mouseClick(findControl<QPushButton>(window, name), Qt::LeftButton);
    }
    template <class T>
    static T* newest(QWidget& form) {
        return form.findChildren<T*>(QString(), Qt::FindDirectChildrenOnly).value(0);
    }
    std::vector<std::string>& messages() { return env_->scripted.messages->messages; }

    // Two frames composed to 3000 x 2000 pixels at 300 dpi: too large for the stand-in
    // printer's page, so the print preview shows its warning.
    void composeOversize(MainWindow& form) {
        typeOver(findControl<QComboBox>(form, "pitchBox")->lineEdit(), QStringLiteral("75"));
        findControl<QComboBox>(form, "unitBox")->setCurrentIndex(2);
        typeOver(findControl<QLineEdit>(form, "widthEdit"), QStringLiteral("3000"));
        typeOver(findControl<QLineEdit>(form, "heightEdit"), QStringLiteral("2000"));
        for (int slot : {1, 2}) {
            const fs::path frame = env_->root.path() / (std::to_string(slot) + ".bmp");
            lenzora::testing::writeBmp(frame, lenzora::testing::patternImage(64, 48, slot));
            env_->scripted.openPicture->answers.push_back(frame.string());
            click(form, slot == 1 ? "slotButton1" : "slotButton2");
        }
        click(form, "composeButton");
        QTRY_VERIFY_WITH_TIMEOUT(!form.composing(), 60000);  // the compose runs on its own thread
    }

  private slots:
    void init() { env_ = std::make_unique<lenzora::testing::WindowTestEnvironment>(); }
    void cleanup() {
        env_.reset();
        lenzora::platform::useLanguage(Language::Chinese);
    }

    void everyTextFitsItsControl_data() {
        QTest::addColumn<Language>("language");
        QTest::newRow("Chinese") << Language::Chinese;
        QTest::newRow("English") << Language::English;
    }

    void everyTextFitsItsControl() {
        QFETCH(Language, language);
        lenzora::platform::useLanguage(language);
        MainWindow form;
        form.show();
        QStringList problems = textProblems(&form, language);
        composeOversize(form);
        problems << textProblems(&form, language);

        click(form, "printButton");
        auto* preview = newest<lenzora::windows::PrintPreviewWindow>(form);
        QVERIFY(preview);
        QVERIFY(findControl<QLabel>(*preview, "warningLabel")->isVisible());
        click(form, "measurePitchButton");
        auto* chart = newest<lenzora::windows::PitchChartWindow>(form);
        click(*chart, "generateButton");
        QTRY_VERIFY_WITH_TIMEOUT(!chart->generating(), 60000);
        click(form, "helpButton");
        click(form, "aboutButton");
        QWidget* windows[] = {preview, chart, newest<lenzora::windows::HelpWindow>(form),
                              newest<lenzora::windows::AboutWindow>(form)};
        for (QWidget* window : windows) {
            QVERIFY(window && window->isVisible());
            problems << textProblems(window, language);
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    }

    // The help box has no scroll bars of its own: all of its text must lie inside it.
    void theHelpTextFitsItsBox_data() { everyTextFitsItsControl_data(); }
    void theHelpTextFitsItsBox() {
        QFETCH(Language, language);
        lenzora::platform::useLanguage(language);
        lenzora::windows::HelpWindow help(nullptr);
        help.show();
        auto* text = findControl<QPlainTextEdit>(help, "helpText");
        QTextCursor end(text->document());
        end.movePosition(QTextCursor::End);
        QVERIFY(text->cursorRect(end).bottom() < text->viewport()->height());
        QCOMPARE(hasChinese(text->toPlainText()), language == Language::Chinese);
    }

    void theEnglishMessagesAreEnglish() {
        lenzora::platform::useLanguage(Language::English);
        MainWindow form;
        form.show();
        click(form, "composeButton");  // no frames yet
        composeOversize(form);
        click(form, "measurePitchButton");
        auto* chart = newest<lenzora::windows::PitchChartWindow>(form);
        typeOver(findControl<QComboBox>(*chart, "dpiBox")->lineEdit(), QStringLiteral("0"));
        click(*chart, "generateButton");
        QCOMPARE(messages(),
                 (std::vector<std::string>{"Frame 1 has no picture yet.",
                                           "The picture is composed.", "The DPI is not valid."}));
    }

    void theAboutPictureFollowsTheLanguage() {
        lenzora::platform::useLanguage(Language::Chinese);
        const QImage chinese = lenzora::windows::aboutPicture();
        lenzora::platform::useLanguage(Language::English);
        const QImage english = lenzora::windows::aboutPicture();
        QCOMPARE(chinese.size(), QSize(353, 289));
        QCOMPARE(english.size(), QSize(353, 289));
        QVERIFY(chinese != english);
    }

    // Qt's own buttons and dialogs: Chinese in the Chinese interface, English otherwise.
    void qtsOwnTextsFollowTheLanguage_data() { everyTextFitsItsControl_data(); }
    void qtsOwnTextsFollowTheLanguage() {
        QFETCH(Language, language);
        lenzora::platform::useLanguage(language);
        const bool chinese = language == Language::Chinese;
        QMessageBox box(QMessageBox::NoIcon, QString(), QStringLiteral("x"),
                        QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(hasChinese(box.button(QMessageBox::Ok)->text()), chinese);
        QCOMPARE(hasChinese(box.button(QMessageBox::Cancel)->text()), chinese);

        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.show();
        auto* buttons = dialog.findChild<QDialogButtonBox*>();
        QVERIFY(buttons);
        for (QAbstractButton* button : buttons->buttons())
            QVERIFY2(hasChinese(button->text()) == chinese, qPrintable(button->text()));
        dialog.close();
    }
};

QTEST_MAIN(LanguageWindowTest)
#include "language_window_test.moc"
