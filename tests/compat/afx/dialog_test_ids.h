#ifndef AFX_DIALOG_TEST_IDS_H
#define AFX_DIALOG_TEST_IDS_H
// Ids of the framework dialog tests' templates and controls.
#define IDD_SESSION 950
#define IDD_SESSION_CHILD 951
#define IDD_SLIDER_POPUP 952
#define IDD_MISSING_CLASS 953
#define IDD_FILE_PREVIEW 954
#define IDC_FILE_FRAME 1119
#define IDC_PREVIEW 1140
#define IDC_NAME 1101
#define IDC_FRAMES 1102
#define IDC_AVI 1103
#define IDC_GIF 1104
#define IDC_SWF 1105
#define IDC_LOOP 1106
#define IDC_QUALITY 1107
#define IDC_KIND 1108
#define IDC_WIDTH 1110
#define IDC_WRAP 1111
#define APP_TITLE_ID 57344
#endif
