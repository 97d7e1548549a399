// Resource identifiers shared by FilmCore.rc and the dialog code.
// Kept free of anything but #define lines so windres can read it.
#ifndef FILMCORE_UI_RESOURCE_H
#define FILMCORE_UI_RESOURCE_H

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// ---------------------------------------------------------------------------
// Dialog templates
#define IDD_MAIN                 101
#define IDD_PATIENT_INFO         102
#define IDD_ADVANCED_OPTIONS     103
#define IDD_SYSTEM_TEST          104
#define IDD_CALIBRATION          105
#define IDD_SCANNED_IMAGE        106
#define IDD_MORE_DICOM           107
#define IDD_LOAD_TABLE           108
#define IDD_SCAN_SIZE            109
#define IDD_OUTPUT_IMAGE_FILE    110
#define IDD_SAVE_TABLE           111
#define IDD_PASSWORD             112
#define IDD_GUI_CONTROL          113
#define IDD_CHANGE_PASSWORD      114
#define IDD_ABOUT                115
#define IDD_WARMUP               116
#define IDD_BATCH_OUTPUT         117

// ---------------------------------------------------------------------------
// Bitmaps: pictures of the digitizer, chosen by its model variant
#define IDB_DIGITIZER_NA         126
#define IDB_DIGITIZER_A2         131
#define IDB_DIGITIZER_9A         132
#define IDB_DIGITIZER_9E         133

// ---------------------------------------------------------------------------
// Main dialog (IDD_MAIN). IDOK (1) is "E&xit", IDCANCEL (2) is "&Cancel".
#define IDC_EJECT                1002
#define IDC_SCAN                 1003
#define IDC_RESOLUTION           1004
#define IDC_WIDTH                1005
#define IDC_LENGTH               1006
#define IDC_DEPTH                1007
#define IDC_AUTO_SIZE            1008
#define IDC_IMAGE_SIZE           1010
#define IDC_STATUS               1011
#define IDC_PATIENT_INFO         1014
#define IDC_DICOM_PARAMS         1015
#define IDC_PRESCAN              1016
#define IDC_FILE_FORMAT          1018
#define IDC_SEL_WIDTH            1024
#define IDC_SEL_HEIGHT           1025
#define IDC_TOP                  1026
#define IDC_LEFT                 1027
#define IDC_TOP_CENTER           1028
#define IDC_SCAN_SIZE            1029
#define IDC_UNITS_NAME           1030
#define IDC_DIGITIZER_PICTURE    1031
#define IDC_ABOUT                1032
#define IDC_TOP_LABEL            1034
#define IDC_LEFT_LABEL           1035
#define IDC_WIDTH_LABEL          1036
#define IDC_LENGTH_LABEL         1037
#define IDC_RESOLUTION_LABEL     1038
#define IDC_DEPTH_LABEL          1039
#define IDC_FILM_COUNT           1040
#define IDC_DIGITIZER_INFO       1044
#define IDC_ADVANCED             4006
#define IDC_SEL_X1               5002
#define IDC_SEL_Y1               5003
#define IDC_SEL_X2               5004
#define IDC_SEL_Y2               5005
#define IDC_POINTER_X            5006
#define IDC_POINTER_Y            5007
#define IDC_SAVE_TO_DISK         6034
#define IDC_MULTI_FILM           6038

// Private commands sent or posted to the main dialog; no control carries them.
#define IDM_RELOAD_AFTER_PRESCAN 1019
#define IDM_SCAN_REGION          1020
#define IDM_ENABLE_BUTTONS       1022
#define IDM_DISABLE_BUTTONS      1023
#define IDM_SHOW_SIZE_IN_UNITS   1031
#define IDM_SCAN_FINISHED        1099
#define IDM_REPAINT_PROGRESS     2001

// ---------------------------------------------------------------------------
// Patient Information (IDD_PATIENT_INFO)
#define IDC_IMAGE_DIMENSIONS     3000
#define IDC_IMAGE_DEPTH_TEXT     3001
#define IDC_OUTPUT_FILE_NAME     3002
#define IDC_PATIENT_NAME         3003
#define IDC_PATIENT_DOB          3004
#define IDC_PATIENT_SEX          3005
#define IDC_PATIENT_ID           3006
#define IDC_STUDY_ID             3007
#define IDC_SERIES_NUMBER        3008
#define IDC_IMAGE_NUMBER         3009
#define IDC_OUTPUT_FILE_LABEL    3010

// ---------------------------------------------------------------------------
// Advanced Options (IDD_ADVANCED_OPTIONS)
#define IDC_DARK_ENHANCE         1009
#define IDC_TWELVE_HIGH          1022
#define IDC_UNITS_LABEL          1030
#define IDC_EXPOSURE             4002
#define IDC_TABLE_LIST           4003
#define IDC_TABLE_LABEL          4007
#define IDC_SYSTEM_TEST          6001
#define IDC_EXPOSURE_SCROLL      6006
#define IDC_LINE_AVERAGING       6007
#define IDC_AVERAGE_COUNT        6008
#define IDC_AUTO_EJECT           6009
#define IDC_BILEVEL              6010
#define IDC_THRESHOLD            6011
#define IDC_THRESHOLD_SCROLL     6012
#define IDC_CALIBRATE            6016
#define IDC_THRESHOLD_LABEL      6021
#define IDC_AVERAGE_COUNT_LABEL  6022
#define IDC_GUI_CONTROL          6023
#define IDC_OPTIONS_DIGITIZER_INFO 6024
#define IDC_UNITS                6028
#define IDC_PORTRAIT             6029
#define IDC_LANDSCAPE            6030
#define IDC_MAX_LENGTH_17        6031
#define IDC_MAX_LENGTH_51        6032
#define IDC_PASSWORD_PROTECTION  6035
#define IDC_OPTIONS_ABOUT        6036
#define IDC_EXPOSURE_LABEL       6037

