#include "shell/menu.h"

#include "flow/machine.h"
#include "platform/aygshell.h"
#include "rules/machines.h"
#include "rules/wallet.h"
#include "shell/app.h"
#include "shell/sound.h"

namespace {

constexpr UINT OptionsButton = 40004;
constexpr UINT SoundOffCommand = 40006;
constexpr UINT SoundOnCommand = 40007;
constexpr UINT LastMachineCommand = 40008;
constexpr UINT LoanCommand = 40012;
constexpr WORD AboutDialogId = 103;

}  // namespace

void setItemCheck(UINT itemId, bool on) {
    HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menuBar, SHCMBM_GETSUBMENU, 0, OptionsButton));
    CheckMenuItem(menu, itemId, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

int handleMenuCommand(UINT commandId) {
    const UINT command = commandId & 0xFFFF;
    if (command == SoundOffCommand) {
        setItemCheck(SoundOffCommand, true);
        setItemCheck(SoundOnCommand, false);
        setSoundEnabled(0);
        return 0;
    }
    if (command == SoundOnCommand) {
        setItemCheck(SoundOffCommand, false);
        setItemCheck(SoundOnCommand, true);
        setSoundEnabled(1);
        return 0;
    }
    if (command >= LastMachineCommand && command <= FirstMachineCommand) {
        // Old mark off, switch, new mark on: choosing the machine in play only puts its mark back.
        setItemCheck(machineCommand(currentMachine), false);
        selectMachine(static_cast<uint8_t>(FirstMachineCommand - command));
        setItemCheck(command, true);
        return 1;
    }
    if (command == LoanCommand) {
        lendMoney();
        return 1;
    }
    return 0;
}

void showAboutBox(HWND owner) {
    HRSRC resource = FindResourceW(appInstance, MAKEINTRESOURCEW(AboutDialogId), RT_DIALOG);
    HGLOBAL dialogTemplate = LoadResource(appInstance, resource);
    DialogBoxIndirectParamW(appInstance, static_cast<LPCDLGTEMPLATEW>(dialogTemplate), owner, aboutDialogProc,
                            0);
}

INT_PTR CALLBACK aboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM /*lParam*/) {
    if (message == WM_INITDIALOG) {
        SHINITDLGINFO info = {SHIDIM_FLAGS, dialog,
                              SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN};
        SHInitDialog(&info);
        return TRUE;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
        EndDialog(dialog, 1);
        return TRUE;
    }
    return FALSE;
}
