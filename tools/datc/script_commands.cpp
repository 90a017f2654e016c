#include "script_commands.h"

namespace lum::datc {

namespace {

constexpr CommandInfo kCommands[kCommandCount] = {
    {0, "text", ArgKind::Text},
    {1, "bg", ArgKind::Picture},
    {2, "music", ArgKind::Music},
    {3, "next_stage", ArgKind::None},
    {4, "choice", ArgKind::None},
    {5, "money", ArgKind::Number},
    {6, "quit", ArgKind::None},
    {7, "ark", ArgKind::Number},
    {8, "pause", ArgKind::None},
    {9, "join", ArgKind::Name},
    {10, "open", ArgKind::Number},
    {11, "close", ArgKind::Number},
    {12, "give_item", ArgKind::Number},
    {13, "spacer", ArgKind::None},
    {14, "portrait", ArgKind::Picture},
    {15, "join_reserve", ArgKind::Name},
    {16, "learn", ArgKind::Number},
    {17, "back_to_travel", ArgKind::None},
    {18, "leave", ArgKind::Number},
    {19, "plain_choice", ArgKind::None},
    {20, "title", ArgKind::Title},
    {21, "zoom", ArgKind::None},
    {22, "zoom_close", ArgKind::None},
    {23, "title_now", ArgKind::Title},
    {24, "next_stage_here", ArgKind::None},
    {25, "credits", ArgKind::Credits},
};

}  // namespace

const CommandInfo* command_table() {
    return kCommands;
}

const CommandInfo* command_by_name(std::string_view name) {
    for (const CommandInfo& c : kCommands)
        if (name == c.name) return &c;
    return nullptr;
}

const CommandInfo* command_by_code(int code) {
    if (code < 0 || code >= kCommandCount) return nullptr;
    return &kCommands[code];
}

bool ends_stage(int code) {
    return code == 3 || code == 6 || code == 17 || code == 24;
}

}  // namespace lum::datc
