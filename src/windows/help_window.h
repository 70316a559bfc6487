#pragma once
// The help window: a fixed help text in a tall, editable text box that the window scrolls.

#include <QScrollArea>

class QPlainTextEdit;

namespace lenzora::windows {

class HelpWindow : public QScrollArea {
    Q_OBJECT
  public:
    explicit HelpWindow(QWidget* owner = nullptr);

  private:
    QPlainTextEdit* helpText_ = nullptr;
};

}  // namespace lenzora::windows
