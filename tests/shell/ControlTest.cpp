#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/com/ComPtr.h"
#include "platform/crt/Clock.h"
#include "platform/gdi/CDC.h"
#include "platform/gdi/CRect.h"
#include "platform/gdi/LoadBitmap.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/MessageLoop.h"
#include "platform/ui/PropExchange.h"
#include "plugin/resources/Resources.h"
#include "plugin/shell/CQMA7App.h"
#include "plugin/shell/CQMA7Ctrl.h"

namespace {

// Records what a control exchanges; when loading, answers from stored values.
class RecordingExchange final : public CPropExchange {
  public:
    explicit RecordingExchange(bool loading) : CPropExchange(loading) {}

    bool ExchangeProp(const char* name, VARTYPE vt, void* value,
                      const void* defaultValue) override {
        std::uint32_t bits = 0;
        if (IsLoading()) {
            const auto found = stored.find(name);
            std::memcpy(&bits, found != stored.end() ? &found->second : defaultValue, 4);
            std::memcpy(value, &bits, 4);
        } else {
            std::memcpy(&bits, value, 4);
        }
        char line[64];
        std::snprintf(line, sizeof line, "%s %s 0x%X", name, vt == VT_UI4 ? "ulong" : "long", bits);
        log.emplace_back(line);
        return true;
    }

    std::map<std::string, std::uint32_t> stored;
    std::vector<std::string> log;
};

// A control as the host holds it: one reference, released at the end.
struct Control {
    Control() : ctrl(new CQMA7Ctrl) {}
    ~Control() { ctrl->Release(); }
    CQMA7Ctrl* ctrl;
};

// Draws the control as a container does, into a width x height white picture.
Bitmap DrawControl(CQMA7Ctrl* ctrl, int width, int height, const CRect& bounds) {
    CDC dc(width, height, 0xFFFFFF);
    ComPtr<IViewObject> view;
    EXPECT_EQ(ctrl->QueryInterface(IID_IViewObject, view.PutVoid()), S_OK);
    EXPECT_EQ(view->Draw(DVASPECT_CONTENT, &dc, &bounds), S_OK);
    return *dc.GetSurface();
}

// Shows the text of each modal dialog that starts, then closes it with OK.
class DialogRecorder final : public FrontEnd {
  public:
    void Pump(MessageLoop&, std::optional<std::int64_t>) override {
        ADD_FAILURE() << "the dialog was not closed";
    }
    void ModalStarted(CWnd& window) override {
        auto& dialog = dynamic_cast<CDialog&>(window);
        shown.push_back(dialog.GetWindowText());
        for (const auto& control : dialog.Controls()) {
            shown.push_back(control->GetWindowText());
        }
        dialog.EndDialog(IDOK);
    }
    int RunMessageBox(MessageLoop&, const MessageBoxRequest&) override { return IDOK; }
    std::optional<std::string> RunFileDialog(MessageLoop&, const FileDialogRequest&) override {
        return std::nullopt;
    }

    std::vector<std::string> shown;
};

}  // namespace

class ControlDrawing : public ::testing::Test {
  protected:
    // Another test may have changed the bitmap resources; the module's are current again.
    void SetUp() override { theApp.InitInstance(); }
    void TearDown() override { theApp.InitInstance(); }
};

TEST_F(ControlDrawing, StretchesTheTopLeft30By30PixelsOfTheBitmapIntoTheBounds) {
    const std::optional<Bitmap> bitmap = LoadBitmap(IDB_QMA7);
    ASSERT_TRUE(bitmap.has_value());
    ASSERT_EQ(bitmap->Width(), 31);  // a 31 x 31 sixteen-colour picture
    ASSERT_EQ(bitmap->Height(), 31);
    EXPECT_EQ(bitmap->Palette().size(), 16u);
    Control control;

    const Bitmap doubled = DrawControl(control.ctrl, 60, 60, CRect(0, 0, 60, 60));
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 60; ++x) {
            ASSERT_EQ(doubled.GetPixel(x, y), bitmap->GetPixel(x / 2, y / 2)) << x << "," << y;
        }
    }

    // Bounds given the wrong way round are normalised; the 31st row and column never show.
    const Bitmap copied = DrawControl(control.ctrl, 40, 40, CRect(35, 34, 5, 4));
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 40; ++x) {
            const bool inside = x >= 5 && x < 35 && y >= 4 && y < 34;
            ASSERT_EQ(copied.GetPixel(x, y), inside ? bitmap->GetPixel(x - 5, y - 4) : 0xFFFFFFu)
                << x << "," << y;
        }
    }
}

