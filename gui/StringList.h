#pragma once
// A list of 8-bit strings. Text files: a line ends at CR LF, a lone CR or a lone LF; a last
// line without a break counts; a NUL byte ends the text. Saved text has CR LF after every line
// and is written with one write request.
#include <string>
#include <string_view>
#include <vector>

using TStringCompare = int (*)(const std::string& a, const std::string& b);

class TStringList {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    const std::string& operator[](int index) const { return items_[index]; }
    std::string& operator[](int index) { return items_[index]; }
    const std::vector<std::string>& Items() const { return items_; }

    void Clear() { items_.clear(); }
    int Add(const std::string& s);
    void Insert(int index, const std::string& s);
    void Delete(int index);

    // Quicksort by the comparison (<0, 0, >0); equal strings keep no set order.
    void Sort(TStringCompare compare);
    // Binary search of a list sorted by the same comparison: true when found; index receives
    // the position of a match, or where s would be inserted.
    bool Find(const std::string& s, int& index, TStringCompare compare) const;

    void SetText(std::string_view text);
    std::string Text() const;

    // Opened for reading with no sharing; the file layer's errors pass through.
    void LoadFromFile(const std::wstring& fileName);
    // Created or replaced with no sharing and written at once; the file layer's errors pass through.
    void SaveToFile(const std::wstring& fileName) const;

private:
    std::vector<std::string> items_;
};
