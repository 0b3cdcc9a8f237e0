// Ids of the program's resources and commands: the resource scripts and the
// program's code share them. The framework's own ids are in
// compat/afx/resource_ids.h.
#pragma once

#include "compat/afx/resource_ids.h"

// --- the main window ---
#define IDR_MAINFRAME 128
#define IDS_CREATE_AVI_ERROR 61204
#define IDS_ZOOM_100 61205
#define IDS_TRIANGLES_NOT_CROSSED 61206

// --- commands of menu 128, toolbar 128 and accelerators 128 ---
#define ID_IMPORT_SOURCE 32792
#define ID_IMPORT_TARGET 32793
#define ID_EXPORT_CURRENT_FRAME 32885
#define ID_EXPORT_ANIMATION 4001
#define ID_SWAP_SOURCE_TARGET 32847
#define ID_MODE_IMAGE_PROCESS 32838
#define ID_MODE_FEATURE_LINE 32778
#define ID_MODE_FIGURE 32811
#define ID_LINE_POINT_DELETE 32824
#define ID_LINE_CREATE 32789
#define ID_LINE_EDIT 32790
#define ID_FIGURE_INSERT_POINT 32812
#define ID_FIGURE_NEW 32814
#define ID_FIGURE_MOVE_POINT 32815
#define ID_DELETE_CURRENT_POINT 32791
#define ID_COPY_TARGET_LINES_TO_SOURCE 32822
#define ID_COPY_SOURCE_LINES_TO_TARGET 32823
#define ID_ZOOM_IN 32796
#define ID_ZOOM_OUT 32797
#define ID_ZOOM_ACTUAL 32846
#define ID_SET_OUTPUT_SIZE 4000
#define ID_MORPHER_SETUP 4002
#define ID_SHOW_PREVIEW 32807
#define ID_SHOW_EFFECT 32834
#define ID_ONLY_SOURCE 32844
#define ID_ONLY_TARGET 32845
#define ID_LOAD_SAMPLE 32794
#define ID_VISIT_HOMEPAGE 32781
#define ID_SUPPORT 32782
#define ID_DEFAULT_LAYOUT 32958

// --- context menus of the image panes ---
#define IDR_LINE_POINT_MENU 3051
#define ID_LINE_TOGGLE_CLOSED 32835
#define ID_LINE_TOGGLE_MASK 32839
#define ID_LINE_DELETE_POINT 32836
#define ID_LINE_SELECT 32837
#define IDR_IMAGE_MENU 3052
#define ID_SET_CLIP_AREA 32840
#define ID_COLOR_ADJUST 32841

// --- context menus of the curve controls and the swatch pages ---
#define IDR_CURVE_KIND_MENU 1004
#define ID_CURVE_HUE_SATURATION 32771
#define ID_CURVE_HUE_VALUE 32774
#define ID_CURVE_SATURATION_VALUE 32773
#define IDR_TIMELINE_POINT_MENU 3050
#define ID_REMOVE_SELECTED_POINT 32831
#define ID_RESET_CONTROL_POINTS 32832
#define IDR_SWATCH_MENU 151
#define ID_SWATCH_ADD 32775
#define ID_SWATCH_REMOVE 32776
#define ID_SWATCH_REPLACE 32777

// --- messages the export shows, beside 61204 ---
#define IDS_CREATE_GIF_ERROR 61207
#define IDS_CREATE_SWF_ERROR 61208
#define IDS_NO_WRITER_FOR_TYPE 61209
#define IDS_SWF_TOO_MANY_FRAMES 61210
