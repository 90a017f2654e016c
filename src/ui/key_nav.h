#pragma once

#include <QObject>
#include <QWidget>
#include <vector>

namespace lum {

// The keyboard over a screen's panels. Each group is one panel's buttons (or one list) in their
// order: the arrows step through the usable members of the focused group and wrap, Tab and
// Shift+Tab jump to the next or previous group on show, Enter (and Space, unless the screen
// keeps Space) presses the focused button. A held key presses nothing: its repeats would run
// on into the panel that opens next. Every other key goes on to the screen.
class KeyNav : public QObject {
  public:
    explicit KeyNav(QWidget* screen);

    // Adds a group and returns its number. Without `arrows` the arrow keys go to the screen
    // (the battle's movement panel steps with them); with `tab_walks` Tab and Shift+Tab walk
    // the group's members instead of leaving it (there the only way to its other buttons).
    int add_group(std::vector<QWidget*> members, bool arrows = true, bool tab_walks = false);
    // Space reaches the screen even from a focused button (the battle's fast-forward).
    void keep_space() { keep_space_ = true; }
    // Tab walks the screen's own focus chain (the travel map's places) instead of the groups.
    void keep_tab() { keep_tab_ = true; }

    // Called after each refresh with the group on top (-1: none) and the member it should start
    // on. When the top group changed, or the focus was lost (to a hidden or disabled member, or
    // to the screen itself), focus goes to `start` (the group's first usable member when `start` is
    // not usable); with no group on top the screen takes the keys back.
    void settle(int top, QWidget* start = nullptr, Qt::FocusReason why = Qt::OtherFocusReason);
    // Forgets the top group, so the next settle places the focus again.
    void reset() { top_ = -2; }

    bool usable(const QWidget* w) const;
    // True while a key press is pressing a button (a panel it opens then came by keys).
    bool pressing() const { return pressing_; }

    // The focus frame of the game's buttons, for their style sheets.
    static const char* const kFocusStyle;

  protected:
    bool eventFilter(QObject* obj, QEvent* e) override;

  private:
    struct Group {
        std::vector<QWidget*> members;
        bool arrows;
        bool tab_walks;
    };
    int group_of(const QObject* w) const;
    QWidget* first_usable(int g) const;
    bool jump(int from, int step);

    QWidget* screen_;
    std::vector<Group> groups_;
    bool keep_space_ = false;
    bool keep_tab_ = false;
    bool pressing_ = false;
    int top_ = -2;
};

}  // namespace lum
