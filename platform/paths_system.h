// Internal to the platform layer: what each system supplies to the portable
// path functions (platform/paths_common.cpp).
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::detail {

// The names of the regular files (symbolic links followed) in the folder, as
// the system spells them, for which wanted(name) holds. A missing folder gives
// none.
std::vector<std::string> RegularFilesIn(const std::string& folder,
                                        const std::function<bool(std::string_view)>& wanted);

// base + separator + rest + separator, without doubling a separator that base
// ends with.
std::string FolderBelow(std::string base, std::string_view rest);

} // namespace platform::detail
