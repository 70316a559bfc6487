#include "windows/print_preview_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "core/numbers.h"
#include "output/print_sheet.h"
#include "platform/handler_guard.h"
#include "raster/qimage_conversion.h"
#include "windows/sheet_page.h"

namespace lenzora::windows {
namespace {

// The sheet's controls stand beside the page, in a panel this wide.
constexpr int kSheetPanelWidth = 250;
// A sheet is shown whole above the buttons, at most at the page's 25 pixels per inch.
constexpr int kSheetAreaWidth = 475;
constexpr int kSheetAreaHeight = 420;

QDoubleSpinBox* lengthBox(QWidget* parent, const char* name, double maximum, double value) {
    auto* box = new QDoubleSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setDecimals(1);
    box->setRange(0, maximum);
    box->setValue(value);
    box->setKeyboardTracking(false);  // the page follows a finished number, not each key
    return box;
}

QCheckBox* tickBox(QWidget* parent, const char* name, const QString& text, bool ticked) {
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setChecked(ticked);
    return box;
}

}  // namespace

PrintPreviewWindow::PrintPreviewWindow(QWidget* owner, PrintPreviewContent content,
                                       PrintPreviewActions actions)
    : QWidget(owner), content_(std::move(content)), actions_(std::move(actions)) {
    setObjectName(QStringLiteral("printPreviewWindow"));
    setWindowFlags(Qt::Window | Qt::WindowStaysOnTopHint);
    setWindowTitle(tr("打印预览"));
    setFixedSize(output::kPreviewWindowWidth + kSheetPanelWidth, output::kPreviewWindowHeight);

    pageImage_ = new QLabel(this);
    pageImage_->setObjectName(QStringLiteral("pageImage"));
    pageImage_->setAlignment(Qt::AlignCenter);
    pageImage_->setWordWrap(true);

    warningLabel_ = new QLabel(this);
    warningLabel_->setObjectName(QStringLiteral("warningLabel"));
    QFont hei(QString::fromUtf8("黑体"));
    hei.setPixelSize(16);
    hei.setBold(true);
    warningLabel_->setFont(hei);
    warningLabel_->setStyleSheet(QStringLiteral("color: red;"));
    warningLabel_->move(160, 80);

    printButton_ = new QPushButton(tr("打印(&P)"), this);
    printButton_->setObjectName(QStringLiteral("printButton"));
    printButton_->setGeometry(224, 432, 75, 25);
    cancelButton_ = new QPushButton(tr("取消(&C)"), this);
    cancelButton_->setObjectName(QStringLiteral("cancelButton"));
    cancelButton_->setGeometry(344, 432, 75, 25);
    connect(printButton_, &QPushButton::clicked, this, &PrintPreviewWindow::print);
    connect(cancelButton_, &QPushButton::clicked, this, &QWidget::close);

    buildSheetPanel();
    showPage();
}

void PrintPreviewWindow::buildSheetPanel() {
    const SheetChoice choice = loadSheetChoice();
    auto* group = new QGroupBox(tr("拼版"), this);
    group->setObjectName(QStringLiteral("sheetGroup"));
    group->setGeometry(output::kPreviewWindowWidth, 8, kSheetPanelWidth - 10,
                       output::kPreviewWindowHeight - 16);
    auto* column = new QVBoxLayout(group);
    auto* form = new QFormLayout;
    column->addLayout(form);

    paperBox_ = new QComboBox(group);
    paperBox_->setObjectName(QStringLiteral("paperBox"));
    for (std::string_view name : output::paperNames()) {
        paperBox_->addItem(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
    }
    paperBox_->addItem(tr("自定义"));
    const int named = paperBox_->findText(QString::fromStdString(choice.paper));
    paperBox_->setCurrentIndex(choice.paper.empty() || named < 0 ? paperBox_->count() - 1 : named);
    form->addRow(tr("纸张"), paperBox_);
    customWidthBox_ = lengthBox(group, "customWidthBox", 5000, choice.customWidthMm);
    customWidthBox_->setMinimum(1);
    form->addRow(tr("宽（毫米）"), customWidthBox_);
    customHeightBox_ = lengthBox(group, "customHeightBox", 5000, choice.customHeightMm);
    customHeightBox_->setMinimum(1);
    form->addRow(tr("高（毫米）"), customHeightBox_);
    landscapeBox_ = tickBox(group, "landscapeBox", tr("横向"), choice.landscape);
    form->addRow(landscapeBox_);
    marginBox_ = lengthBox(group, "marginBox", 200, choice.marginMm);
    form->addRow(tr("页边距（毫米）"), marginBox_);
    copiesBox_ = new QSpinBox(group);
    copiesBox_->setObjectName(QStringLiteral("copiesBox"));
    copiesBox_->setRange(0, 999);
    copiesBox_->setSpecialValueText(tr("铺满"));  // 0: as many as fit
    copiesBox_->setValue(choice.copies);
    copiesBox_->setKeyboardTracking(false);
    form->addRow(tr("份数"), copiesBox_);
    gapBox_ = lengthBox(group, "gapBox", 200, choice.gapMm);
    form->addRow(tr("间距（毫米）"), gapBox_);
    cropMarksBox_ = tickBox(group, "cropMarksBox", tr("裁切线"), choice.cropMarks);
    form->addRow(cropMarksBox_);
    bleedBox_ = lengthBox(group, "bleedBox", 50, choice.bleedMm);
    form->addRow(tr("出血（毫米）"), bleedBox_);
    labelBox_ = tickBox(group, "labelBox", tr("标注行"), choice.label);
    form->addRow(labelBox_);
    bleedNote_ = new QLabel(group);
    bleedNote_->setObjectName(QStringLiteral("bleedNote"));
    bleedNote_->setWordWrap(true);
    column->addWidget(bleedNote_);
    column->addStretch();
    saveSheetButton_ = new QPushButton(tr("保存拼版(&V)..."), group);
    saveSheetButton_->setObjectName(QStringLiteral("saveSheetButton"));
    column->addWidget(saveSheetButton_);
    connect(saveSheetButton_, &QPushButton::clicked, this, &PrintPreviewWindow::saveSheet);

    connect(paperBox_, &QComboBox::currentIndexChanged, this, &PrintPreviewWindow::onSheetChanged);
    for (QDoubleSpinBox* box :
         {customWidthBox_, customHeightBox_, marginBox_, gapBox_, bleedBox_}) {
        connect(box, &QDoubleSpinBox::valueChanged, this, &PrintPreviewWindow::onSheetChanged);
    }
    connect(copiesBox_, &QSpinBox::valueChanged, this, &PrintPreviewWindow::onSheetChanged);
    for (QCheckBox* box : {landscapeBox_, cropMarksBox_, labelBox_}) {
        connect(box, &QCheckBox::toggled, this, &PrintPreviewWindow::onSheetChanged);
    }
}

SheetChoice PrintPreviewWindow::choiceFromControls() const {
    SheetChoice choice;
    const bool custom = paperBox_->currentIndex() == paperBox_->count() - 1;
    choice.paper = custom ? std::string() : paperBox_->currentText().toStdString();
    choice.customWidthMm = customWidthBox_->value();
    choice.customHeightMm = customHeightBox_->value();
    choice.landscape = landscapeBox_->isChecked();
    choice.marginMm = marginBox_->value();
    choice.copies = copiesBox_->value();
    choice.gapMm = gapBox_->value();
    choice.cropMarks = cropMarksBox_->isChecked();
    choice.bleedMm = bleedBox_->value();
    choice.label = labelBox_->isChecked();
    return choice;
}

void PrintPreviewWindow::onSheetChanged() {
    storeSheetChoice(choiceFromControls());
    showPage();
}

// The single composite on the printable area as ever, or the sheet as planned, or the
// layout's refusal in place of the page.
void PrintPreviewWindow::showPage() {
    const SheetChoice choice = choiceFromControls();
    const bool custom = choice.paper.empty();
    customWidthBox_->setEnabled(custom);
    customHeightBox_->setEnabled(custom);
    bleedNote_->setText(std::abs(choice.bleedMm - content_.bleedMm) < 0.05
                            ? QString()
                            : tr("出血从下次合成起生效；这张合成图的出血是 %1 毫米。")
                                  .arg(content_.bleedMm, 0, 'f', 1));

    const raster::RasterImage& composite = *content_.composite;
    const long double dpi = core::fromFixed(content_.resolution);
    const auto points = [dpi](std::int32_t pixels) {
        return static_cast<double>(pixels * output::kPointsPerInch / dpi);
    };
    std::string refusal;
    plan_.reset();
    platform::guardHandler(
        [&] {
            plan_ = output::planSheet(choice.settings(points(content_.bleedPixels)),
                                      points(composite.width()), points(composite.height()));
        },
        [&](const std::string& text) { refusal = text; });

    const bool single = choice.singleCopy(content_.bleedPixels > 0);
    warningLabel_->clear();
    pageImage_->clear();
    if (single) {
        // The page image: white, the box with its interior white and the polyline over it.
        const output::PrintPreviewLayout layout = output::printPreviewLayout(
            content_.page, composite.width(), composite.height(), content_.resolution);
        raster::RasterImage page;
        page.create(raster::PixelFormat::Bgr24, layout.pageWidth, layout.pageHeight);
        page.drawRectangle(layout.box.left, layout.box.top, layout.box.right, layout.box.bottom);
        page.drawPolyline({layout.diagonals.begin(), layout.diagonals.end()});
        pageImage_->setGeometry(layout.pageLeft, layout.pageTop, layout.pageWidth,
                                layout.pageHeight);
        pageImage_->setPixmap(QPixmap::fromImage(raster::toQImage(page)));
        if (layout.sizeOver) warningLabel_->setText(tr("Print size over!"));
    } else if (plan_) {
        const double scale =
            std::min({static_cast<double>(output::kPreviewPixelsPerInch) / output::kPointsPerInch,
                      kSheetAreaWidth / plan_->width, kSheetAreaHeight / plan_->height});
        const raster::RasterImage sheet = drawSheetPage(*plan_, composite, scale, content_.label);
        pageImage_->setGeometry((output::kPreviewWindowWidth - sheet.width()) / 2,
                                (kSheetAreaHeight + 8 - sheet.height()) / 2, sheet.width(),
                                sheet.height());
        pageImage_->setPixmap(QPixmap::fromImage(raster::toQImage(sheet)));
        // A copy the printer would cut off at the edge of its printable area is warned of.
        const output::SheetOnPage placed = output::placeSheet(
            *plan_, content_.page, composite.width(), composite.height(), content_.resolution);
        const bool cut =
            std::any_of(placed.copies.begin(), placed.copies.end(), [&](const raster::Rect& copy) {
                return copy.left < 0 || copy.top < 0 || copy.right > content_.page.width ||
                       copy.bottom > content_.page.height;
            });
        if (cut) warningLabel_->setText(tr("Print size over!"));
    } else {
        pageImage_->setGeometry(20, 40, output::kPreviewWindowWidth - 40, kSheetAreaHeight - 80);
        pageImage_->setText(QString::fromStdString(refusal));
    }
    warningLabel_->adjustSize();
    warningLabel_->raise();
    printButton_->setEnabled(single || plan_.has_value());
    saveSheetButton_->setEnabled(plan_.has_value());
}

// Closes only after a print that ended normally; a printing error leaves the preview open.
void PrintPreviewWindow::print() {
    const bool single = choiceFromControls().singleCopy(content_.bleedPixels > 0);
    if (!single && !plan_) return;
    const bool printed = platform::guardHandler([&] {
        if (single) {
            actions_.printComposite();
        } else {
            actions_.printSheet(*plan_);
        }
    });
    if (printed) close();
}

void PrintPreviewWindow::saveSheet() {
    if (!plan_) return;
    platform::guardHandler([&] { actions_.saveSheet(*plan_); });
}

}  // namespace lenzora::windows
