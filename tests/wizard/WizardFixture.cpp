#include "tests/wizard/WizardFixture.h"

#include <shlobj.h>

#include <cstring>

#include "gui/SystemMessageBox.h"
#include "tools/PayloadWriter.h"
#include "wizard/Host.h"

const char* const AddOnNames[7] = {
    "Norwegian (Nynorsk).asc", "hunspell.dll", "nn_NO.dic", "nn_NO.aff", "userdicnon.tlx",
    "Norwegian (Nynorsk).hyph", "Norwegian (Bokmal).thes",
};

namespace {
std::string FakeFolders[3];  // CSIDL_COMMON_APPDATA, CSIDL_PROGRAM_FILES, CSIDL_PERSONAL

HRESULT WINAPI FakeFolderService(HWND, int csidl, HANDLE, DWORD, LPSTR path)
{
    const std::string* folder = csidl == CSIDL_COMMON_APPDATA ? &FakeFolders[0]
                                : csidl == CSIDL_PROGRAM_FILES ? &FakeFolders[1]
                                : csidl == CSIDL_PERSONAL      ? &FakeFolders[2]
                                                               : nullptr;
    if (!folder || folder->empty()) return E_FAIL;
    std::strcpy(path, folder->c_str());
    return S_OK;
}

// A 2 x 2 bitmap of 24 bits per pixel: enough for the picture controls.
std::string TinyBitmap()
{
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    const DWORD pixels = 2 * 8;  // two rows of 6 bytes, padded to 4
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + pixels;
    info.biSize = sizeof info;
    info.biWidth = 2;
    info.biHeight = 2;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biSizeImage = pixels;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    bytes.append(pixels, '\x40');
    return bytes;
}

std::string WithoutSlash(std::string path)
{
    if (!path.empty() && path.back() == '\\') path.pop_back();
    return path;
}

std::string ExeFolder()
{
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, n);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}
}  // namespace

TDateTime TestEntryDate() { return EncodeDateTimeValue(2024, 6, 3, 12, 0, 0); }

std::string TestEntryBytes(const std::string& name)
{
    if (name == "License.txt") return "TEST LICENCE\r\nFirst term.\r\nSecond term.\r\n";
    if (name == "Logo.bmp" || name == "LogoSmall.bmp") return TinyBitmap();
    if (name == "userdicnon.tlx") return "";
    return "contents of " + name;
}

// ---- TBoxScript

TBoxScript::TBoxScript()
{
    SetMessageBoxSeam([this](HWND, const std::wstring& text, const std::wstring&, UINT style) {
        const size_t index = Asked.size();
        Asked.push_back({std::string(text.begin(), text.end()), style});
        if (index < answers_.size()) return answers_[index]();
        const UINT buttons = style & MB_TYPEMASK;
        return buttons == MB_YESNO || buttons == MB_YESNOCANCEL ? IDNO
               : buttons == MB_ABORTRETRYIGNORE                 ? IDABORT
               : buttons == MB_OK                               ? IDOK
                                                                : IDCANCEL;
    });
}

TBoxScript::~TBoxScript() { SetMessageBoxSeam({}); }

TBoxScript& TBoxScript::Then(int answer)
{
    answers_.push_back([answer] { return answer; });
    return *this;
}

TBoxScript& TBoxScript::Then(TAction action)
{
    answers_.push_back(std::move(action));
    return *this;
}

// ---- small helpers

TUserKeyRedirect::TUserKeyRedirect(const std::string& keyPath)
{
    if (RegCreateKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr) ==
        ERROR_SUCCESS)
        RegOverridePredefKey(HKEY_CURRENT_USER, key_);
}

TUserKeyRedirect::~TUserKeyRedirect()
{
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    if (key_) RegCloseKey(key_);
}

TRunningHost::TRunningHost()
{
    window_ = CreateWindowExA(0, "STATIC", "stand-in host", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    SetPropA(window_, HostWindowProperty, reinterpret_cast<HANDLE>(1));
}

TRunningHost::~TRunningHost()
{
    RemovePropA(window_, HostWindowProperty);
    DestroyWindow(window_);
}

THeldFile::THeldFile(const std::string& path)
    : handle_(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))
{
}

