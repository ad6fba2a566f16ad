#include "dialogs/ServerMeasurement.h"

#include "settings/ServerList.h"

namespace hv {

bool IsStorableServerText(std::string_view text) {
    return text.find_first_of(std::string{kEntryEnd, kAddressOpen, kAddressClose}) == std::string_view::npos;
}

} // namespace hv
