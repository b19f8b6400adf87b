#pragma once

#include <string>
#include <string_view>

namespace vexilo {

/// Where readme line 17 sends the user for the limit-adjuster tool: a web
/// search for its name, which keeps working whoever hosts the tool.
inline constexpr std::string_view kLimitAdjusterAddress =
    "https://duckduckgo.com/?q=Korrin+Limit+Adjuster+KLA";
/// Where readme line 32 sends the user for the zone list in index order.
inline constexpr std::string_view kZoneListAddress =
    "https://duckduckgo.com/?q=Vexilo+zones.md+zone+list";

/// Line end of the default file on every build, so the file a user finds is
/// the same bytes whichever build wrote it.
inline constexpr std::string_view kDefaultLineEnd = "\r\n";

/// The 58 lines of the default mapping file: a readme in comments and the
/// default mappings.
std::string DefaultMappingFileText();

}  // namespace vexilo
