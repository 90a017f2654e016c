#pragma once

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <array>
#include <map>

#include "travel/travel_model.h"
#include "ui/screen_page.h"

namespace lum {

class StatusPanelView;
class RegionMap;

// A place on a region map: the landmark is drawn on the map, the button frames it, lights up
// under the pointer or the keyboard focus, and answers Enter as well as a click.
class PlaceButton : public QAbstractButton {
    Q_OBJECT
  public:
    PlaceButton(const QString& name, QWidget* parent);
    std::function<void()> on_hover, on_press;

  protected:
    void paintEvent(QPaintEvent*) override;
    void enterEvent(QEnterEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void focusInEvent(QFocusEvent*) override;
};

// `TForm3`: region maps, places, shops and the party. The widgets mirror TravelModel after
// every event and on the three 50 ms timers; the screen keeps no game state of its own.
class TravelScreen : public ScreenPage {
    Q_OBJECT
  public:
    TravelScreen(GameState& gs, Dialogs& dialogs, Sound& sound, Screens& screens,
                 BattleStarts starts, QWidget* parent = nullptr);

    void FormShow() override;
    void FormHide() override;
    // Brings every widget up to date with the model (done after each event and tick).
    void refresh();
    TravelModel& model() { return model_; }

    // Clicks a map button by name as a player would (tests and the keyboard use it too).
    PlaceButton* place_button(const QString& name) const;
    QGroupBox* region_box(int box) const;

    // Opens the player's settings (sound, speeds, window); the config box carries its button.
    std::function<void()> open_settings;
    // Opens the guide; the config box carries its 「ヘルプ」 button.
    std::function<void()> open_help;

    StatusPanelView* status_panel;
    QLabel* moji_l;
    QLabel* map_about_l;
    QLabel* toast_l;
    QLabel* Label1;
    QListWidget* party_list;
    QGroupBox* item_box;
    QListWidget* item_list;
    QLabel* item_about;
    QLabel* item_mark;
    QPushButton* item_use;
    QGroupBox* mara_box;
    QListWidget* job_list;
    QLabel* job_cg;
    QLabel* job_name0;
    QLabel* job_name1;
    QLabel* job_name2;
    std::array<QLabel*, 5> job_state{};  // job_state1..4 at [1..4]
    QLabel* job_about_l;
    QLabel* job_about_l2;
    QLabel* job_about_l3;
    QPushButton* BitBtn17;
    QPushButton* BitBtn19;
    QGroupBox* card_box;
    QLabel* card_l;
    QLabel* card_l2;
    QPushButton* BitBtn8;
    QGroupBox* ken_box;
    QLabel* ken_l;
    QLabel* ken_l2;
    QPushButton* BitBtn6;
    QGroupBox* hyoji_box;
    QSlider* TrackBar1;
    QPushButton* Button1;
    QPushButton* BitBtn4;
    QPushButton* BitBtn5;
    QPushButton* BitBtn12;
    QTimer* ticker_;  // the three 50 ms timers, ticked together while the page shows

  protected:
    void mouseMoveEvent(QMouseEvent*) override;

  private:
    template <typename F>
    void handle(F f);
    void build_regions();
    void build_class_shop();
    void build_card_shop();
    void build_sword_shop();
    void focus_first_place();

    Dialogs& dialogs_;
    TravelModel model_;
    std::map<int, QGroupBox*> regions_;
    std::map<QString, PlaceButton*> buttons_;
    std::map<int, RegionMap*> maps_;
};

}  // namespace lum
