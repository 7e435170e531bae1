// The keys a save of the control writes, in its writing order: the order is part of the
// stored form (hosts keep it in their files), so the tests hold it once.
#pragma once

#include <string>
#include <vector>

namespace cadencer_test {

// Defined in component_support.cpp, not inline here: the support library is optimised and
// the tests are not, and the linker met the two copies with different sizes.
extern const std::vector<std::wstring> kStoredKeys;

}  // namespace cadencer_test
