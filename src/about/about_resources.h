// What the about box takes from the library's own module: the version numbers of its
// version resource and its icon.
#pragma once

#include <windows.h>

#include <optional>

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

}  // namespace cadencer::about
