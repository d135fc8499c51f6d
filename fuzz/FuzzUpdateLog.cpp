// Fuzzes the update-log text logic: reading, clean-up, merge and writing.
// Input: one mode byte, then the old log text, the separator FF FE, and the new group's file
// lines (as log text). The low two bits of the mode byte swap the case-insensitive order for a
// deterministic comparison that is no order at all (1: arbitrary answers, 2 and 3: always
// "less"): sorting and searching must then still stay in bounds.
#include <cstddef>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>
#include "wizard/UpdateLog.h"

namespace {
using Lines = std::vector<std::string>;

void Check(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "update-log property failed: %s\n", what);
        std::abort();
    }
}

int CompareNoCase(const std::string& a, const std::string& b)
{
    auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        int x = lower(static_cast<unsigned char>(a[i])), y = lower(static_cast<unsigned char>(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

int CompareAlwaysLess(const std::string&, const std::string&)
{
    return -1;
}

int CompareArbitrary(const std::string& a, const std::string& b)
{
    uint32_t h = 2166136261u;
    for (unsigned char c : a) h = (h ^ c) * 16777619u;
    h = (h ^ 0xA5u) * 16777619u;
    for (unsigned char c : b) h = (h ^ c) * 16777619u;
    return static_cast<int>(h % 3) - 1;
}

// The clean-up exactly as the host's rules word it: deletions one by one, from the end.
void ReferenceCleanUp(Lines& lines, const Lines& sortedFiles, TLineCompare compare)
{
    for (size_t i = lines.size(); i-- > 0;)
        if (lines[i].empty() || ContainsSortedLine(sortedFiles, lines[i], compare)) lines.erase(lines.begin() + i);
    for (size_t i = lines.size(); i-- > 1;)
        if (IsStampLine(lines[i]) && IsStampLine(lines[i - 1])) lines.erase(lines.begin() + i);
    if (!lines.empty() && IsStampLine(lines.back())) lines.pop_back();
}

bool IsUpperHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1) return 0;
    const bool ordered = (data[0] & 3) == 0;
    const TLineCompare compare = ordered ? CompareNoCase : (data[0] & 3) == 1 ? CompareArbitrary : CompareAlwaysLess;
    std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    size_t sep = rest.find("\xFF\xFE");
    std::string_view oldText = rest.substr(0, sep);
    std::string_view filesText = sep == std::string_view::npos ? std::string_view() : rest.substr(sep + 2);

    const Lines oldLines = SplitLogText(oldText);
    for (const std::string& line : oldLines)
        Check(line.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos, "a line holds a break or NUL");
    Check(SplitLogText(JoinLogLines(oldLines)) == oldLines, "write then read changes the lines");

    // Public files are full paths: never empty, never a stamp line.
    Lines files;
    for (std::string& line : SplitLogText(filesText))
        if (!line.empty() && !IsStampLine(line)) files.push_back(std::move(line));
    const Lines recorded = files;
    SortLogLines(files, compare);
    Check(files.size() == recorded.size(), "sorting changed the number of lines");

    TDateTime stamp = 45000.5;
    if (filesText.size() >= 8) std::memcpy(&stamp, filesText.data(), 8);
    const std::string stampLine = StampLine(stamp);
    Check(stampLine.size() == 17 && stampLine[0] == '*', "stamp line shape");
    for (size_t i = 1; i < stampLine.size(); ++i) Check(IsUpperHex(stampLine[i]), "stamp line digit");

    Lines cleaned = oldLines, reference = oldLines;
    CleanUpLog(cleaned, files, compare);
    ReferenceCleanUp(reference, files, compare);
    Check(cleaned == reference, "clean-up differs from the rule applied line by line");

    const Lines merged = MergeUpdateLog(oldLines, files, stamp, compare);
    Check(merged.size() == cleaned.size() + 1 + files.size(), "merged size");
    Check(std::equal(cleaned.begin(), cleaned.end(), merged.begin()), "merged does not start with the cleaned log");
    Check(merged[cleaned.size()] == stampLine, "stamp line not after the cleaned log");
    Check(std::equal(files.begin(), files.end(), merged.begin() + cleaned.size() + 1), "files not last");
    if (!ordered) return 0;

    for (size_t i = 1; i < files.size(); ++i) Check(CompareNoCase(files[i - 1], files[i]) <= 0, "files not sorted");
    for (size_t i = 0; i < cleaned.size(); ++i) {
        Check(!cleaned[i].empty(), "empty line kept");
        Check(i == 0 || !(IsStampLine(cleaned[i]) && IsStampLine(cleaned[i - 1])), "consecutive stamps kept");
        for (const std::string& f : files) Check(CompareNoCase(cleaned[i], f) != 0, "old line equal to a new one kept");
    }
    Check(cleaned.empty() || !IsStampLine(cleaned.back()), "stamp line left last");

    // A second finish with the same files replaces the first one's group, whatever stood before.
    const Lines again = MergeUpdateLog(SplitLogText(JoinLogLines(merged)), files, 45001.25, compare);
    Check(again == MergeUpdateLog(oldLines, files, 45001.25, compare), "merging twice differs from merging once");
    return 0;
}
