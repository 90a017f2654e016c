// The data compiler's sources over arbitrary text: every fault is a DataError naming the file
// and the line; nothing else escapes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "datc.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using lum::datc::Kind;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    for (Kind k : {Kind::Stage, Kind::People, Kind::Jobs, Kind::Items, Kind::Places, Kind::Save,
                   Kind::Skills}) {
        try {
            lum::datc::compile(k, text, "fuzz.src");
        } catch (const lum::DataError&) {
        }
    }
    return 0;
}
