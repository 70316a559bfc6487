#pragma once
// The print preview: the printable page at 25 pixels per inch with a crossed box where the
// composite will land, a red warning when it is too large, and the print and cancel buttons.

#include <QWidget>
#include <functional>

#include "output/print_layout.h"

class QLabel;
class QPushButton;

namespace lenzora::windows {

class PrintPreviewWindow : public QWidget {
    Q_OBJECT
public:
    // `print` prints the composite as it is when "打印(&P)" is pressed.
    PrintPreviewWindow(QWidget* owner, const output::PrintPreviewLayout& layout, std::function<void()> print);

public slots:
    void Button1Click();
    void Button2Click();

private:
    QLabel* Image1 = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    std::function<void()> print_;
};

}  // namespace lenzora::windows
