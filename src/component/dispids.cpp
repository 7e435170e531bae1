// Property names to DISPIDs, in the order of the dual interface.
#include "component/dispids.h"

#include <array>

#include "engine/property_bag.h"

namespace cadencer::com {

DISPID DispIdOfProperty(std::u16string_view name) {
    static constexpr std::array<std::u16string_view, 31> kByNumber = {u"SelectionsMonthly",
                                                                      u"SelectionsWeekly",
                                                                      u"UseEndDate",
                                                                      u"EndDate",
                                                                      u"StartDate",
                                                                      u"StartMinute",
                                                                      u"StartHour",
                                                                      u"EveryMinuteIncrement",
                                                                      u"EveryMinuteMax",
                                                                      u"EveryMinuteMin",
                                                                      u"EveryHourIncrement",
                                                                      u"EveryHourMax",
                                                                      u"EveryHourMin",
                                                                      u"EveryFrequency",
                                                                      u"EveryInterval",
                                                                      u"OccursOption",
                                                                      u"Icon",
                                                                      u"CaptionHelpButton",
                                                                      u"CaptionCloseButtonAfter",
                                                                      u"CaptionCloseButtonBefore",
                                                                      u"CaptionOKButtonAfter",
                                                                      u"CaptionOKButtonBefore",
                                                                      u"Title",
                                                                      u"StartUpTop",
                                                                      u"StartUpLeft",
                                                                      u"StartUpPosition",
                                                                      u"LastScheduledTime",
                                                                      u"NextScheduledTime",
                                                                      u"ShowHelpButton",
                                                                      u"Modal",
                                                                      u"Enabled"};
    for (std::size_t n = 0; n < kByNumber.size(); ++n)
        if (KeysEqualIgnoringCase(kByNumber[n], name)) return static_cast<DISPID>(0x68030000 + n);
    return DISPID_UNKNOWN;
}

}  // namespace cadencer::com
