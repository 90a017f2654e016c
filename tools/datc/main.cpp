// datc: compiles the game's data sources into dat files, turns dat files back into sources,
// and installs compiled files into a game folder without touching the player's save.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "content.h"
#include "datc.h"
#include "manifest.h"
#include "state/dat_text.h"

namespace fs = std::filesystem;
using namespace lum;

namespace {

int usage() {
    std::cerr
        << "usage:\n"
           "  datc compile <data-dir> <out-dat-dir>   compile every source under data/\n"
           "  datc compile <source-file> <out>        compile one source (out: a file or a "
           "folder)\n"
           "  datc decompile <dat-file> [-o out]      print (or write) the source of a dat file\n"
           "  datc install <staging-dir> <game-dat>   copy compiled files, keeping an existing "
           "save\n"
           "  datc content <data-dir> [--strict]     walk the story from a new game: every\n"
           "                                          stage's place on the map, recruits the\n"
           "                                          code knows, enemies named and drawn for\n"
           "                                          what they do, no placeholder scripts\n"
           "                                          (without --strict, road faults warn)\n"
           "  datc manifest <data-dir> <game-dir> [--src <src-dir>]\n"
           "                                          check that every picture, wave and piece\n"
           "                                          named by the code, tables and scripts is "
           "there\n";
    return 2;
}

int compile_one(const fs::path& src, fs::path out) {
    auto kind = datc::kind_of_source(src.filename().string());
    if (!kind) {
        std::cerr << src.string() << ": not a source name (classes.toml, story<N>.txt, ...)\n";
        return 1;
    }
    std::error_code ec;
    if (fs::is_directory(out, ec)) out /= datc::dat_name_for_source(src.filename().string());
    try {
        std::vector<std::string> warnings;
        std::string bytes = datc::compile(*kind, read_file_bytes(src), src.string(), &warnings);
        for (const auto& w : warnings) std::cerr << w << "\n";
        write_file_atomic(out, bytes);
    } catch (const DataError& e) {
        std::cerr << datc::format_error(e) << "\n";
        return 1;
    }
    return 0;
}

int decompile(const fs::path& dat, const std::string& out) {
    auto kind = datc::kind_of_dat(dat.filename().string());
    if (!kind) {
        std::cerr << dat.string()
                  << ": not a dat file the game reads (my.dat, job.dat, story<N>.dat, ...)\n";
        return 1;
    }
    try {
        std::string text = datc::decompile(*kind, read_file_bytes(dat), dat.string());
        if (out.empty()) {
            std::cout << text;
        } else {
            fs::path target = out;
            std::error_code ec;
            if (fs::is_directory(target, ec))
                target /= datc::source_name_for_dat(dat.filename().string());
            write_file_atomic(target, text);
        }
    } catch (const DataError& e) {
        std::cerr << datc::format_error(e) << "\n";
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return usage();
    const std::string cmd = args[0];
    try {
        if (cmd == "compile" && args.size() == 3) {
            std::error_code ec;
            if (!fs::is_directory(args[1], ec)) return compile_one(args[1], args[2]);
            std::vector<std::string> warnings;
            auto errors = datc::compile_dir(args[1], args[2], &warnings);
            for (const auto& w : warnings) std::cerr << w << "\n";
            for (const auto& e : errors) std::cerr << e << "\n";
            return errors.empty() ? 0 : 1;
        }
        if ((cmd == "decompile" || cmd == "--decompile") &&
            (args.size() == 2 || args.size() == 4)) {
            std::string out;
            if (args.size() == 4) {
                if (args[2] != "-o") return usage();
                out = args[3];
            }
            return decompile(args[1], out);
        }
        if (cmd == "content" && (args.size() == 2 || (args.size() == 3 && args[2] == "--strict"))) {
            const bool strict = args.size() == 3;
            size_t errors = 0, warnings = 0;
            for (const auto& f : datc::check_content(args[1])) {
                std::cerr << datc::format_fault(f, strict) << "\n";
                (f.road && !strict ? warnings : errors) += 1;
            }
            std::cerr << "datc: content: " << errors << " fault" << (errors == 1 ? "" : "s") << ", "
                      << warnings << " warning" << (warnings == 1 ? "" : "s")
                      << (strict ? "" : " (road faults only warn without --strict)") << "\n";
            return errors == 0 ? 0 : 1;
        }
        if (cmd == "manifest" && (args.size() == 3 || (args.size() == 5 && args[3] == "--src"))) {
            size_t checked = 0;
            auto errors = datc::check_manifest(
                args[1], args[2], args.size() == 5 ? fs::path(args[4]) : fs::path(), &checked);
            for (const auto& e : errors) std::cerr << e << "\n";
            if (!errors.empty()) {
                std::cerr << "datc: manifest: " << errors.size() << " fault"
                          << (errors.size() == 1 ? "" : "s") << "\n";
                return 1;
            }
            std::cout << "datc: manifest: all " << checked << " files named are in " << args[2]
                      << "\n";
            return 0;
        }
        if (cmd == "install" && args.size() == 3) {
            auto copied = datc::install_dat(args[1], args[2]);
            bool kept_save = std::find(copied.begin(), copied.end(), "my.dat") == copied.end();
            std::cout << "datc: installed " << copied.size() << " files into " << args[2]
                      << (kept_save ? " (the existing save was kept)" : "") << "\n";
            return 0;
        }
    } catch (const DataError& e) {
        std::cerr << datc::format_error(e) << "\n";
        return 1;
    } catch (const fs::filesystem_error& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    return usage();
}
