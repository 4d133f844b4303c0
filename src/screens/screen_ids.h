/* Resource and control ids of the skinned screens. Plain #defines: the resource
   compiler reads this file too. */
#pragma once

/* Dialog templates. */
#define IDD_LICENSE 104
#define IDD_CONFIRM_EXIT 109
#define IDD_WELCOME 112
#define IDD_SPLASH 113
#define IDD_PROGRESS 232

/* Bitmaps: the number in each skinned template's title. */
#define IDB_SPLASH 224
#define IDB_LICENSE 236
#define IDB_CONFIRM_EXIT 246
#define IDB_WELCOME 247
#define IDB_PROGRESS 250

/* Cursor and icon (in the program's and each language library's common resources). */
#define IDI_SETUP 222
#define IDR_HAND_CURSOR 234

/* Controls. 1008 (IDC_PROCEED) and 2 (IDCANCEL) are the buttons of every screen. */
#define IDC_LICENSE_TEXT 203
#define IDC_SPLASH_CLIP 238
#define IDC_PROGRESS_BAR 258
#define IDC_LICENSE_RECT 260
#define IDC_PROGRESS_RECT 262

/* Strings. */
#define IDS_SETUP_TITLE 1001

/* Timer of the splash. */
#define SPLASH_TIMER_ID 9999
