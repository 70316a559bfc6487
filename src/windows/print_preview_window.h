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
    // `printComposite` prints the composite as it is when "打印(&P)" is pressed.
    PrintPreviewWindow(QWidget* owner, const output::PrintPreviewLayout& layout,
                       std::function<void()> printComposite);

  private slots:
    void print();

  private:
    QLabel* pageImage_ = nullptr;
    QLabel* warningLabel_ = nullptr;
    QPushButton* printButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    std::function<void()> printComposite_;
};

}  // namespace lenzora::windows
