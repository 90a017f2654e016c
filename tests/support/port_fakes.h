#pragma once

// Fakes of the ports the rules talk through: each records every call in order, and the
// dialogs answer Yes/No questions from a script.

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "state/ports.h"

namespace lum::test {

class FakeDialogs : public Dialogs {
  public:
    void inform(const std::string& text) override {
        log.push_back("inform:" + text);
        if (while_shown) while_shown(text);
    }
    bool ask_yes_no(const std::string& text) override { return answer("ask:", text); }
    // Logged apart: Enter answers this one with "No".
    bool ask_yes_no_default_no(const std::string& text) override { return answer("ask-no:", text); }
    bool answer(const std::string& kind, const std::string& text) {
        log.push_back(kind + text);
        if (while_shown) while_shown(text);
        if (answers.empty()) return default_answer;
        bool a = answers.front();
        answers.pop_front();
        return a;
    }
    std::vector<std::string> log;
    std::deque<bool> answers;
    bool default_answer = true;  // once the scripted answers are used up
    // Runs while a box is up, as the screen's timers do inside its event loop.
    std::function<void(const std::string&)> while_shown;
};

class FakeSound : public Sound {
  public:
    void play_ok_sound() override { log.push_back("ok"); }
    void play_step_sound() override { log.push_back("step"); }
    void play_effect(const std::string& w) override { log.push_back("effect:" + w); }
    void play_effect3(const std::string& w) override { log.push_back("effect3:" + w); }
    void play_music(const std::string& m) override { log.push_back("music:" + m); }
    std::vector<std::string> log;
};

class FakePacing : public Pacing {
  public:
    void pause_ms(int ms) override { pauses.push_back(ms); }
    void repaint_now() override { ++repaints; }
    std::vector<int> pauses;
    int repaints = 0;
};

class FakeScreens : public Screens {
  public:
    static const char* name(ScreenId s) {
        switch (s) {
            case ScreenId::battle:
                return "battle";
            case ScreenId::result:
                return "result";
            case ScreenId::travel:
                return "travel";
            default:
                return "story";
        }
    }
    void show(ScreenId s) override { log.push_back(std::string("show:") + name(s)); }
    void hide(ScreenId s) override { log.push_back(std::string("hide:") + name(s)); }
    void close(ScreenId s) override { log.push_back(std::string("close:") + name(s)); }
    std::vector<std::string> log;
};

}  // namespace lum::test
