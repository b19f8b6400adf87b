#pragma once

#include <string>
#include <vector>

namespace vexilo::testing {

/// What a mapping file sets, as a second reading of the format finds it.
struct SimpleTable {
  std::vector<long long> plates = std::vector<long long>(377, 0);
  bool debug = false;
};

/// A deliberately plain reading of the mapping format, written from its
/// rules with no regard for speed or memory, to check the plug-in's reader
/// against: same bytes, same table and debug flag.
SimpleTable ReadSimply(const std::string& bytes);

}  // namespace vexilo::testing
