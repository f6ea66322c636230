// The bitmaps of the machine tables: each machine's face and reel strip. The resource script takes
// these numbers through res/resource.h.
#pragma once

#define IDB_FACE_RERIV 120
#define IDB_STRIP_RERIV 121
#define IDB_FACE_DODORE 111
#define IDB_STRIP_DODORE 112
#define IDB_FACE_DUDAVID 125
#define IDB_STRIP_DUDAVID 127
#define IDB_FACE_RORAVI 131
#define IDB_STRIP_RORAVI 132
