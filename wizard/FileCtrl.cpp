#include "wizard/FileCtrl.h"
#include "gui/Exceptions.h"
#include "gui/Layout.h"
#include "gui/StringList.h"
#include "utils/InstUtils.h"
#include <shlobj.h>
#include <winnetwk.h>
#include <algorithm>

namespace {
// Item data: which icon a row carries.
enum : LPARAM { FixedIcon = 0, RemovableIcon = 1 };
enum : LPARAM { OpenFolderIcon = 0, ClosedFolderIcon = 1 };

HBITMAP LoadIconBitmap(const char* name)
{
    HBITMAP bitmap = LoadBitmapA(GetModuleHandleA(nullptr), name);
    if (!bitmap) throw Exception(std::string("Bitmap resource ") + name + " not found");
    return bitmap;
}

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; }

bool HasDriveLetter(const std::string& path)
{
    return path.size() >= 2 && path[1] == ':' && AsciiLower(path[0]) >= 'a' && AsciiLower(path[0]) <= 'z';
}

int CompareFolderNames(const std::string& a, const std::string& b)
{
    return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                          static_cast<int>(b.size())) - CSTR_EQUAL;
}

// Critical-error dialogs ("insert a disk") stay off while drives are queried.
class TErrorModeGuard {
public:
    TErrorModeGuard() : previous_(SetErrorMode(SEM_FAILCRITICALERRORS)) {}
    ~TErrorModeGuard() { SetErrorMode(previous_); }

private:
    UINT previous_;
};

int TextHeightIn(HDC dc, const char* text)
{
    SIZE size{};
    GetTextExtentPoint32A(dc, text, 1, &size);
    return size.cy;
}
}  // namespace

// ---- Text rules

std::string LowerCaseFileName(const std::string& s)
{
    std::string result = s;
    if (!GetSystemMetrics(SM_DBCSENABLED)) return LowerCase(s);
    for (size_t i = 0; i < result.size(); ++i) {
        if (IsDBCSLeadByte(static_cast<BYTE>(result[i]))) ++i;
        else result[i] = AsciiLower(result[i]);
    }
    return result;
}

std::string LowerCase(const std::string& s)
{
    std::string result = s;
    if (!result.empty()) CharLowerBuffA(result.data(), static_cast<DWORD>(result.size()));
    return result;
}

std::string VolumeDescription(const std::string& label)
{
    return label.empty() ? std::string() : "[" + LowerCaseFileName(label) + "]";
}

std::vector<std::string> DirectoryRows(const std::string& directory)
{
    std::vector<std::string> rows;
    std::string s = directory;
    while (s.size() > 3) {
        if (s.back() == '\\') s.pop_back();
        rows.insert(rows.begin(), s);
        while (!s.empty() && s.back() != '\\') s.pop_back();
    }
    rows.insert(rows.begin(), s);
    return rows;
}

int DirectoryLevel(const std::string& directory)
{
    std::string s = directory;
    if (!s.empty() && s.back() == '\\') s.pop_back();
    return static_cast<int>(std::count(s.begin(), s.end(), '\\'));
}

