#pragma once

#include "injector/hooking.hpp"

namespace vexilo {

/// The plug-in, built by the library's static initialisation: fills the
/// tables from the mapping file, then sends the plate-design routine of the
/// builds it knows to SelectPlateback. At unload that routine's bytes go back
/// first, then the kept hooker puts the frame call back.
class Vexilo {
 public:
  Vexilo();

 private:
  /// The first bytes of the host's plate-design routine, while the jump
  /// stands over them.
  injector::scoped_basic<5> plateRoutine_;
};

}  // namespace vexilo
