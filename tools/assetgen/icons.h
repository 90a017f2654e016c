#pragma once

// The game's icon for the desktop (hicolor theme), drawn from the hero's portrait.

#include <string>
#include <vector>

#include "assets.h"

namespace lum::assets {

inline constexpr const char* kIconPortrait = "my1.bmp";  // the hero
inline constexpr int kIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

// PNG files "hicolor/<n>x<n>/apps/<app_id>.png" for every size in kIconSizes. Sizes up to 48
// show the face alone (the whole bust is unreadable that small), larger ones the portrait;
// 128 is the portrait's own pixels, 256 each pixel doubled. Throws RecipeError when the
// portrait is not among `pictures`.
std::vector<OutputFile> build_icons(const std::vector<Picture>& pictures,
                                    const std::string& app_id);

}  // namespace lum::assets
