#pragma once
// The pitch test chart window: paper, resolution, expected pitch, band count and increment;
// generate, reset, save, print and close; the chart's preview.

#include <QWidget>
#include <functional>
#include <memory>

#include "core/numbers.h"
#include "output/output_choices.h"
#include "raster/raster_image.h"
#include "testchart/chart_state.h"
#include "testchart/generate_chart.h"

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace lenzora::platform {
class BackgroundJob;
class BusyCursor;
}  // namespace lenzora::platform

namespace lenzora::windows {

class StepArrows;

class PitchChartWindow : public QWidget {
    Q_OBJECT
  public:
    // `chart` is the chart every chart window shares; `currentPitch` gives the main window's
    // pitch for the reset.
    PitchChartWindow(QWidget* owner, output::OutputChoices& output, testchart::ChartState& chart,
                     std::function<core::FixedCount()> currentPitch);
    // Stops a generation still running and waits for its thread.
    ~PitchChartWindow() override;

    // Writes a pitch into the expected-pitch box, in the general number form.
    void setExpectedPitch(core::FixedCount pitch);

    // The picture the preview image shows (before it is fitted to the panel); empty before a
    // generation.
    const raster::RasterImage& preview() const { return preview_; }

    // True from "生成" until the chart drawn on its own thread is shown, or the drawing stopped.
    bool generating() const { return job_ != nullptr; }

  protected:
    // Escape stops a running generation.
    void keyPressEvent(QKeyEvent* event) override;
    // Closing stops a running generation first; nothing of it is kept.
    void closeEvent(QCloseEvent* event) override;

  private slots:
    void generateChart();  // 生成
    void resetFields();    // 重设
    void saveChart();      // 存盘
    void printChart();     // 打印

  private:
    void buildControls();
    void showPreview();
    void finishGeneration();
    void stopGeneration();
    void enableJobControls(bool enabled);
    // Save is enabled in every chart window while the shared chart exists.
    void enableSaving();

    output::OutputChoices& output_;
    testchart::ChartState& chart_;
    std::function<core::FixedCount()> currentPitch_;
    raster::RasterImage preview_;
    testchart::DrawnChart drawn_;  // written by the job's thread until it has ended
    std::unique_ptr<platform::BusyCursor> busy_;
    std::unique_ptr<platform::BackgroundJob> job_;  // after what its thread writes

    QComboBox* paperBox_ = nullptr;
    QComboBox* dpiBox_ = nullptr;
    QLineEdit* expectedPitchEdit_ = nullptr;
    QLineEdit* bandCountEdit_ = nullptr;
    QLineEdit* incrementEdit_ = nullptr;
    StepArrows* expectedPitchArrows_ = nullptr;
    StepArrows* bandCountArrows_ = nullptr;
    StepArrows* incrementArrows_ = nullptr;
    QPushButton* generateButton_ = nullptr;
    QPushButton* resetButton_ = nullptr;
    QPushButton* saveButton_ = nullptr;
    QPushButton* printButton_ = nullptr;
    QPushButton* closeButton_ = nullptr;
    QFrame* previewPanel_ = nullptr;
    QLabel* previewImage_ = nullptr;
};

}  // namespace lenzora::windows
