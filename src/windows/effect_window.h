#pragma once
// The effect preview: what a lens sheet laid on the composite shows from one viewing position,
// fitted to the window. The position follows a slider, the arrow keys (from view to view) and
// the mouse dragged across the picture; Space swings it back and forth over all views. A box
// takes the sheet's true pitch, so a sheet measured otherwise than the print shows its bands.
//
// The window keeps its own snapshot of the composite and builds the reduced copy its views come
// from on a worker thread, which hands it over whole; each tilt then makes one view on the
// window's thread.

#include <QWidget>
#include <cstdint>
#include <memory>

#include "core/numbers.h"
#include "core/output_settings.h"
#include "interlace/lens_view.h"
#include "raster/raster_image.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QSpinBox;
class QTimer;

namespace lenzora::windows {

class ViewCanvas;

// The lenses a composite was printed for.
struct PrintLenses {
    std::int32_t mode = core::kModeColumns;
    std::int32_t frameCount = core::kMinFrames;
    core::FixedCount pitch = 0;       // lines per inch
    core::FixedCount resolution = 0;  // dots per inch: frame count x pitch x strip width
    friend bool operator==(const PrintLenses&, const PrintLenses&) = default;
};

class EffectWindow : public QWidget {
    Q_OBJECT
  public:
    explicit EffectWindow(QWidget* owner);
    ~EffectWindow() override;

    // Shows views of `composite`, printed for `print`, keeping the position where it is.
    // Another print's pitch becomes the sheet's pitch.
    void showComposite(std::shared_ptr<const raster::RasterImage> composite,
                       const PrintLenses& print);
    // Lets go of the composite and of all made from it: nothing is shown until the next one.
    void clear();

    // The composite shown (null while none) and the view made of it for the position (empty
    // while none, or while its reduced copy is being built).
    const std::shared_ptr<const raster::RasterImage>& composite() const { return composite_; }
    const raster::RasterImage& view() const { return view_; }
    // Viewing position t in [0, 1) and the sheet's lens period in print pixels.
    double position() const { return position_; }
    double sheetPeriod() const { return sheetPeriod_; }
    // Whether the reduced copy for the present composite and size is still being built.
    bool building() const { return building_; }
    bool playing() const;

  protected:
    // Left/Right (rows mode Up/Down) step from view to view; Space plays and pauses.
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // A closed window holds nothing; opening it again shows the composite of that moment.
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildControls();
    // The size of a view: the composite fitted to the picture control.
    QSize viewSize() const;
    // Starts building the reduced copy for the present composite and size, unless it is the
    // one shown or being built.
    void buildPreview();
    void setPosition(double position);
    void stepView(int steps);
    void togglePlaying();
    void swing();
    void onSheetPitchEdited();
    // Makes and shows the view for the present position and sheet.
    void redraw();

    std::shared_ptr<const raster::RasterImage> composite_;
    PrintLenses print_;
    std::shared_ptr<const interlace::ViewPreview> preview_;
    raster::RasterImage view_;
    double position_ = -1;  // none before the first composite
    double sheetPeriod_ = 1;
    int direction_ = 1;  // of the swing
    // Which build the window waits for: a newer request (or a clear) makes older results stale.
    std::uint64_t request_ = 0;
    bool building_ = false;
    QSize builtSize_;

    ViewCanvas* canvas_ = nullptr;
    QSlider* positionSlider_ = nullptr;
    QLabel* frameLabel_ = nullptr;
    QPushButton* playButton_ = nullptr;
    QSpinBox* speedBox_ = nullptr;
    QLineEdit* sheetPitchEdit_ = nullptr;
    QLabel* pitchMessage_ = nullptr;
    QTimer* playTimer_ = nullptr;
    QTimer* settleTimer_ = nullptr;
};

}  // namespace lenzora::windows
