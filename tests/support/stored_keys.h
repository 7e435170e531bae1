// The keys a save of the control writes, in its writing order: the order is part of the
// stored form (hosts keep it in their files), so the tests hold it once, the native tests
// and those under Wine alike.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cadencer_test {

inline constexpr std::u16string_view kStoredKeyNames[] = {u"Enabled",
                                                          u"Title",
                                                          u"Modal",
                                                          u"ShowHelpButton",
                                                          u"CaptionOKButtonBefore",
                                                          u"CaptionOKButtonAfter",
                                                          u"CaptionCloseButtonBefore",
                                                          u"CaptionCloseButtonAfter",
                                                          u"CaptionHelpButton",
                                                          u"Icon",
                                                          u"StartUpPosition",
                                                          u"StartUpLeft",
                                                          u"StartUpTop",
                                                          u"OccursOption",
                                                          u"EveryInterval",
                                                          u"EveryFrequency",
                                                          u"EveryHourMin",
                                                          u"EveryHourMax",
                                                          u"EveryHourIncrement",
                                                          u"EveryMinuteMin",
                                                          u"EveryMinuteMax",
                                                          u"EveryMinuteIncrement",
                                                          u"StartHour",
                                                          u"StartMinute",
                                                          u"StartDate",
                                                          u"EndDate",
                                                          u"UseEndDate",
                                                          u"SelectionsWeekly",
                                                          u"SelectionsMonthly"};

// The same keys as the Windows tests name them. Defined in component_support.cpp, not
// inline here: the support library is optimised and the tests are not, and the linker met
// the two copies with different sizes.
extern const std::vector<std::wstring> kStoredKeys;

}  // namespace cadencer_test
