#pragma once
// The main window: the settings band, the 16 frame slots, the preview, the output buttons.
// Its handlers read the controls, call the computation code and write the results back.

#include <QWidget>
#include <array>

#include "app/output_settings.h"

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

namespace lenzora::ui {

class ClickableLabel;

class TForm1 : public QWidget {
    Q_OBJECT
public:
    // Builds the controls as laid out, then runs FormCreate.
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    const OutputSettings& settings() const { return settings_; }

    // A frame was loaded into slot `slot` (3 ... 16): raises the frame count, recomputes.
    void FrameLoaded(int slot);

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
    void RecalcResolution();

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

    OutputSettings settings_;

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

}  // namespace lenzora::ui
