// What the about box takes from the library's own module: the version numbers of its
// version resource and its icon.
#pragma once

#include <windows.h>

#include <optional>

#include "win/resource.h"

namespace cadencer::about {

struct ModuleVersion {
    unsigned major = 0;
    unsigned minor = 0;
};

// The file version's major and minor numbers from the module's version resource, or
// empty when the module has none (or it is malformed).
std::optional<ModuleVersion> ReadModuleVersion(HMODULE module);

// The module's first icon at the given size (the caller destroys it), or null when the
// module has no icon.
HICON LoadModuleIcon(HMODULE module, int size);

// The about box's picture in the library's resources: the clock larger than the window
// icon, drawn for 48 x 48 pixels at 96 DPI and for the sizes of higher DPIs.
inline constexpr int kPictureIconId = IDI_ABOUT_PICTURE;
inline constexpr int kPictureSizeAt96Dpi = 48;
// The picture at `size` pixels (the caller destroys it); the module's first icon when it
// has no picture of its own, null when it has neither.
HICON LoadPictureIcon(HMODULE module, int size);

}  // namespace cadencer::about
