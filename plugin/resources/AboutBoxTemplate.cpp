// The About box that the control's AboutBox method shows.

#include "plugin/resources/PageTemplates.h"
#include "plugin/resources/Resources.h"

namespace {

constexpr int kIdOk = 1;

constexpr char kAboutCaption[] = "About QMA7 Control";
constexpr char kAboutVersion[] = "QMA7 Control, Version 1.0";
constexpr char kAboutCopyright[] = "Copyright (C) 2001 Brimla";
constexpr char kOk[] = "OK";

}  // namespace

DialogTemplate AboutBoxTemplate() {
    DialogTemplate dialog;
    dialog.id = IDD_ABOUTBOX_QMA7;
    dialog.caption = kAboutCaption;
    dialog.cx = 260;
    dialog.cy = 55;
    dialog.controls = {
        IconImage(IDI_ABOUTDLL, 10, 10),
        Label(kAboutVersion, 40, 10, 170, 8),
        Label(kAboutCopyright, 40, 25, 170, 8),
        Button(kIdOk, kOk, 221, 7, 32, 14),
    };
    return dialog;
}
