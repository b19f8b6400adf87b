#include "wording.hpp"

namespace vexilo::check {

std::string Texture(std::int64_t plate) { return "plateback" + std::to_string(plate + 1); }

std::string Plural(std::size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace vexilo::check
