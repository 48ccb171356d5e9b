// Resource identifiers of ZTOperatorPanel30.ocx.
#pragma once

#define IDS_ZTOPERATORPANELX 1             // type name of the control
#define IDS_ZTOPERATORPANELX_PPG 2         // type name of the property page
#define IDS_ZTOPERATORPANELX_PPG_CAPTION 200

#define IDB_ZTOPERATORPANELX 1             // toolbox bitmap
#define IDI_ABOUTDLL 1                     // icon of the about box

#define IDD_ABOUTBOX_ZTOPERATORPANELX 1
#define IDD_PROPPAGE_ZTOPERATORPANELX 200
