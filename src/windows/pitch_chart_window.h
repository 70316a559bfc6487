#pragma once
// The pitch test chart window: paper, resolution, expected pitch, band count and increment;
// generate, reset, save, print and close; the chart's preview.

#include <QWidget>
#include <functional>

#include "core/numbers.h"
#include "output/output_choices.h"
#include "raster/raster_image.h"
#include "testchart/chart_state.h"

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace lenzora::windows {

class StepArrows;

class PitchChartWindow : public QWidget {
    Q_OBJECT
  public:
    // `chart` is the chart every chart window shares; `currentPitch` gives the main window's
    // pitch for the reset.
    PitchChartWindow(QWidget* owner, output::OutputChoices& output, testchart::ChartState& chart,
                     std::function<core::FixedCount()> currentPitch);

    // Writes a pitch into the expected-pitch box, in the general number form.
    void setExpectedPitch(core::FixedCount pitch);

    // The picture the preview image shows (before it is fitted to the panel); empty before a
    // generation.
    const raster::RasterImage& preview() const { return preview_; }

  private slots:
    void generateChart();  // 生成
    void resetFields();    // 重设
    void saveChart();      // 存盘
    void printChart();     // 打印

  private:
    void buildControls();
    void showPreview();

    output::OutputChoices& output_;
    testchart::ChartState& chart_;
    std::function<core::FixedCount()> currentPitch_;
    raster::RasterImage preview_;

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
