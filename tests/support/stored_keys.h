// The 29 keys a save of the control writes, in its writing order: the order is part of the
// stored form (hosts keep it in their files), so the tests hold it here once.
#pragma once

#include <string>
#include <vector>

namespace cadencer_test {

inline const std::vector<std::wstring> kStoredKeys = {L"Enabled",
                                                      L"Title",
                                                      L"Modal",
                                                      L"ShowHelpButton",
                                                      L"CaptionOKButtonBefore",
                                                      L"CaptionOKButtonAfter",
                                                      L"CaptionCloseButtonBefore",
                                                      L"CaptionCloseButtonAfter",
                                                      L"CaptionHelpButton",
                                                      L"Icon",
                                                      L"StartUpPosition",
                                                      L"StartUpLeft",
                                                      L"StartUpTop",
                                                      L"OccursOption",
                                                      L"EveryInterval",
                                                      L"EveryFrequency",
                                                      L"EveryHourMin",
                                                      L"EveryHourMax",
                                                      L"EveryHourIncrement",
                                                      L"EveryMinuteMin",
                                                      L"EveryMinuteMax",
                                                      L"EveryMinuteIncrement",
                                                      L"StartHour",
                                                      L"StartMinute",
                                                      L"StartDate",
                                                      L"EndDate",
                                                      L"UseEndDate",
                                                      L"SelectionsWeekly",
                                                      L"SelectionsMonthly"};

}  // namespace cadencer_test
