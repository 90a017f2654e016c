#pragma once

// A game controller played as the keyboard: each pad input becomes the key it stands for,
// sent to whatever has the keyboard focus, so every screen, panel and dialog that the keys
// reach, the pad reaches too, with no screen knowing about pads.

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "state/pad_input.h"

class QLabel;
class QTimer;
class QWidget;

namespace lum {

struct PadKey {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
};

// D-pad and stick: the arrows; A Enter; B Esc; X the Menu key (the battle's commands, the
// travel screen's items); Y H; LB/RB Shift+Tab/Tab; Start F2; Back L (the logs); RT Ctrl.
PadKey pad_key(PadInput in);

class PadKeys : public QObject {
  public:
    using Poll = std::function<std::vector<PadEvent>()>;
    // Polls `poll` (the pads) while the game runs; the notices of pads coming and going show
    // over `window`. Without `poll` (no controller layer) deliver() still works.
    PadKeys(Poll poll, QWidget* window);
    ~PadKeys() override;

    // One pad event, as poll() delivers it: a key press or release to the focused widget of
    // the active window (none: the game is behind another program, and the input is dropped),
    // or a notice.
    void deliver(const PadEvent& e);

    // A held direction repeats after kRepeatDelayMs, every kRepeatMs, as a held arrow key does.
    static constexpr int kPollMs = 16;
    static constexpr int kRepeatDelayMs = 400;
    static constexpr int kRepeatMs = 90;
    static constexpr int kNoticeMs = 3000;

    QLabel* notice() const { return notice_; }

  private:
    void send(PadInput in, bool press, bool repeat);
    void show_notice(const QString& text);

    Poll poll_pads_;
    QWidget* window_;
    QTimer* poll_ = nullptr;
    QTimer* repeat_ = nullptr;
    QTimer* notice_timer_ = nullptr;
    QLabel* notice_ = nullptr;
    int repeating_ = -1;  // the PadInput held and repeating, or -1
};

}  // namespace lum