std::string DirectoryRowText(const std::string& path, int row)
{
    if (row == 0) return path.substr(0, 2);
    const size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

int DirectoryRowIndent(int row, bool subFolder, int level) { return 3 + 12 * (subFolder ? level + 1 : row); }

// ---- TDriveComboBox

TDriveComboBox::TDriveComboBox()
    : fixedIcon_(LoadIconBitmap("FIXEDDRIVE")), removableIcon_(LoadIconBitmap("REMOVABLEDRIVE"))
{
}

TDriveComboBox::~TDriveComboBox() { SetDirList(nullptr); }

void TDriveComboBox::SetDirList(TDirectoryListBox* list)
{
    if (dirList_) dirList_->driveCombo_ = nullptr;
    if (list && list->driveCombo_ && list->driveCombo_ != this) list->driveCombo_->dirList_ = nullptr;
    dirList_ = list;
    if (list) list->driveCombo_ = this;
}

void TDriveComboBox::CreateWnd()
{
    SetItemHeight(std::max<int>(TextHeightOf(Font()) + 4, BitmapSize(static_cast<HBITMAP>(fixedIcon_.Get())).cy));
    TCustomComboBox::CreateWnd();
    BuildList();
    SetDrive(drive_);
}

void TDriveComboBox::BuildList()
{
    if (!HandleAllocated()) {
        HandleNeeded();  // window creation builds the list
        return;
    }
    Clear();
    driveMask_ = GetLogicalDrives();
    for (int i = 2; i <= 25; ++i) {
        if (!(driveMask_ & (1u << i))) continue;
        const char letter = static_cast<char>('a' + i);
        const std::string root = std::string(1, letter) + ":\\";
        const UINT type = GetDriveTypeA(root.c_str());
        if (type == DRIVE_CDROM) continue;
        std::string description;
        bool described = false;
        if (type == DRIVE_REMOTE) {
            const char local[3] = {static_cast<char>('A' + i), ':', '\0'};
            char remote[261] = "";
            DWORD length = sizeof remote;
            if (WNetGetConnectionA(local, remote, &length) == NO_ERROR) {
                description = LowerCaseFileName(remote);
                described = true;
            }
        }
        if (!described) {
            TErrorModeGuard quiet;
            char label[261] = "";
            if (GetVolumeInformationA(root.c_str(), label, sizeof label, nullptr, nullptr, nullptr, nullptr, 0))
                description = VolumeDescription(label);
        }
        Add(std::string(1, letter) + ": " + description, IsRemovableDrive(root) ? RemovableIcon : FixedIcon);
    }
}

bool TDriveComboBox::ShowsRemovableIcon(int index) const { return Data(index) == RemovableIcon; }

void TDriveComboBox::SetDrive(char letter)
{
    HandleNeeded();
    if (ItemIndex() >= 0 && AsciiLower(letter) == drive_) return;
    drive_ = AsciiLower(letter);
    for (int i = 0; i < Count(); ++i) {
        const std::string text = Text(i);
        if (text.size() >= 2 && AsciiLower(text[0]) == drive_ && text[1] == ':') {
            SetItemIndex(i);
            break;
        }
    }
    if (dirList_) dirList_->DriveChange(drive_);
    if (OnChange) OnChange(this);
}

void TDriveComboBox::Click()
{
    TCustomComboBox::Click();
    if (ItemIndex() >= 0) {
        const std::string text = Text(ItemIndex());
        if (!text.empty()) SetDrive(text[0]);
    }
}

void TDriveComboBox::DrawItem(int index, const RECT& rect, UINT, HDC dc)
{
    // A selected drive is drawn like the others.
    FillRect(dc, &rect, GetSysColorBrush(COLOR_WINDOW));
    HBITMAP icon = static_cast<HBITMAP>((Data(index) == RemovableIcon ? removableIcon_ : fixedIcon_).Get());
    const SIZE iconSize = BitmapSize(icon);
    DrawTransparentBitmap(dc, icon, rect.left + 2, rect.top + (rect.bottom - rect.top - iconSize.cy) / 2);
    const COLORREF oldText = SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    const COLORREF oldBack = SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    RECT textRect = rect;
    textRect.left += 2 + iconSize.cx + 6;
    const std::string text = Text(index);
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &textRect, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    SetTextColor(dc, oldText);
    SetBkColor(dc, oldBack);
}

void TDriveComboBox::SetProperty(const std::string& name, const TLayoutValue& value, TLayoutReader& reader)
{
    if (name == "DirList")
        reader.Reference(value, [this](TWinControl* control) {
            auto* list = dynamic_cast<TDirectoryListBox*>(control);
            if (list) SetDirList(list);
            return list != nullptr;
        });
    else TCustomComboBox::SetProperty(name, value, reader);
}

// ---- TDirectoryListBox

TDirectoryListBox::TDirectoryListBox()
    : closedIcon_(LoadIconBitmap("CLOSEDFOLDER")), openIcon_(LoadIconBitmap("OPENFOLDER"))
{
    SetItemHeight(std::max<int>(TextHeightOf(DefaultFont()), BitmapSize(static_cast<HBITMAP>(openIcon_.Get())).cy + 1));
}

TDirectoryListBox::~TDirectoryListBox()
{
    if (driveCombo_) driveCombo_->dirList_ = nullptr;
}

void TDirectoryListBox::CreateWnd()
{
    TCustomListBox::CreateWnd();
    BuildList();
}

bool TDirectoryListBox::SameDirectory(const std::string& a, const std::string& b) const
{
    auto same = [](const std::string& x, const std::string& y, DWORD flags) {
        return CompareStringA(LOCALE_USER_DEFAULT, flags, x.data(), static_cast<int>(x.size()), y.data(),
                              static_cast<int>(y.size())) == CSTR_EQUAL;
    };
    return caseSensitive_ ? same(a, b, 0) : same(LowerCaseFileName(a), LowerCaseFileName(b), 0);
}

void TDirectoryListBox::SetDirectory(const std::string& newPath)
{
    if (newPath.empty() || SameDirectory(newPath, directory_) || !HasDriveLetter(newPath)) return;
    std::string path = newPath;
    while (!DirExists(path) && path.size() > DrivePartOf(path).size() + 1) {
        if (path.back() == '\\') path.pop_back();
        path = FolderPartOf(path);
    }
    const bool driveChanged = directory_.empty() || AsciiLower(path[0]) != AsciiLower(directory_[0]);
    directory_ = path;
    if (driveChanged) {
        inUpdate_ = true;
        try {
            if (driveCombo_) driveCombo_->SetDrive(path[0]);
            else DriveChange(path[0]);
        } catch (...) {
            inUpdate_ = false;
            throw;
        }
        inUpdate_ = false;
    }
    BuildList();
    Change();
}

void TDirectoryListBox::DriveChange(char letter)
{
    if (static_cast<unsigned char>(letter) <= ' ' || (!directory_.empty() && AsciiLower(letter) == AsciiLower(directory_[0])))
        return;
    std::string programFiles = GetSpecialFolder(CSIDL_PROGRAM_FILES);
    if (!programFiles.empty() && AsciiLower(letter) == AsciiLower(programFiles[0])) {
        AddBackslash(programFiles);
        directory_ = DirExists(programFiles + "Corvella") ? programFiles + "Corvella" : programFiles;
    } else {
        const size_t colon = directory_.find(':');
        const std::string candidate = colon == std::string::npos ? std::string() : letter + directory_.substr(colon);
        directory_ = !candidate.empty() && DirExists(candidate) ? candidate : std::string(1, letter) + ":\\";
    }
    if (!inUpdate_) {
        BuildList();
        Change();
    }
}

void TDirectoryListBox::BuildList()
{
    if (!HandleAllocated()) {
        HandleNeeded();  // window creation builds the list
        return;
    }
    BeginUpdate();
    Clear();
    if (HasDriveLetter(directory_)) {
        DWORD flags = 0;
        if (GetVolumeInformationA((DrivePartOf(directory_) + "\\").c_str(), nullptr, 0, nullptr, nullptr, &flags,
                                  nullptr, 0)) {
            preserveCase_ = (flags & (FS_CASE_SENSITIVE | FS_CASE_IS_PRESERVED)) != 0;
            caseSensitive_ = (flags & FS_CASE_SENSITIVE) != 0;
        } else {
            preserveCase_ = true;
            caseSensitive_ = false;
        }
        for (const std::string& row : DirectoryRows(directory_)) Add(row, OpenFolderIcon);

        std::string folder = directory_;
        AddBackslash(folder);
        TStringList names;
        WIN32_FIND_DATAA found;
        TFindHandle find(FindFirstFileA((folder + "*.*").c_str(), &found));
        if (find) {
            do {
                const std::string name = found.cFileName;
                if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                    !(found.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) && name != "." &&
                    name != "..")
                    names.Add(name);
            } while (FindNextFileA(find.Get(), &found));
        }
        names.Sort(CompareFolderNames);
        for (const std::string& name : names.Items()) Add(folder + name, ClosedFolderIcon);
        SetItemIndex(DirectoryLevel(directory_));
    }
    EndUpdate();
}

