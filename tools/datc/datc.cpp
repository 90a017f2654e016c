#include "datc.h"

#include <algorithm>

#include "forms.h"
#include "state/dat_text.h"
#include "state/data_files.h"

namespace lum::datc {

namespace fs = std::filesystem;

namespace {

struct TableFile {
    Kind kind;
    const char* source;  // under data/
    const char* dat;
};

constexpr TableFile kTables[] = {
    {Kind::Save, "save/my.toml", "my.dat"},
    {Kind::Skills, "tables/skills.toml", "magic.dat"},
    {Kind::Jobs, "tables/classes.toml", "job.dat"},
    {Kind::Aiko, "tables/aiko.toml", "aiko.dat"},
    {Kind::Names, "tables/names.toml", "name.dat"},
    {Kind::Places, "tables/places.toml", "place.dat"},
    {Kind::Oaths, "tables/oaths.toml", "tikai.dat"},
    {Kind::Items, "tables/items.toml", "item.dat"},
};

// "story12.dat" with prefix "story" and suffix ".dat" -> 12; nullopt when it does not match.
std::optional<int> numbered(const std::string& name, const std::string& prefix,
                            const std::string& suffix) {
    if (name.size() <= prefix.size() + suffix.size()) return std::nullopt;
    if (name.compare(0, prefix.size(), prefix) != 0) return std::nullopt;
    if (name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) return std::nullopt;
    std::string digits = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    if (digits.empty() || digits.size() > 4) return std::nullopt;
    for (char c : digits)
        if (c < '0' || c > '9') return std::nullopt;
    if (digits.size() > 1 && digits[0] == '0') return std::nullopt;  // the game never pads numbers
    return std::stoi(digits);
}

std::string file_name(const std::string& s) {
    return fs::path(s).filename().string();
}

}  // namespace

std::optional<Kind> kind_of_dat(const std::string& path) {
    const std::string name = file_name(path);
    for (const TableFile& t : kTables)
        if (name == t.dat) return t.kind;
    if (numbered(name, "story", ".dat")) return Kind::Stage;
    if (numbered(name, "people", ".dat")) return Kind::People;
    return std::nullopt;
}

std::optional<Kind> kind_of_source(const std::string& path) {
    const std::string name = file_name(path);
    for (const TableFile& t : kTables)
        if (name == file_name(t.source)) return t.kind;
    if (numbered(name, "story", ".txt")) return Kind::Stage;
    if (numbered(name, "people", ".txt")) return Kind::People;
    return std::nullopt;
}

std::string dat_name_for_source(const std::string& path) {
    const std::string name = file_name(path);
    for (const TableFile& t : kTables)
        if (name == file_name(t.source)) return t.dat;
    if (auto n = numbered(name, "story", ".txt")) return stage_file_name(*n);
    if (auto n = numbered(name, "people", ".txt")) return people_file_name(*n);
    return {};
}

std::string source_name_for_dat(const std::string& path) {
    const std::string name = file_name(path);
    for (const TableFile& t : kTables)
        if (name == t.dat) return file_name(t.source);
    if (auto n = numbered(name, "story", ".dat")) return "story" + std::to_string(*n) + ".txt";
    if (auto n = numbered(name, "people", ".dat")) return "people" + std::to_string(*n) + ".txt";
    return {};
}

std::string file_line(const std::string& file, int line) {
    return line > 0 ? file + ":" + std::to_string(line) : file;
}

std::string format_error(const DataError& e) {
    return file_line(e.file(), e.line()) + ": " + e.reason();
}

std::string compile(Kind kind, std::string_view source, const std::string& name,
                    std::vector<std::string>* warnings) {
    if (kind == Kind::Stage || kind == Kind::People)
        return compile_script(source, name, kind == Kind::People, warnings);
    return compile_table(kind, source, name);
}

std::string decompile(Kind kind, std::string_view dat, const std::string& name) {
    if (kind == Kind::Stage || kind == Kind::People)
        return decompile_script(dat, name, kind == Kind::People);
    return decompile_table(kind, dat, name);
}

std::vector<std::string> compile_dir(const fs::path& data_dir, const fs::path& out_dir,
                                     std::vector<std::string>* warnings) {
    std::vector<std::string> errors;
    std::error_code ec;
    fs::create_directories(out_dir, ec);
    if (ec) {
        errors.push_back(out_dir.string() + ": cannot create the folder: " + ec.message());
        return errors;
    }

    std::vector<std::pair<fs::path, Kind>> sources;
    for (const TableFile& t : kTables) sources.emplace_back(data_dir / t.source, t.kind);
    for (const char* sub : {"stages", "people"}) {
        const fs::path dir = data_dir / sub;
        if (!fs::is_directory(dir, ec)) {
            errors.push_back(dir.string() + ": the folder is missing");
            continue;
        }
        std::vector<fs::path> found;
        for (const auto& entry : fs::directory_iterator(dir, ec)) {
            const std::string name = entry.path().filename().string();
            const bool wanted = std::string(sub) == "stages" ? name.rfind("story", 0) == 0
                                                             : name.rfind("people", 0) == 0;
            if (!wanted || entry.path().extension() != ".txt") continue;
            auto kind = kind_of_source(name);
            if (!kind) {
                errors.push_back(entry.path().string() +
                                 ": not a script name (story<N>.txt or people<N>.txt)");
                continue;
            }
            found.push_back(entry.path());
        }
        std::sort(found.begin(), found.end());
        for (const fs::path& p : found)
            sources.emplace_back(p, *kind_of_source(p.filename().string()));
    }

    for (const auto& [path, kind] : sources) {
        try {
            std::string text = read_file_bytes(path);
            std::string bytes = compile(kind, text, path.string(), warnings);
            write_file_atomic(out_dir / dat_name_for_source(path.filename().string()), bytes);
        } catch (const DataError& e) {
            errors.push_back(format_error(e));
        }
    }
    return errors;
}

std::vector<std::string> install_dat(const fs::path& staging, const fs::path& game_dat) {
    std::vector<std::string> copied;
    fs::create_directories(game_dat);
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(staging))
        if (entry.is_regular_file() && entry.path().extension() == ".dat")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    for (const fs::path& src : files) {
        const std::string name = src.filename().string();
        const fs::path dst = game_dat / name;
        const bool is_save = name == "my.dat" || name == "item.dat";
        std::error_code ec;
        if (is_save && fs::exists(dst, ec)) continue;
        write_file_atomic(dst, read_file_bytes(src));
        copied.push_back(name);
    }
    return copied;
}

}  // namespace lum::datc
