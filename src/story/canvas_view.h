#pragma once

// The canvas of the rules painted on QImages, and a widget that shows one of its pictures.
// Any screen can own one: the story screen keeps its scene picture, buffers and portraits here.

#include <QImage>
#include <QWidget>
#include <functional>
#include <map>

#include "state/canvas.h"

namespace lum {

class QImageCanvas : public Canvas {
  public:
    void create_picture(const std::string& picture, Size size, Color fill = kBlack) override;
    bool has_picture(const std::string& picture) const override;
    Size picture_size(const std::string& picture) const override;
    bool load_picture(const std::string& picture, const std::filesystem::path& file,
                      bool keep_size = false) override;
    void fill(const std::string& picture, Rect r, Color c) override;
    void copy(const std::string& dst, Rect dst_rect, const std::string& src,
              Rect src_rect) override;
    void line(const std::string& picture, int x1, int y1, int x2, int y2, Color c) override;
    void text(const std::string& picture, int x, int y, const std::string& utf8,
              const Font& font) override;
    Size text_size(const std::string& utf8, const Font& font) override;

    // Null for a missing picture.
    const QImage* image(const std::string& picture) const;

  private:
    QImage* find(const std::string& picture);
    std::map<std::string, QImage> images_;
};

// Shows a picture of a canvas, at its own size from the top left or stretched to the widget,
// on black.
class PictureView : public QWidget {
  public:
    PictureView(const QImageCanvas& canvas, std::string picture, bool stretch,
                QWidget* parent = nullptr);

    std::function<void()> on_click;

  protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;

  private:
    const QImageCanvas& canvas_;
    std::string picture_;
    bool stretch_;
};

}  // namespace lum
