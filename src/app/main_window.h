#pragma once
// The main window: the settings band, the 16 frame slots, the preview, the output buttons.
// Its handlers read the controls, call the computation code and write the results back.

#include <QMargins>
#include <QPointer>
#include <QRect>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "compose/compose_session.h"
#include "core/job_file.h"
#include "core/output_settings.h"
#include "frames/frame_slots.h"
#include "interlace/compose_state.h"
#include "output/output_choices.h"
#include "raster/raster_image.h"
#include "testchart/chart_state.h"
#include "windows/effect_window.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSlider;
class QTimer;

namespace lenzora::windows {
class PitchChartWindow;
}

namespace lenzora::platform {
class BusyCursor;
}

namespace lenzora::app {

class ClickableLabel;
class ComposeJob;
class HeldMessages;
class JobMenu;

class MainWindow : public QWidget {
    Q_OBJECT
  public:
    // Builds the controls as laid out, then runs loadSettings.
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    const core::OutputSettings& settings() const { return settings_; }
    const frames::FrameSlots& frameSlots() const { return session_.frameSlots(); }
    // The picture file chosen into a slot, which a saved job names.
    const std::string& chosenFile(int slot) const { return session_.chosenFile(slot); }
    const interlace::ComposeState& composeState() const { return session_.state(); }
    // The composite; empty before the first compose.
    const raster::RasterImage& composite() const { return session_.composite(); }
    // The picture of the preview image previewImage_ (shown fitted to its panel).
    const raster::RasterImage& preview() const { return preview_; }
    // Whether a compose is running on its own thread.
    bool composing() const { return composeJob_ != nullptr; }

    // The save dialog and printer resolution, shared with the chart windows.
    output::OutputChoices& outputChoices() { return outputChoices_; }

