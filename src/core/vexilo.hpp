#pragma once

namespace vexilo {

/// The plug-in. Its one instance is built by the library's static
/// initialisation; the constructor fills the tables from the mapping file and
/// then sends the host's plate-design routine to SelectPlateback.
class Vexilo {
 public:
  Vexilo();
};

}  // namespace vexilo