void TDirectoryListBox::Change()
{
    if (OnChange) OnChange(this);
}

void TDirectoryListBox::Click()
{
    TCustomListBox::Click();
    if (ItemIndex() >= 0) SetDirectory(Text(ItemIndex()));
}

void TDirectoryListBox::DrawItem(int index, const RECT& rect, UINT state, HDC dc)
{
    const bool selected = (state & ODS_SELECTED) != 0;
    FillRect(dc, &rect, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    const bool subFolder = Data(index) == ClosedFolderIcon;
    const int indent = DirectoryRowIndent(index, subFolder, DirectoryLevel(directory_));
    HBITMAP icon = static_cast<HBITMAP>((subFolder ? closedIcon_ : openIcon_).Get());
    const SIZE iconSize = BitmapSize(icon);
    DrawTransparentBitmap(dc, icon, rect.left + indent, rect.top + (rect.bottom - rect.top - iconSize.cy) / 2);

    std::string text = DirectoryRowText(Text(index), index);
    if (!preserveCase_) text = LowerCase(text);
    const COLORREF oldText = SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const int top = rect.top + (rect.bottom - rect.top - TextHeightIn(dc, "A")) / 2;
    TextOutA(dc, rect.left + indent + iconSize.cx + 4, top, text.c_str(), static_cast<int>(text.size()));
    SetBkMode(dc, oldMode);
    SetTextColor(dc, oldText);
}

void TDirectoryListBox::SetProperty(const std::string& name, const TLayoutValue& value, TLayoutReader& reader)
{
    if (name == "OnChange") OnChange = reader.NotifyHandler(value);
    else TCustomListBox::SetProperty(name, value, reader);
}
