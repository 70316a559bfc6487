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

class UpDown;

class PitchChartWindow : public QWidget {
    Q_OBJECT
public:
    // `chart` is the chart every chart window shares; `currentPitch` gives the main window's
    // pitch for the reset.
    PitchChartWindow(QWidget* owner, output::OutputChoices& output, testchart::ChartState& chart,
           std::function<core::FixedCount()> currentPitch);

    // Writes a pitch into the expected-pitch box, in the general number form.
    void setExpectedPitch(core::FixedCount pitch);

    // The picture Image1 shows (before it is fitted to the panel); empty before a generation.
    const raster::RasterImage& preview() const { return preview_; }

public slots:
    void Button5Click();  // 生成
    void Button3Click();  // 重设
    void Button1Click();  // 存盘
    void Button2Click();  // 打印
    void Button4Click();  // 关闭

private:
    void buildControls();
    void showPreview();

    output::OutputChoices& output_;
    testchart::ChartState& chart_;
    std::function<core::FixedCount()> currentPitch_;
    raster::RasterImage preview_;

    QComboBox* ComboBox1 = nullptr;
    QComboBox* ComboBox2 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLineEdit* Edit3 = nullptr;
    UpDown* UpDown1 = nullptr;
    UpDown* UpDown2 = nullptr;
    UpDown* UpDown3 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button4 = nullptr;
    QPushButton* Button5 = nullptr;
    QFrame* Panel2 = nullptr;
    QLabel* Image1 = nullptr;
};

}  // namespace lenzora::windows
