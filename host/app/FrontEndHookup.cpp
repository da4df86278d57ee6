#include "host/app/FrontEndHookup.h"

#include "platform/crt/Clock.h"

namespace host {

FrontEndHookup::FrontEndHookup(ClientSite& site, tui::TerminalFrontEnd& frontEnd) : m_site(site) {
    site.SetCallObserver({[&frontEnd] { frontEnd.BeforeHostCall(); },
                          [&frontEnd, &site](const HostCall& call) {
                              frontEnd.AfterHostCall(
                                  call, call.ok ? std::string() : site.Link().LastError().text);
                          }});
    platform::crt::SetBlockingHook(
        [&frontEnd](platform::crt::Blocked what) { frontEnd.WhileBlocked(what); });
}

FrontEndHookup::~FrontEndHookup() {
    platform::crt::SetBlockingHook({});
    m_site.SetCallObserver({});
}

}  // namespace host
