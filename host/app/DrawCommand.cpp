#include "host/app/DrawCommand.h"

#include <charconv>
#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>

#include "host/app/ControlHost.h"
#include "host/app/PluginLocator.h"
#include "host/node/FactoryNode.h"
#include "host/node/NodeProgramId.h"
#include "host/site/ClientSite.h"
#include "platform/gdi/CDC.h"
#include "platform/gdi/CRect.h"
#include "platform/gdi/Png.h"

namespace host {

namespace {

constexpr int kMaxSide = 10000;
constexpr std::uint32_t kBackground = 0xFFFFFF;

// "WIDTHxHEIGHT", each side 1 to kMaxSide.
bool ParseSize(std::string_view text, int& width, int& height) {
    const std::size_t x = text.find('x');
    if (x == text.npos) {
        return false;
    }
    auto side = [](std::string_view digits, int& value) {
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        return ec == std::errc() && end == digits.data() + digits.size() && !digits.empty() &&
               digits.front() != '+' && value >= 1 && value <= kMaxSide;
    };
    return side(text.substr(0, x), width) && side(text.substr(x + 1), height);
}

}  // namespace

int RunDrawCommand(int argc, char** argv) {
    int width = 0;
    int height = 0;
    if (argc != 2 || !ParseSize(argv[0], width, height)) {
        std::fprintf(stderr, "usage: qma7 draw WIDTHxHEIGHT FILE.png (sides 1 to %d)\n", kMaxSide);
        return 2;
    }
    SimNode node = FactoryNode::Make();
    ClientSite site(node);
    std::string error;
    const auto control = ControlHost::Create(site, ProgramIdText(kSimNodeProgramId),
                                             BundledModulePath(), std::cerr, error);
    if (!control) {
        std::fprintf(stderr, "qma7 draw: %s\n", error.c_str());
        return 1;
    }
    ComPtr<IViewObject> view;
    if (control->Control()->QueryInterface(IID_IViewObject, view.PutVoid()) != S_OK) {
        std::fprintf(stderr, "qma7 draw: the control cannot draw itself\n");
        return 1;
    }
    CDC dc(width, height, kBackground);
    const CRect bounds(0, 0, width, height);
    const HRESULT hr = view->Draw(DVASPECT_CONTENT, &dc, &bounds);
    if (FAILED(hr)) {
        std::fprintf(stderr, "qma7 draw: the control failed to draw (%s)\n",
                     HResultText(hr).c_str());
        return 1;
    }
    if (const auto failure = WritePng(*dc.GetSurface(), argv[1])) {
        std::fprintf(stderr, "qma7 draw: %s\n", failure->c_str());
        return 1;
    }
    return 0;
}

}  // namespace host
