#pragma once
// What Finish leaves for the host, below the data folder (the shared application-data folder,
// else the user's documents):
//
//   file                           contents
//   -----------------------------  ----------------------------------------------------------
//   Corvella\Hidden\install_stamp  exactly 8 bytes: the install stamp, an IEEE-754 double in
//                                  little-endian order (local time, days since 1899-12-30);
//                                  written only when the folder exists, never created here
//   Corvella\Update.log            the update log, format in wizard/UpdateLog.h
//
// Both are replaced as a whole: the new contents go to a temporary file in the same folder,
// which then takes the old file's place, so a reader never finds a short or half-merged file.
#include <string>

#include "utils/Types.h"

inline constexpr char InstallStampPath[] = "Corvella\\Hidden\\install_stamp";
inline constexpr char UpdateLogPath[] = "Corvella\\Update.log";

// The shared application-data folder, else the user's documents; empty when neither is known.
std::string DataFolder();

// The 8 bytes of the stamp file.
std::string InstallStampBytes(TDateTime stamp);

// Writes data to a new file in the folder of path, flushes it and moves it over path. False,
// with path as it was and no temporary file left, when any step fails.
bool ReplaceFileContents(const std::string& path, const std::string& data);