TEST_F(ControlDrawing, DrawsNothingWithoutItsBitmapOrForAnotherAspect) {
    Control control;
    SetBitmapResources(nullptr);
    const Bitmap blank = DrawControl(control.ctrl, 30, 30, CRect(0, 0, 30, 30));
    for (const std::uint32_t pixel : blank.Pixels()) {
        ASSERT_EQ(pixel, 0xFFFFFFu);
    }

    CDC dc(30, 30);
    const CRect bounds(0, 0, 30, 30);
    EXPECT_EQ(control.ctrl->Draw(DVASPECT_CONTENT + 1, &dc, &bounds), DV_E_DVASPECT);
    EXPECT_EQ(control.ctrl->Draw(DVASPECT_CONTENT, nullptr, &bounds), E_INVALIDARG);
}

TEST(Control, ExchangesItsVersionBeforeTheBaseProperties) {
    Control control;
    RecordingExchange saving(false);
    control.ctrl->DoPropExchange(&saving);
    EXPECT_EQ(saving.log, (std::vector<std::string>{"_Version ulong 0x10000", "_ExtentX long 0x64",
                                                    "_ExtentY long 0x32"}));
    EXPECT_EQ(saving.GetVersion(), 0x10000u);

    // Loading takes the stored version and size; a new start resets both to the defaults.
    RecordingExchange loading(true);
    loading.stored = {{"_Version", 0x20003}, {"_ExtentX", 31}};
    control.ctrl->DoPropExchange(&loading);
    int cx = 0;
    int cy = 0;
    control.ctrl->GetControlSize(&cx, &cy);
    EXPECT_EQ(control.ctrl->GetVersionLoaded(), 0x20003u);
    EXPECT_EQ(cx, 31);
    EXPECT_EQ(cy, 50);
    ComPtr<IPersistStreamInit> persist;
    ASSERT_EQ(control.ctrl->QueryInterface(IID_IPersistStreamInit, persist.PutVoid()), S_OK);
    EXPECT_EQ(persist->InitNew(), S_OK);
    control.ctrl->GetControlSize(&cx, &cy);
    EXPECT_EQ(control.ctrl->GetVersionLoaded(), 0x10000u);
    EXPECT_EQ(cx, 100);

    CLSID clsid{};
    EXPECT_EQ(persist->GetClassID(&clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_QMA7Ctrl);
}

TEST(Control, AboutBoxIsDispatchIdMinus552AndShowsTheAboutDialog) {
    platform::crt::VirtualClock clock;
    DialogRecorder ui;
    MessageLoop loop(ui, clock);
    Control control;
    ComPtr<IDispatch> dispatch;
    ASSERT_EQ(control.ctrl->QueryInterface(IID_IDispatch, dispatch.PutVoid()), S_OK);

    const char* names[] = {"aboutbox", "Refresh"};
    DISPID ids[2] = {};
    EXPECT_EQ(dispatch->GetIDsOfNames(IID_IUnknown, names, 2, 0, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], DISPID_ABOUTBOX);
    EXPECT_EQ(ids[1], -1);

    DISPPARAMS none;
    EXPECT_EQ(dispatch->Invoke(ids[0], IID_IUnknown, 0, DISPATCH_METHOD, &none, nullptr, nullptr,
                               nullptr),
              S_OK);
    EXPECT_EQ(ui.shown,
              (std::vector<std::string>{"About QMA7 Control", "", "QMA7 Control, Version 1.0",
                                        "Copyright (C) 2001 Brimla", "OK"}));
    EXPECT_EQ(
        dispatch->Invoke(-4, IID_IUnknown, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
        DISP_E_MEMBERNOTFOUND);
}
