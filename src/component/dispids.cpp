// Property names to DISPIDs, from the property table.
#include "component/dispids.h"

#include "control/property_table.h"

namespace cadencer::com {

DISPID DispIdOfProperty(std::u16string_view name) {
    const control::PropertyRow* row = control::FindProperty(name);
    return row ? static_cast<DISPID>(row->dispid) : DISPID_UNKNOWN;
}

}  // namespace cadencer::com
