#include "windows/print_preview_window.h"

#include <QLabel>
#include <QPushButton>

#include "platform/handler_guard.h"
#include "raster/qimage_conversion.h"

namespace lenzora::windows {

PrintPreviewWindow::PrintPreviewWindow(QWidget* owner, const output::PrintPreviewLayout& layout, std::function<void()> print)
    : QWidget(owner), print_(std::move(print)) {
    setObjectName(QStringLiteral("Form4"));
    setWindowFlags(Qt::Window | Qt::WindowStaysOnTopHint);
    setWindowTitle(QString::fromUtf8("打印预览"));
    setFixedSize(output::kPreviewWindowWidth, output::kPreviewWindowHeight);

    // The page: white, the box with its interior white and the polyline over it.
    raster::RasterImage page;
    page.create(raster::PixelFormat::Bgr24, layout.pageWidth, layout.pageHeight);
    page.drawRectangle(layout.box.left, layout.box.top, layout.box.right, layout.box.bottom);
    page.drawPolyline({layout.diagonals.begin(), layout.diagonals.end()});
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(layout.pageLeft, layout.pageTop, layout.pageWidth, layout.pageHeight);
    Image1->setPixmap(QPixmap::fromImage(raster::toQImage(page)));

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont hei(QString::fromUtf8("黑体"));
    hei.setPixelSize(16);
    hei.setBold(true);
    Label1->setFont(hei);
    Label1->setStyleSheet(QStringLiteral("color: red;"));
    Label1->move(160, 80);
    if (layout.sizeOver) Label1->setText(QStringLiteral("Print size over!"));
    Label1->adjustSize();
    Label1->raise();

    Button1 = new QPushButton(QString::fromUtf8("打印(&P)"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(224, 432, 75, 25);
    Button2 = new QPushButton(QString::fromUtf8("取消(&C)"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(344, 432, 75, 25);
    connect(Button1, &QPushButton::clicked, this, &PrintPreviewWindow::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &PrintPreviewWindow::Button2Click);
}

// Closes only after a print that ended normally; a printing error leaves the preview open.
void PrintPreviewWindow::Button1Click() {
    if (platform::guardHandler(print_)) close();
}

void PrintPreviewWindow::Button2Click() { close(); }

}  // namespace lenzora::windows
