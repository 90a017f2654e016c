// Every reader of the dat folder over arbitrary bytes: it may refuse, never crash or hang.
#include <cstddef>
#include <cstdint>
#include <string>

#include "state/data_files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    using Reader = void (*)(lum::DatReader&, lum::GameState&);
    static const Reader readers[] = {lum::read_save,  lum::read_magic, lum::read_job,
                                     lum::read_aiko,  lum::read_name,  lum::read_place,
                                     lum::read_tikai, lum::read_item};
    static lum::GameState gs;
    for (Reader read : readers) {
        lum::DatReader r(bytes, "fuzz.dat");
        try {
            read(r, gs);
        } catch (const lum::DataError&) {
        }
    }
    lum::DatReader r(bytes, "story0.dat");
    try {
        lum::read_enemies_and_script(r, gs.stage_enemies, gs.script);
    } catch (const lum::DataError&) {
    }
    return 0;
}
