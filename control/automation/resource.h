// Resource ids of Zelmar.ocx, shared by zelmar.rc and the code.
#pragma once

#define IDS_ZELMAR 1                // the control's type name
#define IDS_ZELMAR_PPG 2            // the property page's type name
#define IDS_ZELMAR_PPG_CAPTION 200  // the property page's caption
#define IDB_ZELMAR 1                // the tool-box picture
#define IDI_ABOUTDLL 1              // the module icon
#define IDD_ABOUTBOX_ZELMAR 1
#define IDD_PROPPAGE_ZELMAR 200
#define IDC_STATIC -1
