// One more property, added by the recipe of README.md's "How to add a property" for the
// test build of the control core that control_recipe_test.cpp runs: a per-instance text
// with a default and a correction, stored in the bag after every other key. (Its IDL
// method, the recipe's other step, is left out: the test drives the core natively.)
// Included before the control's headers, by the test and by the build of its core.
#pragma once

#include <string>

// clang-format off
#define CADENCER_EXTRA_PROPERTY_ROWS(X) \
X(Greeting,                 0x6803001F, String,       D::Text(u"Hello"),    I,    P(28, 29, 29),      L::None,             0,             kEmptyText,                   kNoPage,                  Gen)
// clang-format on
#define CADENCER_EXTRA_INSTANCE_FIELDS std::u16string Greeting;
