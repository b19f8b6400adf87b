#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "plugin_library.hpp"

/// A small check collector for the stand-in host, which stays free of a test
/// framework so that its Windows build fits below the host's fixed addresses.
namespace vexilo::standin {

inline std::string Show(std::int32_t value) { return std::to_string(value); }
inline std::string Show(long value) { return std::to_string(value); }
inline std::string Show(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", value);
  return text;
}
inline std::string Show(std::uint8_t value) { return Show(std::uint32_t{value}); }
inline std::string Show(bool value) { return value ? "true" : "false"; }
inline std::string Show(const std::string& value) { return "\"" + value + "\""; }
inline std::string Show(const void* value) {
  return Show(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(value)));
}
inline std::string Show(const std::array<std::uint8_t, 5>& bytes) {
  char text[20];
  std::snprintf(text, sizeof text, "%02X %02X %02X %02X %02X", bytes[0], bytes[1], bytes[2],
                bytes[3], bytes[4]);
  return text;
}
inline std::string Show(const std::vector<ErrorBox>& boxes) {
  std::string text = "[";
  for (const ErrorBox& box : boxes) {
    text += "{" + Show(box.text) + ", " + Show(box.caption) + ", " + Show(box.type) + "}";
  }
  return text + "]";
}

class Checks {
 public:
  void Expect(bool ok, const std::string& what, const char* file, int line) {
    if (ok) return;
    ++failures_;
    std::printf("    %s:%d: failed: %s\n", file, line, what.c_str());
  }

  template <typename A, typename B>
  void ExpectEq(const A& actual, const B& expected, const char* what, const char* file, int line) {
    if (actual == expected) return;
    Expect(false,
           std::string(what) + "\n      actual:   " + Show(actual) +
               "\n      expected: " + Show(expected),
           file, line);
  }

  /// The scenario cannot run here; says why.
  void Skip(const char* reason) {
    skipped_ = true;
    std::printf("    skipped: %s\n", reason);
  }

  int failures() const { return failures_; }
  bool skipped() const { return skipped_; }

 private:
  int failures_ = 0;
  bool skipped_ = false;
};

inline bool operator==(const ErrorBox& a, const ErrorBox& b) {
  return a.text == b.text && a.caption == b.caption && a.type == b.type;
}

}  // namespace vexilo::standin

#define STANDIN_CHECK(cond) checks.Expect((cond), #cond, __FILE__, __LINE__)
#define STANDIN_CHECK_EQ(actual, expected) \
  checks.ExpectEq((actual), (expected), #actual " == " #expected, __FILE__, __LINE__)
