#pragma once

// Everything assetgen makes, built in memory from the recipes under data/ and then written
// into the game folder (cg/, mid/, dat/buttons.txt).

#include <cstdint>
#include <string>
#include <vector>

#include "canvas.h"

namespace lum::assets {

struct Picture {
    std::string file;   // "my1.bmp"
    std::string group;  // "portrait", "sprite", "class", "battle map", ...
    art::Canvas canvas;
};

struct OutputFile {
    std::string path;  // relative to the game folder: "cg/my1.bmp"
    std::vector<uint8_t> bytes;
};

struct Bundle {
    std::vector<Picture> pictures;
    std::vector<OutputFile> files;
};

// data_dir is the project's data/ folder. Throws RecipeError or mml::MmlError.
std::vector<Picture> build_pictures(const std::string& data_dir, std::vector<OutputFile>* extra);
std::vector<OutputFile> build_sounds(const std::string& data_dir);
std::vector<OutputFile> build_music(const std::string& data_dir);
Bundle build_all(const std::string& data_dir);

// Writes every file whose bytes differ from what is on disk; returns how many were written.
int write_bundle(const Bundle& b, const std::string& game_dir);

}  // namespace lum::assets
