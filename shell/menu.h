// The Options menu's commands, its check marks, and the About box.
#pragma once

#include "platform/windows.h"

// A command of the Options menu (every id but IDM_CLOSE, IDM_ABOUT and IDM_EXIT): sound off and on, the four
// machines and the loan. 1 for a machine or the loan, 0 otherwise (other ids do nothing).
int handleMenuCommand(UINT commandId);

// Puts (on) or takes away (off) the check mark of an item of the Options menu.
void setItemCheck(UINT itemId, bool on);

// Shows the About box over owner until its Done button is pressed.
void showAboutBox(HWND owner);

// The About box's procedure: the shell's Done button, full screen; Done (IDOK) closes it.
INT_PTR CALLBACK aboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
