// The main window's side of a job: what it saves, and how opening one sets the window.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <algorithm>

#include "app/main_window.h"
#include "core/job_file.h"
#include "frames/load_frame.h"
#include "platform/handler_guard.h"
#include "platform/services.h"
#include "raster/qimage_conversion.h"

namespace lenzora::app {

core::Job MainWindow::currentJob() const {
    core::Job job;
    std::vector<std::string> frames;
    for (int slot = 1; slot <= settings_.frameCount; ++slot)
        frames.push_back(session_.chosenFile(slot));
    job.frames = std::move(frames);
    // Texts as typed, but only ones a job can be opened with: a pitch the box ignores (zero or
    // below) is saved as the pitch in use.
    job.pitch = pitchBox_->currentText().toStdString();
    if (core::parseFixedText(*job.pitch) <= 0) job.pitch = core::formatFixed(settings_.pitch);
    job.width = widthEdit_->text().toStdString();
    job.height = heightEdit_->text().toStdString();
    core::parseFixedText(*job.width);
    core::parseFixedText(*job.height);
    job.mode = core::kJobModeNames[columnsModeButton_->isChecked() ? 0 : 1];
    job.unit = core::jobUnitName(unitBox_->currentIndex());
    job.calibration = calibrationBox_->isChecked() || calibrationAfterCompose_;
    job.output = jobOutput_;
    return job;
}

void MainWindow::applyJob(const core::Job& job) {
    if (job.frames) {
        session_.clearFrames();
        for (QLabel* thumbnail : thumbnails_) thumbnail->clear();
        showResolution();
    }
    if (job.mode) (*job.mode == "rows" ? rowsModeButton_ : columnsModeButton_)->setChecked(true);
    if (job.unit) unitBox_->setCurrentIndex(core::jobUnitIndex(*job.unit));
    if (job.pitch) {
        {
            QSignalBlocker block(pitchBox_);
            pitchBox_->setEditText(QString::fromStdString(*job.pitch));
        }
        onPitchEdited();
    }
    if (job.width) {
        widthEdit_->setText(QString::fromStdString(*job.width));
        onWidthEdited();
    }
    if (job.height) {
        heightEdit_->setText(QString::fromStdString(*job.height));
        onHeightEdited();
    }
    if (job.calibration) calibrationAfterCompose_ = *job.calibration;
    if (job.output) {
        jobOutput_ = *job.output;
        outputChoices_.rememberSaveName(*job.output);  // the save dialog offers it
    }
    if (!job.frames) return;
    const std::vector<int> missing = core::missingJobFrames(job);
    const int count = static_cast<int>(job.frames->size());
    for (int slot = 1; slot <= count; ++slot) {
        const std::string& path = (*job.frames)[static_cast<std::size_t>(slot - 1)];
        if (!path.empty() && std::find(missing.begin(), missing.end(), slot) == missing.end())
            loadJobFrame(slot, path);
    }
    // The frame count the job was saved with, even when its last slots stay empty.
    if (count > core::kMinFrames && core::frameLoadedInSlot(settings_, count)) showResolution();
    if (!missing.empty()) platform::showMessage(core::missingFramesMessage(job, missing));
}

void MainWindow::loadJobFrame(int slot, const std::string& path) {
    platform::guardHandler([&] {
        if (session_.loadFrame(slot, path) == frames::FrameLoadResult::FormatError) {
            platform::showMessage(tr("File format error!").toStdString());
        } else {
            thumbnails_[static_cast<std::size_t>(slot - 1)]->setPixmap(
                QPixmap::fromImage(raster::toQImage(session_.thumbnail(slot))));
        }
        if (session_.countFrame(slot)) showResolution();
    });
}

}  // namespace lenzora::app
