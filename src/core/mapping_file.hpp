#pragma once

#include <string>

#include "core/mapping_format.hpp"

namespace vexilo {

inline constexpr char kCreateFailedMessage[] = "Failed to create TXT file: ";
inline constexpr char kOpenFailedMessage[] = "Failed to open TXT file: ";

/// Reads the mapping file at a native path into table, line by line. Returns
/// false when the file cannot be opened; a read error part-way ends the
/// reading as the end of the file would, keeping what earlier lines set.
/// An observer, if given, is told of every line (see MappingReader).
bool ReadMappingFile(const std::string& nativePath, MappingTable& table,
                     MappingReader::Observer* observer = nullptr);

/// Writes the default mapping file at configPath when nothing is there yet.
/// Never touches an existing file; tells the user when it cannot create it.
void WriteDefaultMappingFile();

/// Fills plateMappings and debugEnabled from the file at configPath, writing
/// the default file first when there is none. Tells the user when the file
/// cannot be read at all; never throws.
void LoadMappings();

}  // namespace vexilo
