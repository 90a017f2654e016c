#pragma once

#include <QFrame>
#include <functional>

class QLabel;
class QPushButton;

namespace lum {

class ShellModel;

// `start_box`: the title box over the battle screen at start.
class TitleBox : public QFrame {
    Q_OBJECT
  public:
    TitleBox(ShellModel& model, QWidget* parent);

    // Copies the model's visible state into the widgets.
    void refresh();
    // The box's name for screen readers. Called after the first paint: the first accessible
    // name set starts Qt's accessibility bridge (a D-Bus connection under X11), which took
    // longer than making the whole title.
    void name_for_assistive_technology();

    QPushButton* Button1 = nullptr;   // "最初からする"
    QPushButton* Button2 = nullptr;   // "コンティニュー"
    QPushButton* ed_b1 = nullptr;     // "エンディング１"
    QPushButton* ed_b2 = nullptr;     // "エンディング２"
    QPushButton* config_b = nullptr;  // "設定": the settings dialog

    std::function<void()> on_settings;

  protected:
    void paintEvent(QPaintEvent* e) override;

  private:
    ShellModel& model_;
};

}  // namespace lum
