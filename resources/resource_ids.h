/* Resource ids of the module (dialogs, menus, strings, bitmaps, cursor).
   Plain macros: the resource compiler reads this file too. */
#ifndef QUILLAN_RESOURCE_IDS_H
#define QUILLAN_RESOURCE_IDS_H

/* Dialogs */
#define IDD_ANIMATION 102
#define IDD_LOAD_LIBRARY 104
#define IDD_ADD_RAMP_SAMPLE 105
#define IDD_ADD_TO_LIBRARY 106
#define IDD_MAIN 200
#define IDD_RAMP_EDITOR 201
#define IDD_RENAME 202

/* Menus and their items */
#define IDM_IIO_MENU 100
#define IDM_CIRCLE_MENU 101
#define IDM_APPLY 111
#define IDM_DELETE 112
#define IDM_CHANGE_COLOR 113
#define IDM_DELETE_STOP 114
#define IDM_RENAME 115

/* Strings */
#define IDS_FILTER_NAME 500
#define IDS_MENU_ENTRY 501
#define IDS_CATEGORY 502
#define IDS_MODE 503
#define IDS_UNDO_MENU 504
#define IDS_REDO_MENU 505
#define IDS_RANGE_INT 509
#define IDS_PALETTE_N 510
#define IDS_MODE_N 511
#define IDS_RANGE_HUNDREDTHS 512
#define IDS_LIBRARY_ADD_FAILED 515
#define IDS_PALETTE_EDIT_FAILED 516
#define IDS_NUMBER 517
#define IDS_INVALID_NUMBER 518
#define IDS_TOO_MANY_OPERATIONS 520
#define IDS_REMOVE_SCRIPT 522
#define IDS_FILE_EXISTS 523
#define IDS_GIF_SAVE_FAILED 524
#define IDS_LABEL_HUE 526
#define IDS_LABEL_REPEAT 527
#define IDS_LABEL_RING 528
#define IDS_IMAGE_TOO_SMALL 529
#define IDS_RESET 530
#define IDS_DELETE_ALL 531
#define IDS_NORMAL 532
#define IDS_ADVANCED 533
#define IDS_UNDO 534
#define IDS_DELETE 535
#define IDS_DELETE_CAPTION 536
#define IDS_TEMPLATE_N 537
#define IDS_TEMPLATE_NONE 538
#define IDS_PATTERN_N 539
#define IDS_LIBRARY_UNREADABLE 540
#define IDS_ENTER_NAME 1017

/* Bitmaps and cursor */
#define IDB_TEMPLATE_BASE 120 /* + template number 1..19 */
#define IDB_MIRROR 307
#define IDC_HUE_DRAG 309

#endif
