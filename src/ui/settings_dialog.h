#pragma once

#include <QDialog>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "state/player_settings.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QScrollArea;
class QSlider;

namespace lum {

class FocusRing;

// 設定: the player's settings, each applied the moment it changes (through on_change), and
// the keys of every screen. Opened from the title box, the travel screen and F2.
class SettingsDialog : public QDialog {
    Q_OBJECT
  public:
    SettingsDialog(const PlayerSettings& current, const std::vector<std::string>& outputs,
                   const std::vector<std::filesystem::path>& soundfonts, QWidget* parent);

    // Told of every change, with all the values as they now stand.
    std::function<void(const PlayerSettings&)> on_change;

    const PlayerSettings& values() const { return s_; }

    QSlider* music_tb = nullptr;
    QSlider* effect_tb = nullptr;
    QCheckBox* mute_cb = nullptr;
    QSlider* text_speed_tb = nullptr;
    QSlider* battle_speed_tb = nullptr;
    QSlider* auto_speed_tb = nullptr;
    QCheckBox* skip_unread_cb = nullptr;
    QCheckBox* one_box_cb = nullptr;
    QCheckBox* battle_effects_cb = nullptr;
    // 1 倍 .. 8 倍, then 画面に合わせる (index kMaxZoom).
    QComboBox* zoom_cmb = nullptr;
    QCheckBox* full_cb = nullptr;
    QCheckBox* full_fit_cb = nullptr;
    QCheckBox* smooth_cb = nullptr;
    QComboBox* device_cmb = nullptr;
    QComboBox* font_cmb = nullptr;
    QPushButton* defaults_b = nullptr;
    QPushButton* close_b = nullptr;
    FocusRing* focus_ring = nullptr;

    // The dialog at the size its contents want, as far as the screen allows (the rest scrolls),
    // and whole on the screen. Done when it opens and after each change, which may rescale.
    void fit_screen();

  protected:
    void showEvent(QShowEvent* e) override;

  private:
    void show_values();
    void changed();

    QWidget* body_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    PlayerSettings s_;
    bool showing_ = false;
};

}  // namespace lum
