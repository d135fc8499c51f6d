#pragma once
// The system side of the update log: the host's line comparison.
#include <string>

// CompareStringA, user default locale, NORM_IGNORECASE | SORT_STRINGSORT: the order in which
// the host expects the file lines of a group.
int CompareLogLines(const std::string& a, const std::string& b);
