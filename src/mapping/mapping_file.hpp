#pragma once

#include <string>

#include "mapping/mapping_format.hpp"

namespace vexilo {

/// How a reading of the mapping file went.
enum class FileReading {
  Read,       ///< to its end: the table is what the file says
  NotOpened,  ///< no readable regular file at the path
  Failed,     ///< opened, but a read failed part-way or a line was too long to
              ///< hold: the table is not the file's
};

/// Reads the mapping file at a native path into table, line by line. An
/// observer, if given, is told of every line read (see LineObserver). Only a
/// reading that ends Read gives the file's table.
FileReading ReadMappingFile(const std::string& nativePath, MappingTable& table,
                            LineObserver* observer = nullptr);

}  // namespace vexilo
