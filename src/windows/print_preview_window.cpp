#include "windows/print_preview_window.h"

#include <QLabel>
#include <QPushButton>

#include "platform/handler_guard.h"
#include "raster/qimage_conversion.h"

namespace lenzora::windows {

PrintPreviewWindow::PrintPreviewWindow(QWidget* owner, const output::PrintPreviewLayout& layout,
                                       std::function<void()> printComposite)
    : QWidget(owner), printComposite_(std::move(printComposite)) {
    setObjectName(QStringLiteral("printPreviewWindow"));
    setWindowFlags(Qt::Window | Qt::WindowStaysOnTopHint);
    setWindowTitle(tr("打印预览"));
    setFixedSize(output::kPreviewWindowWidth, output::kPreviewWindowHeight);

    // The page: white, the box with its interior white and the polyline over it.
    raster::RasterImage page;
    page.create(raster::PixelFormat::Bgr24, layout.pageWidth, layout.pageHeight);
    page.drawRectangle(layout.box.left, layout.box.top, layout.box.right, layout.box.bottom);
    page.drawPolyline({layout.diagonals.begin(), layout.diagonals.end()});
    pageImage_ = new QLabel(this);
    pageImage_->setObjectName(QStringLiteral("pageImage"));
    pageImage_->setGeometry(layout.pageLeft, layout.pageTop, layout.pageWidth, layout.pageHeight);
    pageImage_->setPixmap(QPixmap::fromImage(raster::toQImage(page)));

    warningLabel_ = new QLabel(this);
    warningLabel_->setObjectName(QStringLiteral("warningLabel"));
    QFont hei(QString::fromUtf8("黑体"));
    hei.setPixelSize(16);
    hei.setBold(true);
    warningLabel_->setFont(hei);
    warningLabel_->setStyleSheet(QStringLiteral("color: red;"));
    warningLabel_->move(160, 80);
    if (layout.sizeOver) warningLabel_->setText(tr("Print size over!"));
    warningLabel_->adjustSize();
    warningLabel_->raise();

    printButton_ = new QPushButton(tr("打印(&P)"), this);
    printButton_->setObjectName(QStringLiteral("printButton"));
    printButton_->setGeometry(224, 432, 75, 25);
    cancelButton_ = new QPushButton(tr("取消(&C)"), this);
    cancelButton_->setObjectName(QStringLiteral("cancelButton"));
    cancelButton_->setGeometry(344, 432, 75, 25);
    connect(printButton_, &QPushButton::clicked, this, &PrintPreviewWindow::print);
    connect(cancelButton_, &QPushButton::clicked, this, &QWidget::close);
}

// Closes only after a print that ended normally; a printing error leaves the preview open.
void PrintPreviewWindow::print() {
    if (platform::guardHandler(printComposite_)) close();
}

}  // namespace lenzora::windows
