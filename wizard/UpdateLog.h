#pragma once
// The host's update log "Corvella\Update.log": 8-bit text, one entry per line, no header.
//
//   line                    meaning
//   ----------------------  ---------------------------------------------------------------
//   *HHHHHHHHHHHHHHHH       stamp line: opens the group of one installation; the 8 bytes of
//                           its install stamp (little-endian double) in memory order, two
//                           upper-case hex digits per byte, high half first
//   <full path>             a public file that this group's installation placed
//   <full path>\t!          the same, queued to keep an existing copy
//
// Written: every line, the last included, followed by CR LF.
// Read:    a line ends at CR LF, a lone CR or a lone LF; a last line without a break counts;
//          a NUL byte ends the text.
//
// A file line written by a newer installation removes every equal line left by older ones, so
// a line stands in one group only: the last one that wrote it. Within a group the file lines
// are sorted. Lines are compared by the comparison passed in (the host's: case-insensitive,
// and a marked line differs from the same path unmarked).
//
// Pure text work, apart from the system: the product passes the system's locale comparison.
#include <string>
#include <string_view>
#include <vector>
#include "utils/Types.h"

// Negative, zero or positive, like strcmp.
using TLineCompare = int (*)(const std::string& a, const std::string& b);

std::vector<std::string> SplitLogText(std::string_view text);
std::string JoinLogLines(const std::vector<std::string>& lines);

// "*" and the 16 hex digits of the stamp's bytes.
std::string StampLine(TDateTime stamp);
bool IsStampLine(const std::string& line);

// Ascending by compare; stable, and safe with a comparison that is not a strict order.
void SortLogLines(std::vector<std::string>& lines, TLineCompare compare);
// Binary search in lines sorted by SortLogLines with the same compare.
bool ContainsSortedLine(const std::vector<std::string>& sorted, const std::string& line,
                        TLineCompare compare);

// Prepares an existing log for a new group: drops empty lines and every line that sortedFiles
// holds, keeps only the first of consecutive stamp lines, and drops a stamp line left last.
void CleanUpLog(std::vector<std::string>& lines, const std::vector<std::string>& sortedFiles,
                TLineCompare compare);

// The new log: the cleaned old lines, the stamp line, then sortedFiles in their order.
std::vector<std::string> MergeUpdateLog(std::vector<std::string> oldLines,
                                        const std::vector<std::string>& sortedFiles,
                                        TDateTime stamp, TLineCompare compare);