// ---------------------------------------------------------------------------
// Scanner System Test (IDD_SYSTEM_TEST); button IDCANCEL
#define IDC_TEST_MESSAGES        7001

// Scanner Calibration (IDD_CALIBRATION); button IDOK
#define IDC_CALIBRATION_TEXT     8001

// ---------------------------------------------------------------------------
// More DICOM Parameters (IDD_MORE_DICOM)
#define IDC_STUDY_INSTANCE_UID   9001
#define IDC_SERIES_INSTANCE_UID  9002
#define IDC_SOP_INSTANCE_UID     9003
#define IDC_STUDY_DATE           9004
#define IDC_STUDY_TIME           9005
#define IDC_ACCESSION_NUMBER     9006
#define IDC_MODALITY             9007
#define IDC_REFERRING_PHYSICIAN  9008
#define IDC_DEVICE_MANUFACTURER  9009
#define IDC_DIGITAL_FORMAT       9010
#define IDC_GENERATE_UIDS        9011

// ---------------------------------------------------------------------------
// Scan Size (IDD_SCAN_SIZE)
#define IDC_FILM_SIZE_LIST       11001
#define IDC_FILM_SIZE_ADD        11002
#define IDC_FILM_SIZE_MODIFY     11003
#define IDC_FILM_SIZE_DELETE     11004
#define IDC_FILM_SIZE_EDIT       11005

// ---------------------------------------------------------------------------
// Templates no operation opens: Scanned Image, Load Table, Output Image File,
// Save Translation Table
#define IDC_SCANNED_IMAGE_FRAME  12001
#define IDC_LOAD_TABLE_LIST      12101
#define IDC_LOAD_TABLE_ADD       12102
#define IDC_LOAD_TABLE_DELETE    12103
#define IDC_OUTPUT_FILE_EDIT     12201
#define IDC_OUTPUT_FILE_BROWSE   12202
#define IDC_SAVE_TABLE_TYPE      12301
#define IDC_SAVE_TABLE_FILE      12302
#define IDC_SAVE_TABLE_BROWSE    12303

// ---------------------------------------------------------------------------
// Password (IDD_PASSWORD) and Change Password (IDD_CHANGE_PASSWORD)
#define IDC_PASSWORD_TEXT        12401
#define IDC_NEW_PASSWORD         12402
#define IDC_CONFIRM_PASSWORD     12403
#define IDC_OLD_PASSWORD         12404

// GUI Control (IDD_GUI_CONTROL): one check box per control group; the
// group id minus 14002 is the bit of the control mask (14010 has no box).
#define IDC_CHANGE_PASSWORD      14001
#define IDC_LOCK_RESOLUTION      14002
#define IDC_LOCK_DEPTH           14003
#define IDC_LOCK_TABLES          14004
#define IDC_LOCK_PRESCAN         14005
#define IDC_LOCK_ROI             14006
#define IDC_LOCK_LINE_AVERAGE    14007
#define IDC_LOCK_EXPOSURE        14008
#define IDC_LOCK_BILEVEL         14009
#define IDC_LOCK_ORIENTATION     14010
#define IDC_LOCK_SAVE_TO_DISK    14011
#define IDC_LOCK_DARK_ENHANCE    1023

// ---------------------------------------------------------------------------
// About (IDD_ABOUT); button IDOK
#define IDC_FREE_DISK            1029
#define IDC_FREE_PHYSICAL_MEMORY 1030
#define IDC_FREE_VIRTUAL_MEMORY  1031
#define IDC_ABOUT_HIDDEN_TEXT    1033
#define IDC_ABOUT_PICTURE        1038
#define IDC_VERSION_TEXT         17000

// ---------------------------------------------------------------------------
// Warm-up notice (IDD_WARMUP)
#define IDC_WARMUP_ABORT         16000
#define IDC_WARMUP_IGNORE        16001
#define IDC_WARMUP_TEXT          16002
#define IDC_WARMUP_PICTURE       16003

// ---------------------------------------------------------------------------
// Batch Output Images Files (IDD_BATCH_OUTPUT); IDC_FILE_FORMAT_LIST shares
// its id with the main dialog's File Format button.
#define IDC_FILE_FORMAT_LIST     1018
#define IDC_AUTO_NUMBER          1043
#define IDC_BROWSE               6015
#define IDC_BATCH_NAME_FIRST     6040   // name edits of films 1 to 25: 6040 to 6064
#define IDC_BATCH_NAME_LAST      6064
#define IDC_SAVE_PATH            6065
// Private command: the format changed elsewhere; refill the format list.
#define IDM_REFRESH_FORMAT_LIST  6066

#endif
