// Numbered resources of the program: norvatessa.rc and the C++ code share these ids. Only #defines, so
// that windres can read this file as well.
#pragma once

// Resources
#define IDD_ABOUTBOX 100
#define IDR_MAINFRAME 128 // menu, accelerators, toolbar, toolbar bitmap, icon
#define IDD_NETWORK_PAGE 202
#define IDD_ACCESS_PAGE 203
#define IDR_LIST_MENU 204 // context menu of the device list
#define IDD_WAIT 205
#define IDB_CONTROLLER 206 // device list image, magenta is transparent
#define IDD_SENSORS_PAGE 207
#define IDD_ADD_CONTROLLER 208
#define IDD_BATCH 210           // the window of a many-controller command
#define IDD_BATCH_PASSWORD 212  // one login and password for the controllers of a batch
#define IDD_GIVE_ADDRESSES 214  // consecutive addresses for the selected controllers
#define IDD_SITE_FOLDER 216     // the folder of a site's settings, to back up to or restore from
#define IDD_RESTORE_PREVIEW 217 // what a restore from a folder changes, ticked per controller

// Strings
#define IDS_APP_TITLE 128
#define IDS_SECONDS 129
#define IDS_NETWORK_PAGE 130
#define IDS_ACCESS_PAGE 131
#define IDS_CONTROLLER_SETTINGS 132 // caption of the settings property sheet
#define IDS_SENSORS_PAGE 133
#define IDS_SENSOR_DIGITAL 134
#define IDS_SENSOR_ANALOG 135
#define IDS_NORMALLY_OPEN 136
#define IDS_NORMALLY_CLOSED 137
// The settings sheet for several controllers: "не менять" in its lists, and its caption.
#define IDS_KEEP_VALUE 150
#define IDS_CHANGE_SELECTED_SHEET 151
#define IDS_RESTORE_CONTROLLER 180 // the restore preview's columns
#define IDS_RESTORE_FILE 181
#define IDS_RESTORE_CHANGES 182
#define IDS_GIVE_ADDRESSES 170   // caption of the batch window that gives addresses
#define IDS_GIVE_COLUMN_NAME 171 // the preview's columns
#define IDS_GIVE_COLUMN_OLD 172
#define IDS_GIVE_COLUMN_NEW 173
#define IDS_GIVE_COLUMN_NOTE 174
#define IDS_READY 57345 // status bar text when idle

// Commands. A command's status bar help and tooltip are the string with the command's id.
#define ID_PROGRAM_SETTINGS 32772
#define ID_REFRESH 32773
#define ID_LIST_PLACEHOLDER 32777 // the never shown popup 0 of IDR_LIST_MENU
#define ID_CONTROLLER_SETTINGS 32782
#define ID_HELP_FILE 32784
#define ID_ADD_CONTROLLER 32790
#define ID_FORGET_CONTROLLER 32791
#define ID_OPEN_WEB_PAGE 32792
#define ID_SAVE_SETTINGS 32793
#define ID_LOAD_SETTINGS 32794
#define ID_SAVE_LIST 32795
#define ID_CHANGE_SELECTED 32810
#define ID_FORGET_PASSWORDS 32820
#define ID_BACKUP_SELECTED 32840
#define ID_RESTORE_FOLDER 32841
#define ID_GIVE_ADDRESSES 32830
#define ID_NEW_SEARCH 57600
#define ID_OPEN 57601
#define ID_SAVE 57603
#define ID_PRINT 57607
#define ID_COPY 57634
#define ID_CUT 57635
#define ID_FILTER 57636 // the cursor to the filter box above the device list
#define ID_PASTE 57637
#define ID_SELECT_ALL 57642 // every row the device list shows
#define ID_UNDO 57643
#define ID_ABOUT 57664
#define ID_EXIT 57665
#define ID_NEXT_PANE 57680
#define ID_PREVIOUS_PANE 57681

#define IDC_STATIC (-1)

