// Numbers of the program's dialogs, their controls and the strings they
// use, shared by the resource scripts and the code.
#pragma once

// Settings dialog.
#define IDD_SETTINGS 106
#define IDC_DISPLAY_SETTINGS 1006
#define IDC_SOUND_SETTINGS 1007
#define IDC_WEBSITE 1017
#define IDC_PICTURE_POSITION 1023

// Display-settings dialogs: one adapter, and one tab per monitor.
#define IDD_DISPLAY_SINGLE 200
#define IDD_DISPLAY_MULTIPLE 201
#define IDC_MONITOR_TABS 2000
#define IDC_MONITOR_TEMPLATE 2001
#define IDC_ADAPTER_NAME 2002
#define IDC_RENDERING 2003
#define IDC_DISPLAY_HELP 2004
#define IDC_DISABLE_HARDWARE 2005
#define IDC_MONITOR_USAGE 2006
#define IDC_SHOW_SAVER 2007
#define IDC_LEAVE_BLACK 2008
#define IDC_MODE_GROUP 2009
#define IDC_MODE_LABEL 2010
#define IDC_MODE_LIST 2011
#define IDC_AUTOMATIC_TEMPLATE 2012
#define IDC_MODE_NOTE 2013
#define IDC_DUAL_GROUP 2014
#define IDC_ALL_SCREENS_SAME 2015
#define IDC_MODE_TEMPLATE 2016

// Sound dialog.
#define IDD_SOUND 2214
#define IDC_VOLUME 1021
#define IDC_MUTE 1022

// Help texts of the display-settings dialogs.
#define IDS_HELP_HAL 2200
#define IDS_HELP_HAL_USES_SW 2201
#define IDS_HELP_HAL_NO_COMPATIBLE_SW 2202
#define IDS_HELP_HAL_NO_SW 2203
#define IDS_HELP_NO_HAL_USES_SW 2204
#define IDS_HELP_NO_HAL_NO_COMPATIBLE_SW 2205
#define IDS_HELP_NO_HAL_NO_SW 2206
#define IDS_HELP_DISABLED_USES_SW 2207
#define IDS_HELP_DISABLED_NO_COMPATIBLE_SW 2208
#define IDS_HELP_DISABLED_NO_SW 2209
// Rendering line of the display-settings dialogs.
#define IDS_RENDERING_HARDWARE 2210
#define IDS_RENDERING_SOFTWARE 2211
#define IDS_RENDERING_NONE 2212
