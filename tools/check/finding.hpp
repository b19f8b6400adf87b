#pragma once

#include <string>

/// How much a finding matters, and a finding about the files around the
/// mapping file, shared by every room that finds something.
namespace vexilo::check {

/// A note explains a line the game reads as written; a warning names
/// something that may surprise but changes nothing the game shows; an error
/// names something the game will not do as the file plainly asks.
enum class Severity { Note, Warning, Error };

/// One thing found outside the mapping file's lines: where it stands (a
/// file, "limits.ini:12"), and what to do about it.
struct Finding {
  Severity severity;
  std::string message;
  std::string where;
};

}  // namespace vexilo::check
