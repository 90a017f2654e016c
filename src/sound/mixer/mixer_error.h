#pragma once

#include <stdexcept>
#include <string>

namespace lum::mix {

// Every failure of the mixer surfaces as this, with an English message. The sound front
// swallows them; nothing else in the game needs to tell them apart.
class EMixerError : public std::runtime_error {
  public:
    explicit EMixerError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace lum::mix
