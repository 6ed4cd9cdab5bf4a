// Resource identifiers shared by qrvl.rc and the window code.
#pragma once

// The manifest must be resource 1 of type RT_MANIFEST for the loader to apply it.
#define IDR_MANIFEST 1

#define IDI_QRVL 101
#define IDB_BANNER 102

#define IDM_MAIN 200
#define IDM_FILE_EXIT 201
#define IDM_ABOUT 202
#define IDM_TRAY 210
#define IDM_TRAY_EXIT 211
// "Map filter..." in the system menu and the right-click menu. A system-menu item needs an id
// below 0xF000 with its low four bits clear: WM_SYSCOMMAND uses those bits for itself.
#define IDM_MAP_FILTER 0x0E00
// "Maps..." and "Resume random picks", beside it in the system menu.
#define IDM_MAPS 0x0E10
#define IDM_RESUME 0x0E20

#define IDC_LABEL1 1001
#define IDC_SCM 1002
#define IDC_SCX 1003
#define IDC_TEXT1 1004
#define IDC_COMMAND1 1005
#define IDC_COMMAND2 1006

#define IDD_ABOUT 300
#define IDC_ABOUT_FRAME1 1101
#define IDC_ABOUT_LABEL1 1111
#define IDC_ABOUT_LABEL2 1112
#define IDC_ABOUT_LABEL3 1113
#define IDC_ABOUT_LABEL4 1114
#define IDC_ABOUT_LABEL6 1116
#define IDC_ABOUT_LABEL7 1117
#define IDC_ABOUT_LABEL8 1118
#define IDC_ABOUT_LABEL9 1119
#define IDC_ABOUT_LABEL10 1120
#define IDC_ABOUT_LABEL11 1121
#define IDC_ABOUT_LABEL12 1122
#define IDC_ABOUT_LABEL13 1123
#define IDC_ABOUT_OK 1102
#define IDC_ABOUT_IMAGE1 1103

// The Filter window's OK and Cancel are IDOK and IDCANCEL, so that Enter and Esc reach them.
#define IDC_FILTER_PLAYERS_FRAME 1201
#define IDC_FILTER_TILESETS_FRAME 1202
// The eight boxes of each group follow their first one's id.
#define IDC_FILTER_PLAYER1 1211
#define IDC_FILTER_TILESET1 1221
#define IDC_FILTER_COUNT 1231
#define IDC_FILTER_LAST_PICK 1232
#define IDC_FILTER_FAVOURITES 1233

// The Maps window. Its list's context menu uses the buttons' ids.
#define IDC_MAPS_SEARCH 1301
#define IDC_MAPS_ONLY_FIT 1302
#define IDC_MAPS_LIST 1303
#define IDC_MAPS_PLAY 1304
#define IDC_MAPS_FAVOURITE 1305
#define IDC_MAPS_NEVER 1306
#define IDC_MAPS_SHOW 1307
#define IDC_MAPS_RESUME 1308
#define IDC_MAPS_STATUS 1309
#define IDC_MAPS_PREVIEW 1310
