// The resources compiled into a program, each in the binary form a Windows resource compiler
// gives it (little-endian):
//   RT_BITMAP (2)       BITMAPINFOHEADER (40 bytes), colour table, bottom-up rows padded to 4 bytes
//                       (a .bmp file without its 14-byte file header)
//   RT_ICON (3)         one icon image: BITMAPINFOHEADER with doubled height, colours, XOR and AND masks
//   RT_MENU (4)         MENUITEMTEMPLATEHEADER then the items (MF_POPUP, MF_END, MF_CHECKED, MF_SEPARATOR)
//   RT_DIALOG (5)       DLGTEMPLATE (DS_SETFONT: point size and typeface) then DWORD-aligned DLGITEMTEMPLATEs
//   RT_STRING (6)       block (id / 16) + 1 holding 16 length-counted UTF-16 strings
//   RT_ACCELERATOR (9)  ACCELTABLEENTRY records {fFlags, wAnsi, wId, padding}, 0x80 on the last
//   RT_RCDATA (10)      raw bytes
//   RT_GROUP_ICON (14)  GRPICONDIR then 14-byte GRPICONDIRENTRYs naming the RT_ICON ids
//   named type "WAVE"   a complete RIFF wave file
#pragma once

#include <cstdint>

struct ResourceEntry {
    uint16_t type;             // numeric resource type, or 0 when typeName names the type
    const char16_t* typeName;  // named type such as u"WAVE", or nullptr for a numeric type
    uint16_t id;               // resource number
    uint16_t language;         // 0x0409, English (United States)
    const uint8_t* data;
    uint32_t size;
};

struct ResourceCatalogue {
    const ResourceEntry* entries;
    uint32_t count;
};

// The game's own resources, generated at build time from res/.
extern const ResourceCatalogue dorururaCatalogue;
