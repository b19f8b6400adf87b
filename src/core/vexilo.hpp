#pragma once

#include "injector/hooking.hpp"

namespace vexilo {

/// The plug-in. Its one instance is built by the library's static
/// initialisation; the constructor fills the tables from the mapping file and
/// then, on the host builds whose plate-design routine it knows, sends that
/// routine to SelectPlateback. At unload the instance goes first, and the
/// routine's own bytes go back. Then the statics its constructor made go, in
/// reverse: the kept hooker puts the frame call back, then the site's manager
/// goes, last the draw event.
class Vexilo {
 public:
  Vexilo();

 private:
  /// The first bytes of the host's plate-design routine, while the jump
  /// stands over them.
  injector::scoped_basic<5> plateRoutine_;
};

}  // namespace vexilo
