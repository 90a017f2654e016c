#pragma once

// The two source languages behind datc::compile / datc::decompile.

#include <string>
#include <string_view>

#include "datc.h"

namespace lum::datc {

// Stage and people scripts: enemy blocks and one command a line.
std::string compile_script(std::string_view source, const std::string& name, bool people);
std::string decompile_script(std::string_view dat, const std::string& name, bool people);

// The master tables and the initial save, in TOML.
std::string compile_table(Kind kind, std::string_view source, const std::string& name);
std::string decompile_table(Kind kind, std::string_view dat, const std::string& name);

}  // namespace lum::datc
