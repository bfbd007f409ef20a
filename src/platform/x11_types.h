#pragma once
// Xlib's handle types for our headers, without Xlib.h itself: its macros (None, Bool, Status,
// True...) clash with names of ours, so files that need it include it after every header of ours.

// NOLINTBEGIN: Xlib's own declarations, repeated exactly.
typedef struct _XDisplay Display;
typedef unsigned long XID;
typedef XID Window;
typedef union _XEvent XEvent;
// NOLINTEND
