#pragma once
// `qma7 web [--listen ADDRESS:PORT] [node options]`: the settings sheet served to a web
// browser, on the node the other options name (as for the terminal sheet).

#include <optional>
#include <string>

namespace host {

int RunWebCommand(int argc, char** argv);

struct ListenAddress {
    std::string address;
    int port = 0;
};
// "ADDRESS:PORT" (an IPv4 address, or localhost); nothing when it is not one.
std::optional<ListenAddress> ParseListenAddress(const std::string& text);

}  // namespace host