    // A new chart window owned by this one, made the current one; hidden until shown.
    windows::PitchChartWindow* createChartWindow();
    // The chart window opened last (the one printing reads); null before any.
    windows::PitchChartWindow* currentChartWindow() const;
    // The chart all chart windows share.
    const testchart::ChartState& chart() const { return chart_; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private slots:
    void onPitchEdited();
    void onWidthEdited();
    void onHeightEdited();
    void onUnitChanged();
    void onModeChosen();
    // The printer resolution box: chosen from its list or typed and committed.
    void onPrintDpiChosen();
    void openPitchChart();
    // A slot button: the open-picture dialog, then the frame-count rule.
    void chooseFrame(int slot);
    void compose();
    void onCalibrationToggled();
    void saveComposite();
    void printComposite();
    // "效果预览": the one effect window, shown with the composite of this moment.
    void openEffect();
    void showHelp();
    void showAbout();
    void openWebAddress();

  private:
    std::string sheetLabel(const raster::RasterImage& composite) const;
    void buildSettingsBand();
    void buildSlotColumn();
    void buildPreview();
    void buildOutputColumn();
    void buildStatusBar();
    void placeControls();
    // The whole window, frame included, on the work area of its screen, at least the design
    // size; again whenever the work area or the frame's margins change.
    void fitToWorkArea();
    // Start-up: working folder, settings file, controls.
    void loadSettings();
    void applySettingsToControls();
    // Stores the settings and deletes the working files; returns whether the window may close.
    bool storeSettingsAndCleanUp();
    void showResolution();
    // The printer resolution box shows the settings' choice.
    void showPrintDpi();
    // Fills `slot` with a chosen file: working copy, thumbnail, slot path.
    void loadChosenFrame(int slot, const std::string& chosen);
    // Several files (chosen together or dropped) into `targets` in turn, each as if chosen on
    // its own, in the order a file list shows them.
    void fillSlots(const std::vector<int>& targets, std::vector<std::string> files);
    // Drops, thumbnail drags and the slots' context menu.
    void installSlotGestures();
    // A change of several slots at once (swap, clear, reverse), then their thumbnails and the
    // resolution shown again.
    void rearrangeSlots(const std::function<void()>& change);
    void showThumbnail(int slot);
    void showPreview(raster::RasterImage preview);
    // The end of a compose, on the window's thread: the preview and "Merge OK！", or nothing
    // shown for a cancelled one, or the error.
    void finishCompose();
    // Every control that could change a running compose's frames, settings or composite.
    void enableJobControls(bool enabled);
    void cancelCompose();
    // The effect window and its button follow the published composite; null while a compose
    // runs or the calibration band is changed, so the window holds nothing they would replace.
    void showEffectOf(std::shared_ptr<const raster::RasterImage> composite);
    // The job of the window as it stands (main_window_jobs.cpp): the chosen files of slots
    // 1 ... n and the boxes' texts; a box text that is no number throws its conversion error.
    core::Job currentJob() const;
    // Sets the window from a job as typing and choosing would: the slots emptied and the frame
    // count back to two, the mode, unit, pitch, width and height, then each frame chosen into
    // its slot and the frame count raised to the job's. Missing frames are named in one message.
    void applyJob(const core::Job& job);
    // One slot filled from a job, with the messages and frame-count rule of a slot button.
    void loadJobFrame(int slot, const std::string& path);

    core::OutputSettings settings_;
    compose::ComposeSession session_{settings_};
    raster::RasterImage preview_;
    output::OutputChoices outputChoices_;
    testchart::ChartState chart_;
    QPointer<windows::PitchChartWindow> currentChartWindow_;
    // The work area and frame margins of the last fit.
    QRect fittedArea_;
    QMargins fittedFrame_;

    // Settings band.
    QGroupBox* settingsGroup_ = nullptr;
    QGroupBox* pitchGroup_ = nullptr;
    QGroupBox* modeGroup_ = nullptr;
    QGroupBox* sizeGroup_ = nullptr;
    QGroupBox* adjustmentGroup_ = nullptr;
    QPushButton* measurePitchButton_ = nullptr;
    QComboBox* pitchBox_ = nullptr;
    QLabel* resolutionLabel_ = nullptr;
    QComboBox* printDpiBox_ = nullptr;  // "自动" or the printer's resolution
    QRadioButton* columnsModeButton_ = nullptr;
    QRadioButton* rowsModeButton_ = nullptr;
    QLineEdit* widthEdit_ = nullptr;
    QLineEdit* heightEdit_ = nullptr;
    QComboBox* unitBox_ = nullptr;
    QSlider* adjustmentSlider_ = nullptr;

    // Frame slots.
    QGroupBox* slotGroup_ = nullptr;
    std::array<QPushButton*, core::kMaxFrames> slotButtons_{};
    std::array<QLabel*, core::kMaxFrames> thumbnails_{};
    QCheckBox* uprightBox_ = nullptr;  // frames turned by their camera's orientation
    ClickableLabel* webAddressLabel_ = nullptr;

    // Preview and progress.
    QWidget* previewPanel_ = nullptr;
    QLabel* previewImage_ = nullptr;
    QProgressBar* progressBar_ = nullptr;

    // Output column.
    QGroupBox* outputGroup_ = nullptr;
    QCheckBox* calibrationBox_ = nullptr;
    QPushButton* composeButton_ = nullptr;
    QPushButton* saveButton_ = nullptr;
    QPushButton* printButton_ = nullptr;
    QPushButton* effectButton_ = nullptr;
    QPointer<windows::EffectWindow> effectWindow_;
    windows::PrintLenses composedLenses_;  // of the composite the last compose published
    // The bleed the running compose adds, and the one the published composite was composed
    // with (the sheet of copies uses it, whatever the setting says now).
    struct Bleed {
        double millimetres = 0;
        std::int32_t pixels = 0;
    };
    Bleed composingBleed_;
    Bleed composedBleed_;
    QPushButton* helpButton_ = nullptr;
    QPushButton* aboutButton_ = nullptr;
    QPushButton* exitButton_ = nullptr;
    QPushButton* jobButton_ = nullptr;
    JobMenu* jobMenu_ = nullptr;
    // A job's calibration lines wait for the compose that follows: the box is ticked as it ends.
    bool calibrationAfterCompose_ = false;
    // The composite's output in a job: where it was saved last, or the job's.
    std::string jobOutput_;
    // The name a sheet of copies was last saved under, which the save dialog opens with.
    std::string sheetSaveName_;

    // Set by an edit of the width or height box, taken by the key release that follows: a
    // release that changed nothing (a modifier, Tab, the Enter that closed a message box)
    // must not parse the box again and bring the same message back.
    bool widthTyped_ = false;
    bool heightTyped_ = false;

    // The compose running, its bar kept up to date, its cursor; and which output controls
    // were enabled before it, for a compose that fails with the old composite in place.
    QTimer* progressTimer_ = nullptr;
    std::unique_ptr<platform::BusyCursor> composeCursor_;
    std::array<bool, 3> outputsEnabled_{};
    // How the compose ended, shown once this window is the active one.
    HeldMessages* endMessages_ = nullptr;
    // Last: stopped and joined before the session it composes goes.
    std::unique_ptr<ComposeJob> composeJob_;
};

}  // namespace lenzora::app
