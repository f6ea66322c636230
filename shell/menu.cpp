#include "shell/menu.h"

#include "flow/betting.h"
#include "flow/machine.h"
#include "platform/aygshell.h"
#include "res/resource.h"
#include "rules/machines.h"
#include "shell/app.h"
#include "shell/sound.h"

namespace {

// The command that chooses machine n.
constexpr UINT machineCommand(int n) {
    return static_cast<UINT>(IDM_RERIV - n);
}
static_assert(machineCommand(MachineCount - 1) == IDM_RORAVI);

}  // namespace

void setItemCheck(UINT itemId, bool on) {
    HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menuBar, SHCMBM_GETSUBMENU, 0, IDM_OPTIONS));
    CheckMenuItem(menu, itemId, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

int handleMenuCommand(UINT commandId) {
    const UINT command = commandId & 0xFFFF;
    if (command == IDM_SOUND_OFF) {
        setItemCheck(IDM_SOUND_OFF, true);
        setItemCheck(IDM_SOUND_ON, false);
        setSoundEnabled(0);
        return 0;
    }
    if (command == IDM_SOUND_ON) {
        setItemCheck(IDM_SOUND_OFF, false);
        setItemCheck(IDM_SOUND_ON, true);
        setSoundEnabled(1);
        return 0;
    }
    if (command >= IDM_RORAVI && command <= IDM_RERIV) {
        // Old mark off, switch, new mark on: choosing the machine in play only puts its mark back.
        setItemCheck(machineCommand(currentMachine), false);
        selectMachine(static_cast<uint8_t>(IDM_RERIV - command));
        setItemCheck(command, true);
        return 1;
    }
    if (command == IDM_LEND) {
        lendMoney();
        return 1;
    }
    return 0;
}

void showAboutBox(HWND owner) {
    HRSRC resource = FindResourceW(appInstance, MAKEINTRESOURCEW(IDD_ABOUT), RT_DIALOG);
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
