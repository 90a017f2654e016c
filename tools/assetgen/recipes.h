#pragma once

// Recipe files: one item per line, "kind name key=value key=value ...", '#' starts a comment.
// Every fault is reported with the file, the line and the reason.

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "canvas.h"

namespace lum::assets {

class RecipeError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct Recipe {
    std::string file;
    int line = 0;
    std::string kind, name;
    std::map<std::string, std::string> values;
    std::vector<std::string> order;  // keys in written order

    [[noreturn]] void fail(const std::string& why) const;
    bool has(const std::string& key) const { return values.count(key) != 0; }
    std::string str(const std::string& key, const std::string& fallback) const;
    // One of the allowed words; an unknown word is refused, naming the choices.
    std::string word(const std::string& key, const std::vector<std::string>& allowed,
                     const std::string& fallback) const;
    int integer(const std::string& key, int lo, int hi, int fallback) const;
    art::Rgb colour(const std::string& key, art::Rgb fallback) const;
    // Keys not in the list are refused, so a misspelt key is not silently ignored.
    void only(const std::vector<std::string>& keys) const;
};

std::vector<Recipe> parse_recipes(const std::string& text, const std::string& file);
std::vector<Recipe> load_recipes(const std::string& path);
std::string read_text_file(const std::string& path);

}  // namespace lum::assets
