#pragma once

#include <QLabel>
#include <string>

namespace lum {

// A screen's message line. It shows every message whole: a line too long wraps onto the next
// row, and a text that still does not fit its rows is drawn smaller until it does.
class MessageLine : public QLabel {
  public:
    static constexpr int kLargestPx = 13, kSmallestPx = 8;

    explicit MessageLine(QWidget* parent);

    // A game text ("\r" breaks the line).
    void show_text(const std::string& text);
    // The largest pixel size at which `text` fits the line's room; kSmallestPx when none does.
    int pixel_size_for(const QString& text) const;

  protected:
    void resizeEvent(QResizeEvent* e) override;

  private:
    void fit();
};

}  // namespace lum
