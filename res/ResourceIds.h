#pragma once

// Resource identifiers of Dustvale.exe, shared by the resource script and the Win32 side.
// Plain macros, so that the resource compiler can read this file too.

#define IDI_PROGRAM 1       /* the program's icon (first icon: Explorer shows it) */
#define IDI_TRAY_FULL 101   /* tray picture: waste bin with contents */
#define IDI_TRAY_EMPTY 102  /* tray picture: empty waste bin */
#define IDI_OPTIONS 103     /* the Options dialog's small icon */
