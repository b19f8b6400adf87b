#include "core/vexilo.hpp"

namespace {

// The plug-in's single instance: built when the host loads the library.
const vexilo::Vexilo plugin;

}  // namespace
