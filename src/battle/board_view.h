#pragma once

#include <QImage>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <map>
#include <string>

namespace lum {

class BattleModel;

// Pictures under cg/ by file name, loaded once. A file that is missing or unreadable gives a
// placeholder, so a battle with a lost picture still shows every unit.
class PictureCache {
  public:
    explicit PictureCache(std::filesystem::path cg_dir) : cg_dir_(std::move(cg_dir)) {}

    const QImage& get(const std::string& file);
    // The same picture with its transparent colour (the bottom-left pixel) cleared.
    const QImage& transparent(const std::string& file);
    // The battle map: the file, else map00.bmp, else a plain field.
    const QImage& map(const std::string& file);
    bool missing(const std::string& file) { return get(file).text("lum-missing") == "1"; }

    static QImage placeholder(QSize size);

  private:
    std::filesystem::path cg_dir_;
    std::map<std::string, QImage> plain_, keyed_;
};

// `map_cg` and everything on it: the map enlarged four times, the unit pictures (the acting
// unit opaque, the others with their background left out), the HP labels, the target markers
// s1..s5 as hatched squares, the caption `s_l`, the board hatching `s_l2` and the highlighted
// square of the unit under the pointer; over them the board overlay (tinted squares, the
// acting unit's frame, flashes, fading falls and the floating amounts), the HP labels kept on
// top of every tint. Painted from the model alone.
class BoardView : public QWidget {
  public:
    BoardView(const BattleModel& model, PictureCache& pictures, QWidget* parent = nullptr);

    std::function<void(int slot)> on_hover;      // 1..5, 11..15, or 0 over the bare map
    std::function<void(int x, int y)> on_click;  // map_cg coordinates
    std::function<void()> on_leave;              // the pointer left the board

    // The unit whose picture lies under a board point, 0 for none.
    int unit_at(QPoint p) const;

  protected:
    void paintEvent(QPaintEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void leaveEvent(QEvent* e) override;

  private:
    const BattleModel& model_;
    PictureCache& pictures_;
};

}  // namespace lum
