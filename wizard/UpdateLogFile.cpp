#include "wizard/UpdateLogFile.h"
#include <windows.h>

int CompareLogLines(const std::string& a, const std::string& b)
{
    int result = CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE | SORT_STRINGSORT, a.data(),
                                static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()));
    // 0 only for invalid arguments; CSTR_LESS_THAN, CSTR_EQUAL, CSTR_GREATER_THAN are 1, 2, 3.
    return result == 0 ? a.compare(b) : result - CSTR_EQUAL;
}
