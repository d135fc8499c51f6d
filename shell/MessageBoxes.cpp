#include "shell/MessageBoxes.h"

#include "gui/Application.h"
#include "gui/SystemMessageBox.h"
#include "utils/InstUtils.h"
#include "utils/Types.h"

namespace {

UINT IconOf(MessageKind kind)
{
    switch (kind) {
    case mkWarning: return MB_ICONWARNING;
    case mkInformation: return MB_ICONINFORMATION;
    case mkConfirmation: return MB_ICONQUESTION;
    default: return MB_ICONERROR;
    }
}

UINT ButtonStyleOf(MessageButtons buttons)
{
    switch (buttons) {
    case btAbort | btRetry | btIgnore: return MB_ABORTRETRYIGNORE;
    case btOk | btCancel: return MB_OKCANCEL;
    case btRetry | btCancel: return MB_RETRYCANCEL;
    case btYes | btNo: return MB_YESNO;
    case btYes | btNo | btCancel: return MB_YESNOCANCEL;
    default: return MB_OK;
    }
}

// Button labels in English, whatever the user's language: the texts are English too.
constexpr WORD EnglishUnitedStates = 1033;

}  // namespace

int SetupMessageDlg(const std::string& text, MessageKind kind, MessageButtons buttons)
{
    HWND owner = Application ? Application->Handle() : nullptr;
    const UINT style = IconOf(kind) | ButtonStyleOf(buttons) | MB_TASKMODAL;
    const int answer =
        SystemMessageBox(owner, ToWide(text), ToWide(SetupTitle), style, EnglishUnitedStates);
    return answer >= IDCANCEL && answer <= IDNO ? answer : IDOK;
}
