#pragma once
// The main window: the settings band, the 16 frame slots, the preview, the output buttons.
// Its handlers read the controls, call the computation code and write the results back.

#include <QPointer>
#include <QWidget>
#include <array>

#include "compose/compose_session.h"
#include "core/output_settings.h"
#include "frames/frame_slots.h"
#include "interlace/compose_state.h"
#include "output/output_choices.h"
#include "raster/raster_image.h"
#include "testchart/chart_state.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSlider;
class QStatusBar;

namespace lenzora::windows {
class PitchChartWindow;
}

namespace lenzora::app {

class ClickableLabel;

class MainWindow : public QWidget {
    Q_OBJECT
public:
    // Builds the controls as laid out, then runs FormCreate.
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    const core::OutputSettings& settings() const { return settings_; }
    const frames::FrameSlots& frameSlots() const { return session_.frameSlots(); }
    const interlace::ComposeState& composeState() const { return session_.state(); }
    // The composite; empty before the first compose.
    const raster::RasterImage& composite() const { return session_.composite(); }
    // The picture of the preview image Image1 (shown fitted to its panel).
    const raster::RasterImage& preview() const { return preview_; }

    // The save dialog and printer resolution, shared with the chart windows.
    output::OutputChoices& outputChoices() { return outputChoices_; }

    // A new chart window owned by this one, made the current one; hidden until shown.
    windows::PitchChartWindow* createChartWindow();
    // The chart window opened last (the one printing reads); null before any.
    windows::PitchChartWindow* currentChartWindow() const;
    // The chart all chart windows share.
    const testchart::ChartState& chart() const { return chart_; }

    // Fills `slot` through the open-picture dialog: working copy, thumbnail, slot path.
    void LoadFrame(int slot);

public slots:
    void FormCreate();
    // Returns whether the window may close.
    bool FormClose();

    void ComboBox1Change();
    void Edit2KeyUp();
    void Edit3KeyUp();
    void ComboBox3Change();
    void RadioButton1Click();
    void RadioButton2Click();
    void TrackBar1Change();
    void Button22Click();

    // The slot buttons, "图1" ... "图16".
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button6Click();
    void Button7Click();
    void Button8Click();
    void Button10Click();
    void Button11Click();
    void Button18Click();
    void Button19Click();
    void Button20Click();
    void Button21Click();
    void Button13Click();
    void Button15Click();
    void Button16Click();
    void Button17Click();

    void BitBtn1Click();
    void CheckBox1Click();
    void Button4Click();
    void Button14Click();

    void Button5Click();
    void Button9Click();
    void Button12Click();
    void Label3Click();
    void StatusBar1MouseMove();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildSettingsBand();
    void buildSlotColumn();
    void buildPreview();
    void buildOutputColumn();
    void buildStatusBar();
    void placeControls();
    void applySettingsToControls();
    void showResolution();
    void slotButtonClicked(int slot);
    void showPreview(raster::RasterImage preview);

    core::OutputSettings settings_;
    compose::ComposeSession session_{settings_};
    raster::RasterImage preview_;
    output::OutputChoices outputChoices_;
    testchart::ChartState chart_;
    QPointer<windows::PitchChartWindow> currentChartWindow_;

    // Settings band.
    QGroupBox* settingsBand_ = nullptr;
    QGroupBox* pitchGroup_ = nullptr;
    QGroupBox* modeGroup_ = nullptr;
    QGroupBox* sizeGroup_ = nullptr;
    QGroupBox* GroupBox6 = nullptr;
    QPushButton* Button22 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QLabel* Label20 = nullptr;
    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QComboBox* ComboBox3 = nullptr;
    QSlider* TrackBar1 = nullptr;

    // Frame slots.
    QGroupBox* slotGroup_ = nullptr;
    std::array<QPushButton*, 16> slotButtons_{};
    std::array<QLabel*, 16> thumbnails_{};
    ClickableLabel* Label3 = nullptr;

    // Preview and progress.
    QWidget* Panel1 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Image2 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;

    // Output column.
    QGroupBox* outputGroup_ = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* Button4 = nullptr;
    QPushButton* Button14 = nullptr;
    QPushButton* Button5 = nullptr;
    QPushButton* Button9 = nullptr;
    QPushButton* Button12 = nullptr;

    QStatusBar* StatusBar1 = nullptr;
};

}  // namespace lenzora::app
