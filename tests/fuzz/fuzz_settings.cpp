// Feeds arbitrary bytes to the settings reader, as a damaged or hostile config.txt would,
// and checks that what it keeps is sound and survives a write and a second read.
#include "settings/ServerList.h"
#include "settings/SettingsFile.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    hv::Settings fields;
    hv::ParseSettingsText(text, "C:\\Dir\\", fields);
    if (!hv::HasValidServerCounts(fields.serverList)) std::abort();
    (void)hv::ParseServerEntries(fields.serverList);
    (void)hv::DefaultServerIndex(fields.serverList);

    hv::Settings again;
    hv::ParseSettingsText(hv::FormatSettingsText(fields), "C:\\Dir\\", again);
    if (again.serverList != fields.serverList || again.autoSync != fields.autoSync) std::abort();
    return 0;
}
