// The desktop program's message boxes and file dialogs: looked at while they are up, then
// answered.

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
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

  private:
    QTemporaryDir options_;

  private slots:
    // The dialogs' options go to a folder of the test's own, not the user's.
    void initTestCase() {
        QVERIFY(options_.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, options_.path());
    }

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

    void openDialogShowsTheFiltersItIsGiven() {
        auto services = lenzora::platform::qtServices();
        QStringList filters;
        QString suffix;
        QFileDialog::FileMode mode = QFileDialog::AnyFile;
        QTimer::singleShot(0, [&filters, &suffix, &mode] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            filters = dialog->nameFilters();
            suffix = dialog->defaultSuffix();
            mode = dialog->fileMode();
            dialog->reject();
        });
        QCOMPARE(services.openPicture->choose(
                     {{"All (*.jpg;*.png)", {"*.jpg", "*.jpeg", "*.png"}, "jpg"},
                      {"PNG", {"*.png"}, "png"}}),
                 std::vector<std::string>());
        QCOMPARE(mode, QFileDialog::ExistingFiles);  // several files at once
        QCOMPARE(filters, QStringList({QStringLiteral("All (*.jpg;*.png) (*.jpg *.jpeg *.png)"),
                                       QStringLiteral("PNG (*.png)")}));
        QCOMPARE(suffix, QStringLiteral("jpg"));
    }

    // Roomy enough for the side bar, the folder field and the whole name column beside the
    // preview; the size the user gives it is the size it opens with next time.
    void openDialogIsRoomyAndKeepsItsSize() {
        auto services = lenzora::platform::qtServices();
        QList<int> widths;  // side bar, folder field, name column, file list
        QSize opened[2];
        for (int time = 0; time < 2; ++time) {
            QTimer::singleShot(0, [&widths, &opened, time] {
                auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                if (!dialog) return;
                opened[time] = dialog->size();
                auto* list = dialog->findChild<QTreeView*>(QStringLiteral("treeView"));
                if (time == 0)
                    widths = {dialog->findChild<QWidget*>(QStringLiteral("sidebar"))->width(),
                              dialog->findChild<QWidget*>(QStringLiteral("lookInCombo"))->width(),
                              list->header()->sectionSize(0), list->viewport()->width()};
                dialog->resize(640, 420);
                dialog->reject();
            });
            services.openPicture->choose({});
        }
        QCOMPARE(widths.size(), 4);
        QVERIFY(widths[0] >= 100 && widths[1] >= 200 && widths[2] <= widths[3]);
        QCOMPARE(opened[1], QSize(640, 420));
    }

    void saveDialogAddsTheChosenFiltersExtension() {
        auto services = lenzora::platform::qtServices();
        const QString folder = QDir::tempPath();
        struct Case {
            int filter;
            const char* typed;
            const char* saved;
        } cases[] = {{0, "card", "card.bmp"},
                     {2, "card", "card.png"},
                     {3, "card", "card.tif"},
                     {3, "card.jpg", "card.jpg"}};
        for (const Case& c : cases) {
            QStringList filters;
            QTimer::singleShot(0, [&filters, &c] {
                auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                if (!dialog) return;
                filters = dialog->nameFilters();
                // As a click in the file type box does.
                auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
                if (types) {
                    types->setCurrentIndex(c.filter);
                    emit types->activated(c.filter);
                    emit types->textActivated(types->currentText());
                }
                auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                if (name) name->setText(QString::fromUtf8(c.typed));
                static_cast<QDialog*>(dialog)->accept();  // the dialog's own accept, as Save does
            });
            const std::string chosen =
                services.savePicture->choose({{"B", {"*.bmp"}, "bmp"},
                                              {"J", {"*.jpg"}, "jpg"},
                                              {"P", {"*.png"}, "png"},
                                              {"T", {"*.tif"}, "tif"}},
                                             (folder + QStringLiteral("/x")).toStdString());
            QCOMPARE(filters.size(), 4);
            QCOMPARE(QFileInfo(QString::fromStdString(chosen)).fileName(),
                     QString::fromUtf8(c.saved));
        }
    }
};

QTEST_MAIN(QtServicesTest)
#include "qt_services_test.moc"
