#pragma once
// The plug-in's resources: dialog templates (the About box and one per tab) and the string
// table (the control's type name and the tab captions).

#include <string_view>

#include "platform/ui/DialogTemplate.h"

// Dialog templates. A page's template and its tab caption (a string resource) share one id; the
// page table (plugin/shell/PageTable) names each page with its id once.
constexpr int IDD_ABOUTBOX_QMA7 = 1;
constexpr int IDD_PAGE_RECIRCULATION = 200;
constexpr int IDD_PAGE_COOLING = 201;
constexpr int IDD_PAGE_TEMPERATURES = 202;
constexpr int IDD_PAGE_HUMIDITY_SENSOR = 203;
constexpr int IDD_PAGE_SECONDARY_HEAT = 204;
constexpr int IDD_PAGE_SETTINGS_HUMIDITY = 205;
constexpr int IDD_PAGE_DEHUMIDIFIER = 206;
constexpr int IDD_PAGE_HUMIDIFIER = 207;
constexpr int IDD_PAGE_DELAY_COOLING = 208;
constexpr int IDD_PAGE_ALARMS = 209;
constexpr int IDD_PAGE_RUNNING_HOURS = 210;
constexpr int IDD_PAGE_NODE_INFORMATION = 211;
constexpr int IDD_PAGE_PID_HUMIDIFIER = 213;
constexpr int IDD_PAGE_EXERCISE = 214;
constexpr int IDD_PAGE_IMPORT_EXPORT = 215;
constexpr int IDD_PAGE_CONFIG_HVAC = 216;

// Control ids that several dialogs share: the Read and Write push buttons and the password
// field of the pages that have one.
constexpr int IDC_READ = 206;
constexpr int IDC_WRITE = 207;
constexpr int IDC_PASSWORD = 221;

// String resources.
constexpr int IDS_QMA7 = 1;  // the control's type name

// Other resources the About box refers to.
constexpr int IDI_ABOUTDLL = 1;  // the icon at the left of the About box

// Bitmap resources (BitmapResources.h).
constexpr int IDB_QMA7 = 1;  // the control's picture, also its toolbox bitmap

// The template with this id, or null when there is none.
const DialogTemplate* FindDialogResource(int id);
// The template with this id; asking for one that does not exist is a programming error and
// aborts with a message naming the id.
const DialogTemplate& DialogResource(int id);
// The string with this id; empty when there is none.
std::string_view StringResource(int id);
