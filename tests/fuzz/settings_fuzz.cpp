// MIXER.INI over arbitrary text: unreadable lines become warnings, nothing else happens.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "sound/mixer/mixer_settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    auto p = lum::mix::ProfileFile::parse(text, "MIXER.INI");
    for (const char* key : {"Blocks", "BlockLen", "Rate", "Channels", "Remix", "Device"})
        p.get_int("MIXER", key, 0);
    return 0;
}
