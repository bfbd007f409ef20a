// Numbers of the program's resources, shared by the resource scripts and the code.
#pragma once

#define VEXAFRAME_PREVIEW_STILL 101

// The settings dialog's skin: its icon, its pointer and the picture store.
#define VEXAFRAME_ICON 1
#define VEXAFRAME_DIALOG_POINTER 201
#define VEXAFRAME_SKIN_TITLE_STRIP 301    // 500 x 22, stretched to the window's width
#define VEXAFRAME_SKIN_CLOSE 302          // 15 x 15, the close button at rest
#define VEXAFRAME_SKIN_CLOSE_PRESSED 303  // 16 x 15
#define VEXAFRAME_SKIN_BUTTON 304         // 21 x 20 button face at rest, stretched
#define VEXAFRAME_SKIN_BUTTON_PRESSED 305 // 21 x 20
#define VEXAFRAME_SKIN_HEADING_TAB 306    // 95 x 22
#define VEXAFRAME_SKIN_CHECK_OFF 307      // 12 x 12
#define VEXAFRAME_SKIN_CHECK_ON 308       // 12 x 12
#define VEXAFRAME_SKIN_RADIO_OFF 309      // 13 x 13
#define VEXAFRAME_SKIN_RADIO_ON 310       // 13 x 13
#define VEXAFRAME_SKIN_PANEL_TILE 311     // 579 x 21, 24 bits a pixel
