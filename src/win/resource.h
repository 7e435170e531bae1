/* The resource ids of cadencer.ocx, read by its .rc file (and the test programs' that
   stand in for it) and by the code that loads or registers the resources. Plain macros
   and include guards: the resource compiler reads this file too. */
#ifndef CADENCER_WIN_RESOURCE_H
#define CADENCER_WIN_RESOURCE_H

/* TYPELIB: the type library the OCX registers from itself. */
#define IDR_TYPELIB 1
/* RT_MANIFEST (ISOLATIONAWARE_MANIFEST_RESOURCE_ID): the library's Common Controls 6
   manifest, which the schedule dialog activates around creating its windows. */
#define IDR_COMMON_CONTROLS_MANIFEST 2
/* ICON: the default dialog icon (SaveIcon), the module's first icon. */
#define IDI_DEFAULT_ICON 101
/* BITMAP: the 32 x 32 design-time face. */
#define IDB_FACE 102
/* ICON: the about box's picture, the clock larger and smoothed, at 48 x 48 and the sizes
   of higher DPIs. */
#define IDI_ABOUT_PICTURE 103
/* BITMAP: the toolbox picture, registered under ToolboxBitmap32. */
#define IDB_TOOLBOX 30000

#endif
