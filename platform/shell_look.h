// The shell's look: colours and the pieces the navigation bar, menus and dialogs are drawn from.
#pragma once

#include "platform/internal.h"

namespace plat::look {

constexpr uint32_t Face = 0xD4D0C8;        // grey 3-D face
constexpr uint32_t Light = 0xFFFFFF;       // lit edge, text on navy
constexpr uint32_t Shadow = 0x808080;      // shaded edge, grey text
constexpr uint32_t DarkShadow = 0x404040;  // outer shaded edge
constexpr uint32_t Navy = 0x0A246A;        // selection and caption
constexpr uint32_t Text = 0x000000;
constexpr uint32_t Window = 0xFFFFFF;  // dialog background

// A raised 3-D box filled with the face colour.
void raisedBox(const Canvas& c, int left, int top, int right, int bottom);
// The navigation bar's blue background.
void navBackground(const Canvas& c, int left, int top, int right, int bottom);
// The four-colour Start flag, 15 x 14, top-left at (x, y).
void startFlag(const Canvas& c, int x, int y);
// The "ok" button of a dialog, in the navigation bar or a caption.
void okButton(const Canvas& c, const RECT& r, bool pressed);
// A window caption: navy, with the title in bold white.
void caption(const Canvas& c, int left, int top, int right, int bottom, const WCHAR* title);

}  // namespace plat::look
