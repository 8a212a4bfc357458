#pragma once
// Resource and control ids, shared by the code and the resource script.

#define IDD_INSTALL 101
#define IDD_UNINSTALL 102
#define IDI_INSTALL 103
#define IDI_UNINSTALL 104

#define IDS_NOTES 1

#define IDC_LICENSE 4
#define IDC_README 5
#define IDC_DESTINATION 1000
#define IDC_NOTES 1005
#define IDC_COPY_FILES 1006
#define IDC_START_MENU 1007
#define IDC_REGISTRY 1008
#define IDC_START_PRODUCT 1009
#define IDC_STARTUP 1011

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