void THeldFile::Release()
{
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
}

bool PlaceHost(const std::string& folder)
{
    return CopyFileA((ExeFolder() + "wizard_stand_in_host.exe").c_str(), (folder + "cwp.exe").c_str(), FALSE) != FALSE;
}

int TempLeftovers()
{
    int count = 0;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((TempFolder() + TempPrefix() + "*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return 0;
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++count;
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    return count;
}

std::string PublicFolder(const std::string& dataFolder, const char* sub)
{
    return dataFolder + "Corvella\\Public\\" + sub;
}

// ---- TWizardTest

TWizardTest::TWizardTest() : savedService_(FolderService)
{
    ProgramData = Root / "ProgramData\\";
    ProgramFiles = Root / "Program Files\\";
    Documents = Root / "Documents\\";
    Host = Root / "Host\\";
    for (const std::string* folder : {&ProgramData, &ProgramFiles, &Documents, &Host}) MakeFolder(*folder);
    PlaceHost(Host);
    FakeFolders[0] = WithoutSlash(ProgramData);
    FakeFolders[1] = WithoutSlash(ProgramFiles);
    FakeFolders[2] = WithoutSlash(Documents);
    FolderService = FakeFolderService;
    redirect_ = std::make_unique<TUserKeyRedirect>(userKey_.Path());

    std::string records;
    for (const char* name : {"License.txt", "hunspell.dll", "Norwegian (Nynorsk).asc", "userdicnon.tlx", "nn_NO.dic",
                             "nn_NO.aff", "Norwegian (Nynorsk).hyph", "Norwegian (Bokmal).thes", "Logo.bmp",
                             "LogoSmall.bmp"})
        AppendPayloadRecord(records, name, TestEntryDate(), TestEntryBytes(name));
    payload_ = CompressPayload(records);
    files_ = std::make_unique<TAttachedFiles>(payload_.data(), static_cast<uint32_t>(payload_.size()));
    AttachedFiles = files_.get();
    InstallingFlag = false;
    InstallStarted = false;
    PageTitles[0] = "Welcome to the %s";
}

TWizardTest::~TWizardTest()
{
    MainForm = nullptr;
    form_.reset();
    AttachedFiles = nullptr;
    files_.reset();
    redirect_.reset();
    FolderService = savedService_;
}

TMainDlgForm& TWizardTest::MakeForm(std::string_view commandLine)
{
    form_ = std::make_unique<TMainDlgForm>(commandLine);
    MainForm = form_.get();
    form_->Show();
    return *form_;
}

int TWizardTest::Page() const { return form_->PgCtrl->ActivePageIndex(); }

void TWizardTest::Click(TButton* button) { SendMessageA(button->Handle(), BM_CLICK, 0, 0); }

void TWizardTest::WalkTo(int page)
{
    for (int from = Page(); from < page; ++from) {
        if (from == 2) Form().DestDirEdt->SetText(Host);
        Next();
        ASSERT_EQ(Page(), from + 1) << "stuck on page " << from;
    }
}

void TWizardTest::ForgetDataFolders()
{
    FakeFolders[0].clear();
    FakeFolders[2].clear();
}

bool TWizardTest::ReadSetting(const char* name, std::string& bytes) const
{
    DWORD type = 0;
    return ReadRawValue(SettingsKey, name, type, bytes);
}

void TWizardTest::WriteSetting(const char* name, DWORD type, const std::string& bytes) const
{
    ASSERT_TRUE(WriteRawValue(SettingsKey, name, type, bytes));
}

bool TWizardTest::HostStarted(const std::string& folder, DWORD waitMs)
{
    const DWORD start = GetTickCount();
    do {
        if (PathExists(folder + "started.txt")) return true;
        Sleep(20);
    } while (GetTickCount() - start < waitMs);
    return false;
}
