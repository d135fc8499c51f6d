#pragma once
// The linked drive box and folder list of the folder page. The drive box lists the present
// drives (no A:, B: or CD-ROM) as "<letter>: <description>"; the folder list shows the root,
// the ancestors and the current folder with open-folder icons, then the current folder's
// sub-folders with closed-folder icons. Choosing a row opens that folder at once.
#include "gui/StdControls.h"
#include "utils/Handle.h"
#include <cstdint>
#include <string>

class TDirectoryListBox;

class TDriveComboBox : public TCustomComboBox {
public:
    static constexpr const char* StaticClassName = "TDriveComboBox";
    TDriveComboBox();
    ~TDriveComboBox() override;
    const char* ClassName() const override { return StaticClassName; }

    TDirectoryListBox* DirList() const { return dirList_; }
    // Unlinks the previous list and links the new one both ways.
    void SetDirList(TDirectoryListBox* list);
    // The selected drive as a lower-case letter; 0 until the first selection.
    char Drive() const { return drive_; }
    void SetDrive(char letter);
    // The logical-drive mask read at the last rebuild (bit 0 = A:); 0 before the first.
    uint32_t DriveMask() const { return driveMask_; }
    void BuildList();
    // The item carries the removable-drive icon (else the fixed-drive one).
    bool ShowsRemovableIcon(int index) const;

    void SetProperty(const std::string& name, const TLayoutValue& value, TLayoutReader& reader) override;

protected:
    void CreateWnd() override;
    void Click() override;
    void DrawItem(int index, const RECT& rect, UINT state, HDC dc) override;

private:
    friend class TDirectoryListBox;
    TDirectoryListBox* dirList_ = nullptr;
    char drive_ = 0;
    uint32_t driveMask_ = 0;
    TGdiObject fixedIcon_, removableIcon_;
};

class TDirectoryListBox : public TCustomListBox {
public:
    static constexpr const char* StaticClassName = "TDirectoryListBox";
    TDirectoryListBox();
    ~TDirectoryListBox() override;
    const char* ClassName() const override { return StaticClassName; }

    TDriveComboBox* DriveCombo() const { return driveCombo_; }
    // The current folder as a full path; empty before the first SetDirectory.
    const std::string& Directory() const { return directory_; }
    // Makes a folder current, or its nearest existing ancestor. A path without a drive letter
    // ("x:") is ignored: the list has no way to show it.
    void SetDirectory(const std::string& path);
    // Moves to another drive; called by the drive box.
    void DriveChange(char letter);
    bool InUpdate() const { return inUpdate_; }
    bool PreserveCase() const { return preserveCase_; }
    bool CaseSensitive() const { return caseSensitive_; }
    TNotifyEvent OnChange;

    virtual void Change();
    virtual void BuildList();

    void SetProperty(const std::string& name, const TLayoutValue& value, TLayoutReader& reader) override;

protected:
    void CreateWnd() override;
    void Click() override;
    void DrawItem(int index, const RECT& rect, UINT state, HDC dc) override;

private:
    friend class TDriveComboBox;
    bool SameDirectory(const std::string& a, const std::string& b) const;

    TDriveComboBox* driveCombo_ = nullptr;
    bool inUpdate_ = false;
    bool preserveCase_ = true;
    bool caseSensitive_ = false;
    TGdiObject closedIcon_, openIcon_;
    std::string directory_;
};

// ---- The text rules, apart from the windows

// The locale's lower-casing; in double-byte locales only ASCII A to Z, leaving every trailing
// byte of a double-byte character alone.
std::string LowerCaseFileName(const std::string& s);
// The locale's lower-casing in every locale.
std::string LowerCase(const std::string& s);
// A volume label as the drive box shows it: "[label]" lower-cased; empty for no label.
std::string VolumeDescription(const std::string& label);
// The folder list's rows for a current folder: the root, each ancestor, the current folder.
std::vector<std::string> DirectoryRows(const std::string& directory);
// The level of the current folder: its backslashes once one trailing backslash is removed.
int DirectoryLevel(const std::string& directory);
// The text of a row: the drive for row 0, else the last component of its path.
std::string DirectoryRowText(const std::string& path, int row);
// The indent of a row: 3 + 12 x row for the open rows, 3 + 12 x (level + 1) for sub-folders.
int DirectoryRowIndent(int row, bool subFolder, int level);
