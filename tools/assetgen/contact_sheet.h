#pragma once

#include <string>
#include <vector>

#include "assets.h"

namespace lum::assets {

// Every picture on one sheet, grouped, small ones enlarged, each with its file name. Needs a
// QGuiApplication for the labels. Returns false when the file cannot be written.
bool write_contact_sheet(const std::vector<Picture>& pictures, const std::string& png_path);

}  // namespace lum::assets
