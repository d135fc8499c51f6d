#include "wizard/UpdateLog.h"
#include <algorithm>
#include <cstdint>
#include <cstring>

std::vector<std::string> SplitLogText(std::string_view text)
{
    text = text.substr(0, std::min(text.find('\0'), text.size()));
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) {
            lines.emplace_back(text.substr(pos));
            break;
        }
        lines.emplace_back(text.substr(pos, end - pos));
        pos = end + 1;
        if (text[end] == '\r' && pos < text.size() && text[pos] == '\n') ++pos;
    }
    return lines;
}

std::string JoinLogLines(const std::vector<std::string>& lines)
{
    size_t size = 0;
    for (const std::string& line : lines) size += line.size() + 2;
    std::string text;
    text.reserve(size);
    for (const std::string& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

std::string StampLine(TDateTime stamp)
{
    static_assert(sizeof(stamp) == 8);
    static constexpr char Hex[] = "0123456789ABCDEF";
    uint8_t bytes[8];
    std::memcpy(bytes, &stamp, sizeof(bytes));
    std::string line = "*";
    for (uint8_t b : bytes) {
        line += Hex[b >> 4];
        line += Hex[b & 15];
    }
    return line;
}

bool IsStampLine(const std::string& line)
{
    return !line.empty() && line[0] == '*';
}

void SortLogLines(std::vector<std::string>& lines, TLineCompare compare)
{
    // std::sort's unguarded partition can run past the range when the comparison is not a
    // strict weak order; a locale comparison gives no such promise for arbitrary bytes.
    std::stable_sort(lines.begin(), lines.end(),
                     [compare](const std::string& a, const std::string& b) { return compare(a, b) < 0; });
}

bool ContainsSortedLine(const std::vector<std::string>& sorted, const std::string& line, TLineCompare compare)
{
    auto it = std::lower_bound(sorted.begin(), sorted.end(), line,
                               [compare](const std::string& a, const std::string& b) { return compare(a, b) < 0; });
    return it != sorted.end() && compare(*it, line) == 0;
}

void CleanUpLog(std::vector<std::string>& lines, const std::vector<std::string>& sortedFiles, TLineCompare compare)
{
    std::erase_if(lines, [&](const std::string& line) {
        return line.empty() || ContainsSortedLine(sortedFiles, line, compare);
    });

    // A stamp line is dropped when the one before it is a stamp line too; dropping never
    // changes what precedes a later line's predecessor, so one forward pass over the original
    // neighbours does what a walk from the end would.
    size_t kept = 0;
    bool previousIsStamp = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        bool isStamp = IsStampLine(lines[i]);
        if (!(isStamp && previousIsStamp)) {
            if (kept != i) lines[kept] = std::move(lines[i]);
            ++kept;
        }
        previousIsStamp = isStamp;
    }
    lines.resize(kept);

    if (!lines.empty() && IsStampLine(lines.back())) lines.pop_back();
}

std::vector<std::string> MergeUpdateLog(std::vector<std::string> oldLines, const std::vector<std::string>& sortedFiles,
                                        TDateTime stamp, TLineCompare compare)
{
    CleanUpLog(oldLines, sortedFiles, compare);
    oldLines.reserve(oldLines.size() + 1 + sortedFiles.size());
    oldLines.push_back(StampLine(stamp));
    oldLines.insert(oldLines.end(), sortedFiles.begin(), sortedFiles.end());
    return oldLines;
}
