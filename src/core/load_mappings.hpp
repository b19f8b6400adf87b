#pragma once

namespace vexilo {

inline constexpr char kCreateFailedMessage[] = "Failed to create TXT file: ";
inline constexpr char kOpenFailedMessage[] = "Failed to open TXT file: ";

/// Writes the default mapping file at configPath when nothing is there yet.
/// Never touches an existing file; tells the user when it cannot create it.
void WriteDefaultMappingFile();

/// Fills plateMappings and debugEnabled from the file at configPath, writing
/// the default file first when there is none. Tells the user when the file
/// cannot be read to its end, and then takes none of its lines; never throws.
void LoadMappings();

}  // namespace vexilo
