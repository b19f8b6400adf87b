#include "wording.hpp"

namespace vexilo::check {

std::string Texture(std::int64_t plate) { return "plateback" + std::to_string(plate + 1); }

std::string Plural(std::size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string Listed(const std::vector<std::string>& items, std::string_view joint,
                   std::string_view lastJoint) {
  std::string text;
  for (std::size_t i = 0; i < items.size(); ++i)
    text += std::string(i == 0 ? "" : i + 1 == items.size() ? lastJoint : joint) + items[i];
  return text;
}

}  // namespace vexilo::check
