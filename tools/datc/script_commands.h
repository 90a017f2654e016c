#pragma once

// The named commands of stage and people scripts and the numeric codes the story player runs.

#include <optional>
#include <string>
#include <string_view>

namespace lum::datc {

enum class ArgKind {
    None,     // the command takes no argument (one given is kept as it is)
    Text,     // a line for the story text box
    Picture,  // a picture file under cg/
    Music,    // a MIDI piece under mid/, or "not"
    Name,     // a new member's name
    Title,    // a title card
    Credits,  // a credits line, or "end"
    Number,   // a decimal number (range checked per command)
};

struct CommandInfo {
    int code;
    const char* name;
    ArgKind arg;
};

// Every code 0..25 in code order.
const CommandInfo* command_table();
inline constexpr int kCommandCount = 26;

const CommandInfo* command_by_name(std::string_view name);
const CommandInfo* command_by_code(int code);

// Commands that end a stage scene, and the one that ends a conversation.
bool ends_stage(int code);
inline constexpr int kEndConversation = 17;

// The codes the checks after compiling look for.
enum Code : int {
    kCodeBackground = 1,
    kCodeMusic = 2,
    kCodeNextStage = 3,
    kCodeChoice = 4,
    kCodeQuit = 6,
    kCodeJoin = 9,
    kCodeOpen = 10,
    kCodeClose = 11,
    kCodePortrait = 14,
    kCodeJoinReserve = 15,
    kCodeBackToTravel = 17,
    kCodeNextStageHere = 24,
};

}  // namespace lum::datc
