// Ids of the dialog-manager tests' templates and controls.
#ifndef DIALOG_TEST_IDS_H
#define DIALOG_TEST_IDS_H

#define IDD_UNITS 900
#define IDD_SLIDER_POPUP 901
#define IDD_MISSING_CLASS 902
#define IDD_NAVIGATION 903
#define IDD_NESTED 904
#define IDD_CENTERED 905
#define IDD_FILE_CHILD 906

#define IDC_PROBE_BUTTON 1000
#define IDC_NAME 1010
#define IDC_LOW 1011
#define IDC_MEDIUM 1012
#define IDC_HIGH 1013
#define IDC_LOOP 1014
#define IDC_FRAMES 1020
#define IDC_WRAP 1021
#define IDC_FILE_FRAME 1119
#define IDC_FILE_PREVIEW 1030
#endif
