#pragma once

// The asset manifest: every picture, wave and piece of music that the game's code, its tables
// or its scripts name, each with the place that names it, checked against a built game folder.
// A name that is missing there would show as a blank picture or a silent sound at best, and a
// missing unit or portrait picture abandons a battle set-up, so the build refuses it.

#include <filesystem>
#include <string>
#include <vector>

namespace lum::datc {

struct AssetRef {
    std::string folder;  // "cg" for pictures, "mid" for waves and music
    std::string name;    // file name inside the folder
    std::string origin;  // "file:line", or what in the game asks for it
    std::string why;     // what the file is for, for the message
};

// The pieces the 楽譜 items play by their value: 1..9 cl_0v, 10..12 cl_v, 13 your, 14 twincle,
// 15 cl_s2, 16 cl_s3, 17 cl_s5, 18..21 cl_s(v-11), 22 cl_s12, 23 spacial; empty for others.
std::string score_piece(int value);

// Names the game builds from patterns or holds as fixed names: the party and class pictures,
// the portraits picked by name, region maps, shop masters, every sound effect and the pieces
// the screens choose among.
std::vector<AssetRef> game_refs();

// File name literals ("punch.wav", "my0.bmp", ...) in the C++ sources under src_dir.
std::vector<AssetRef> source_refs(const std::filesystem::path& src_dir);

// Names in the authored data: the places' battle maps, the pieces of the 楽譜 items, and the
// backgrounds, portraits, music and enemy pictures of every stage and people script. Faults
// that stop a file from being read, and 楽譜 values that pick no piece, go to `errors`.
std::vector<AssetRef> data_refs(const std::filesystem::path& data_dir,
                                std::vector<std::string>& errors);

// One message per reference whose file is not in game_dir/<folder>: "origin: why NAME is
// missing ...". Each missing file is reported at every place that names it.
std::vector<std::string> missing_assets(const std::vector<AssetRef>& refs,
                                        const std::filesystem::path& game_dir);

// All of the above: data faults first, then missing files. src_dir may be empty (no scan).
std::vector<std::string> check_manifest(const std::filesystem::path& data_dir,
                                        const std::filesystem::path& game_dir,
                                        const std::filesystem::path& src_dir,
                                        size_t* checked = nullptr);

}  // namespace lum::datc