// IDD_NETWORK_PAGE
#define IDC_PORT 1000
#define IDC_IP_ADDRESS 1002
#define IDC_NETMASK 1004
#define IDC_SERVER_NAME 1006
#define IDC_MAC_BYTE5 1025
#define IDC_MAC_BYTE6 1026
#define IDC_MAC_PREFIX 1027 // the first four bytes, "00 - 1A - 2B - 3C - "
#define IDC_GATEWAY 1028
// Shown only when the sheet changes several controllers.
#define IDC_OWN_VALUES_NOTE 1450
#define IDC_NETMASK_KEEP 1451
#define IDC_GATEWAY_KEEP 1452

// IDD_ACCESS_PAGE
#define IDC_USER_NAME 1009
#define IDC_USER_PASSWORD 1010
#define IDC_USER_CONFIRM 1011
#define IDC_ADMIN_NAME 1012
#define IDC_ADMIN_PASSWORD 1013
#define IDC_ADMIN_CONFIRM 1014
#define IDC_ASK_PASSWORD 1015
#define IDC_ADMIN_CONFIRM_LABEL 1016
#define IDC_USER_CONFIRM_LABEL 1017
#define IDC_ADMIN_CHANGE_PASSWORD 1034
#define IDC_USER_CHANGE_PASSWORD 1035

// IDD_SENSORS_PAGE: sensor i (0 to 7) has IDC_SENSOR_TYPE_FIRST + i and IDC_SENSOR_INVERSION_FIRST + i.
#define IDC_SENSOR_TYPE_FIRST 1018
#define IDC_SENSOR_TYPE_1 1018
#define IDC_SENSOR_TYPE_2 1019
#define IDC_SENSOR_TYPE_3 1020
#define IDC_SENSOR_TYPE_4 1021
#define IDC_SENSOR_TYPE_5 1022
#define IDC_SENSOR_TYPE_6 1023
#define IDC_SENSOR_TYPE_7 1024
#define IDC_SENSOR_TYPE_8 1025
#define IDC_SENSOR_INVERSION_FIRST 1026
#define IDC_SENSOR_INVERSION_1 1026
#define IDC_SENSOR_INVERSION_2 1027
#define IDC_SENSOR_INVERSION_3 1028
#define IDC_SENSOR_INVERSION_4 1029
#define IDC_SENSOR_INVERSION_5 1030
#define IDC_SENSOR_INVERSION_6 1031
#define IDC_SENSOR_INVERSION_7 1032
#define IDC_SENSOR_INVERSION_8 1033
#define IDC_BEEP 1034

// IDD_WAIT
#define IDC_WAIT_MESSAGE 1010
#define IDC_WAIT_DETAIL 1011

// IDD_ADD_CONTROLLER
#define IDC_ADD_ADDRESS 1200
#define IDC_ADD_PORT 1201
#define IDC_ADD_RANGE_END 1202

// IDD_BATCH_PASSWORD
#define IDC_PASSWORD_MESSAGE 1500
#define IDC_PASSWORD_LOGIN 1501
#define IDC_PASSWORD_TEXT 1502
#define IDC_PASSWORD_REMEMBER 1503
// IDD_SITE_FOLDER
#define IDC_SITE_FOLDER_COUNT 1600
#define IDC_SITE_FOLDER 1601
#define IDC_SITE_FOLDER_BROWSE 1602
#define IDC_SITE_FOLDER_NOTE 1603

// IDD_RESTORE_PREVIEW
#define IDC_RESTORE_NOTE 1610
#define IDC_RESTORE_LIST 1611
// IDD_GIVE_ADDRESSES
#define IDC_GIVE_START 1550
#define IDC_GIVE_MASK 1551
#define IDC_GIVE_GATEWAY 1552
#define IDC_GIVE_CHECK 1553
#define IDC_GIVE_PREVIEW 1554
#define IDC_GIVE_SKIPPED 1555

// The main window's filter box
#define IDC_FILTER 1300

// IDD_BATCH
#define IDC_BATCH_ROWS 1400
#define IDC_BATCH_PROGRESS 1401
#define IDC_BATCH_TIME 1402
#define IDC_BATCH_SUMMARY 1403
#define IDC_BATCH_COPY 1404
#define IDC_BATCH_CLOSE 1405

// IDD_ABOUTBOX
#define IDC_ABOUT_NAME 1100
#define IDC_ABOUT_VERSION 1101
#define IDC_ABOUT_DESCRIPTION 1102
