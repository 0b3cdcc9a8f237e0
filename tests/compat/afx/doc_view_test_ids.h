#ifndef AFX_DOC_VIEW_TEST_IDS_H
#define AFX_DOC_VIEW_TEST_IDS_H
// Ids of the note-taking test application's frame resources and commands.
#define IDR_NOTES 300
#define ID_EDIT_UPPER 32771
#define ID_EDIT_APPEND 32772
#define ID_EDIT_LOCKED 32773
#define ID_EDIT_ORPHAN 32774
#define ID_VIEW_GRID 32775
#define ID_VIEW_WIDE 32776
#endif
