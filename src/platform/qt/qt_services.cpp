#include "platform/qt/qt_services.h"

#include "platform/program_options.h"
#include "platform/qt/qt_printer.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QImageReader>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
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
    void showErrorReport(const std::string& text) override { showBox(QMessageBox::Critical, text); }
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

// The open dialog's size as the user leaves it, kept from run to run.
constexpr const char* kOpenDialogSizeKey = "openPictureDialog/size";

// Room for the side bar, the folder field and the file list's name column beside the preview
// on a 1024 x 768 screen; Qt's own size cuts them off.
constexpr QSize kOpenDialogSize(960, 640);
constexpr int kSideBarWidth = 160;

// The first time, the roomy size and a side bar wide enough for its names; then the size the
// user left it at (Qt keeps the side bar's), within the screen.
void sizeOpenDialog(QFileDialog& dialog) {
    const QSize kept = programOptions().value(QString::fromLatin1(kOpenDialogSizeKey)).toSize();
    const QScreen* screen = dialog.screen();
    const QSize wanted = kept.isValid() ? kept : kOpenDialogSize;
    dialog.resize(screen != nullptr ? wanted.boundedTo(screen->availableGeometry().size())
                                    : wanted);
    auto* sides = dialog.findChild<QSplitter*>(QStringLiteral("splitter"));
    if (!kept.isValid() && sides != nullptr)
        sides->setSizes({kSideBarWidth, dialog.width() - kSideBarWidth});
}

// The filters as QFileDialog reads them: "label (*.jpg *.jpeg)".
QStringList nameFilters(const std::vector<FileFilter>& filters) {
    QStringList names;
    for (const FileFilter& filter : filters) {
        QStringList patterns;
        for (const std::string& pattern : filter.patterns)
            patterns.append(QString::fromStdString(pattern));
        names.append(QString::fromStdString(filter.label) + QStringLiteral(" (") +
                     patterns.join(u' ') + u')');
    }
    return names;
}

QString firstSuffix(const std::vector<FileFilter>& filters) {
    return filters.empty() ? QString() : QString::fromStdString(filters.front().defaultSuffix);
}

// The file dialog with a preview pane beside the file list. Several files may be chosen at
// once, so only existing ones are taken.
class QtOpenPicture : public OpenPictureDialog {
  public:
    std::vector<std::string> choose(const std::vector<FileFilter>& filters) override {
        QFileDialog dialog(QApplication::activeWindow());
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFiles);
        // The dialog matches the patterns in any case, as the frame kinds are told apart.
        dialog.setNameFilters(nameFilters(filters));
        dialog.setDefaultSuffix(firstSuffix(filters));
        if (!lastFolder_.isEmpty()) dialog.setDirectory(lastFolder_);
        dialog.selectFile(QString());

        QLabel preview(&dialog);
        preview.setFixedSize(220, 220);
        preview.setAlignment(Qt::AlignCenter);
        preview.setFrameShape(QFrame::StyledPanel);
        if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
            grid->addWidget(&preview, 1, grid->columnCount(), grid->rowCount() - 1, 1);
        }
        QObject::connect(&dialog, &QFileDialog::currentChanged, &preview,
                         [&preview](const QString& path) { showPreview(preview, path); });
        sizeOpenDialog(dialog);

        const int result = dialog.exec();
        programOptions().setValue(QString::fromLatin1(kOpenDialogSizeKey), dialog.size());
        const QStringList chosen = dialog.selectedFiles();
        if (result != QDialog::Accepted || chosen.isEmpty()) return {};
        lastFolder_ = QFileInfo(chosen.front()).absolutePath();
        std::vector<std::string> files;
        for (const QString& file : chosen) files.push_back(file.toStdString());
        return files;
    }

  private:
    static void showPreview(QLabel& preview, const QString& path) {
        QImageReader reader(path);
        const QSize full = reader.size();
        if (full.isValid() && !full.isEmpty()) {
            reader.setScaledSize(full.scaled(preview.size(), Qt::KeepAspectRatio));
        }
        const QImage picture = reader.read();
        if (picture.isNull()) {
            preview.clear();
        } else {
            preview.setPixmap(QPixmap::fromImage(picture));
        }
    }

    QString lastFolder_;
};

// The save dialog: a filter per format the name chooses, the chosen filter's extension added
// to a name typed without one, and no question before replacing.
class QtSavePicture : public SavePictureDialog {
  public:
    std::string choose(const std::vector<FileFilter>& filters,
                       const std::string& prefilled) override {
        QFileDialog dialog(QApplication::activeWindow());
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        const QStringList names = nameFilters(filters);
        dialog.setNameFilters(names);
        dialog.setDefaultSuffix(firstSuffix(filters));
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                         [&dialog, &names, &filters](const QString& name) {
                             const qsizetype index = names.indexOf(name);
                             if (index >= 0)
                                 dialog.setDefaultSuffix(QString::fromStdString(
                                     filters[static_cast<std::size_t>(index)].defaultSuffix));
                         });
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        if (!prefilled.empty()) dialog.selectFile(QString::fromStdString(prefilled));
        if (dialog.exec() != QDialog::Accepted) return {};
        return dialog.selectedFiles().value(0).toStdString();
    }
};

// The job dialogs: one filter, ".lzjob" added to a name typed without an extension, the usual
// question before replacing a job.
class QtJobFile : public JobFileDialog {
  public:
    std::string chooseOpen(const std::string& folder) override {
        return choose(QFileDialog::AcceptOpen, folder);
    }
    std::string chooseSave(const std::string& folder) override {
        return choose(QFileDialog::AcceptSave, folder);
    }

  private:
    static std::string choose(QFileDialog::AcceptMode mode, const std::string& folder) {
        QFileDialog dialog(QApplication::activeWindow());
        dialog.setAcceptMode(mode);
        dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                           : QFileDialog::AnyFile);
        dialog.setNameFilter(
            QCoreApplication::translate("lenzora::platform::FileDialogs", "作业 (*.lzjob)"));
        dialog.setDefaultSuffix(QStringLiteral("lzjob"));
        if (!folder.empty()) dialog.setDirectory(QString::fromStdString(folder));
        if (dialog.exec() != QDialog::Accepted) return {};
        return dialog.selectedFiles().value(0).toStdString();
    }
};

}  // namespace

Services qtServices() {
    return {std::make_shared<QtMessageBoxes>(), std::make_shared<QtShell>(),
            std::make_shared<QtCursor>(),       std::make_shared<QtOpenPicture>(),
            std::make_shared<QtSavePicture>(),  std::make_shared<QtPrinter>(),
            std::make_shared<QtJobFile>()};
}

}  // namespace lenzora::platform
