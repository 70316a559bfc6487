#pragma once
// The print preview: the printable page at 25 pixels per inch with a crossed box where the
// composite will land, a red warning when it is too large, and the print and cancel buttons.
// Beside the page, the sheet of copies: paper, orientation, margin, copies, gap, crop marks,
// bleed and label. One copy without marks, label or bleed prints as a single composite;
// otherwise the page shows the sheet as planned, and printing and saving follow that plan.

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "output/print_layout.h"
#include "output/sheet_layout.h"
#include "raster/raster_image.h"
#include "windows/sheet_choice.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace lenzora::windows {

// What the preview shows and prints: the composite as it was when the preview opened.
struct PrintPreviewContent {
    output::PrinterPage page;
    std::shared_ptr<const raster::RasterImage> composite;
    core::FixedCount resolution = 0;
    std::int32_t bleedPixels = 0;  // the bleed the composite was composed with
    double bleedMm = 0;            // the bleed setting it was composed with
    std::string label;             // the label line's text
};

struct PrintPreviewActions {
    std::function<void()> printComposite;  // one copy, as a single composite
    std::function<void(const output::SheetPlan&)> printSheet;
    std::function<void(const output::SheetPlan&)> saveSheet;
};

class PrintPreviewWindow : public QWidget {
    Q_OBJECT
  public:
    PrintPreviewWindow(QWidget* owner, PrintPreviewContent content, PrintPreviewActions actions);

    // The sheet the page shows; none for a single composite or a refused layout.
    const std::optional<output::SheetPlan>& sheetPlan() const { return plan_; }

  private slots:
    void print();
    void saveSheet();
    // A sheet setting changed: kept, and the page drawn again.
    void onSheetChanged();

  private:
    void buildSheetPanel();
    SheetChoice choiceFromControls() const;
    void showPage();

    PrintPreviewContent content_;
    PrintPreviewActions actions_;
    std::optional<output::SheetPlan> plan_;
    QLabel* pageImage_ = nullptr;
    QLabel* warningLabel_ = nullptr;
    QPushButton* printButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QComboBox* paperBox_ = nullptr;
    QDoubleSpinBox* customWidthBox_ = nullptr;
    QDoubleSpinBox* customHeightBox_ = nullptr;
    QCheckBox* landscapeBox_ = nullptr;
    QDoubleSpinBox* marginBox_ = nullptr;
    QSpinBox* copiesBox_ = nullptr;
    QDoubleSpinBox* gapBox_ = nullptr;
    QCheckBox* cropMarksBox_ = nullptr;
    QDoubleSpinBox* bleedBox_ = nullptr;
    QCheckBox* labelBox_ = nullptr;
    QLabel* bleedNote_ = nullptr;
    QPushButton* saveSheetButton_ = nullptr;
};

}  // namespace lenzora::windows
