#pragma once
// The one way the setup asks or tells the user something: the system's message box with the
// setup's title, an icon by kind and one of five fixed button layouts.
//
// | buttons (16-bit set)           | value | style               |
// |--------------------------------|-------|---------------------|
// | btAbort + btRetry + btIgnore   |  112  | MB_ABORTRETRYIGNORE |
// | btOk + btCancel                |   12  | MB_OKCANCEL         |
// | btRetry + btCancel             |   40  | MB_RETRYCANCEL      |
// | btYes + btNo                   |    3  | MB_YESNO            |
// | btYes + btNo + btCancel        |   11  | MB_YESNOCANCEL      |
// | any other set                  |       | MB_OK               |
#include <windows.h>
#include <cstdint>
#include <string>

using MessageKind = uint8_t;
inline constexpr MessageKind mkWarning = 0;
inline constexpr MessageKind mkError = 1;
inline constexpr MessageKind mkInformation = 2;
inline constexpr MessageKind mkConfirmation = 3;

using MessageButtons = uint16_t;
inline constexpr MessageButtons btYes = 1;
inline constexpr MessageButtons btNo = 2;
inline constexpr MessageButtons btOk = 4;
inline constexpr MessageButtons btCancel = 8;
inline constexpr MessageButtons btAbort = 16;
inline constexpr MessageButtons btRetry = 32;
inline constexpr MessageButtons btIgnore = 64;

// Returns after the user has answered: IDCANCEL..IDNO as given, IDOK for OK, for a box that
// could not be shown (0) and for any answer above IDNO. Lines are broken with "\r".
int SetupMessageDlg(const std::string& text, MessageKind kind, MessageButtons buttons);
