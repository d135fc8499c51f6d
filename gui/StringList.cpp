#include "gui/StringList.h"
#include "gui/FileStream.h"
#include <utility>

int TStringList::Add(const std::string& s)
{
    items_.push_back(s);
    return Count() - 1;
}

void TStringList::Insert(int index, const std::string& s) { items_.insert(items_.begin() + index, s); }

void TStringList::Delete(int index) { items_.erase(items_.begin() + index); }

namespace {
void QuickSort(std::vector<std::string>& a, int left, int right, TStringCompare compare)
{
    while (left < right) {
        int i = left, j = right;
        const std::string pivot = a[left + (right - left) / 2];
        // The bounds checks keep an inconsistent comparison from running off the list.
        while (i <= j) {
            while (i < right && compare(a[i], pivot) < 0) ++i;
            while (j > left && compare(a[j], pivot) > 0) --j;
            if (i <= j) {
                if (i != j) std::swap(a[i], a[j]);
                ++i;
                --j;
            }
        }
        // Recurse into the smaller part so the stack stays logarithmic.
        if (j - left < right - i) {
            if (left < j) QuickSort(a, left, j, compare);
            left = i;
        } else {
            if (i < right) QuickSort(a, i, right, compare);
            right = j;
        }
    }
}
}  // namespace

void TStringList::Sort(TStringCompare compare)
{
    if (items_.size() > 1) QuickSort(items_, 0, Count() - 1, compare);
}

bool TStringList::Find(const std::string& s, int& index, TStringCompare compare) const
{
    int low = 0, high = Count() - 1;
    bool found = false;
    while (low <= high) {
        const int middle = low + (high - low) / 2;
        const int c = compare(items_[middle], s);
        if (c < 0) {
            low = middle + 1;
        } else {
            high = middle - 1;
            if (c == 0) found = true;
        }
    }
    index = low;
    return found;
}

void TStringList::SetText(std::string_view text)
{
    items_.clear();
    if (const size_t nul = text.find('\0'); nul != std::string_view::npos) text = text.substr(0, nul);
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            items_.emplace_back(text.substr(start));
            break;
        }
        items_.emplace_back(text.substr(start, end - start));
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
    }
}

std::string TStringList::Text() const
{
    std::string text;
    for (const std::string& s : items_) {
        text += s;
        text += "\r\n";
    }
    return text;
}

void TStringList::LoadFromFile(const std::wstring& fileName)
{
    TFileStream stream(fileName, fmOpenRead | fmShareExclusive);
    const int64_t size = stream.Size();
    std::string text(size > 0 ? static_cast<size_t>(size) : 0, '\0');
    text.resize(stream.Read(text.data(), text.size()));
    SetText(text);
}

void TStringList::SaveToFile(const std::wstring& fileName) const
{
    TFileStream stream(fileName, fmCreate | fmShareExclusive);
    const std::string text = Text();
    stream.WriteBuffer(text.data(), text.size());
}
