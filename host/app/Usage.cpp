#include "host/app/Usage.h"

#include <memory>
#include <string>

#include "host/app/PluginLocator.h"
#include "host/app/PluginModule.h"

namespace host {

const char* const kUsage =
    "usage: qma7 [OPTIONS]            open the QMA7 settings sheet on the simulated node\n"
    "           --node IMAGE          the node image to use (default:\n"
    "                                 ${XDG_STATE_HOME:-~/.local/state}/qma7/node.json)\n"
    "           --fresh               start from the factory node\n"
    "           --latency MS          every host call takes MS milliseconds\n"
    "           --registry FILE       the registry file to use\n"
    "       qma7 --lon ADDRESS|NAME [LON OPTIONS]\n"
    "                                 open the sheet on a node of the network (LON/IP)\n"
    "           ADDRESS               DOMAIN/SUBNET/NODE: domain in hex (- for none),\n"
    "                                 subnet 1-255, node 1-127, e.g. 51/35/12\n"
    "           NAME                  a node of ${XDG_CONFIG_HOME:-~/.config}/qma7/nodes.json\n"
    "           --lon-host SUBNET/NODE\n"
    "                                 the host's own address in the node's domain, unused\n"
    "                                 there (default: node 126 of the node's subnet)\n"
    "           --lon-timeout MS      wait MS ms for each answer (default 500)\n"
    "           --lon-retries N       send a request again up to N times (default 2)\n"
    "           --lon-by-selector     write by selector with a read back, never by index\n"
    "           --name TEXT           the node's name as the plug-in reads it\n"
    "           --usb DEVICE|auto     through the USB network interface at DEVICE (a tty,\n"
    "                                 e.g. /dev/serial/by-id/...), or the one attached\n"
    "           --usb-kind u50|u61    its family: u50 U60 FT, U10 FT rev C; u61 U10 FT\n"
    "                                 rev A/B, U60 TP-1250, U20, U70 (default: by USB IDs)\n"
    "       qma7 web [--listen ADDRESS:PORT] [OPTIONS | --lon ADDRESS|NAME [LON OPTIONS]]\n"
    "                                 serve the sheet to a web browser (default address\n"
    "                                 127.0.0.1:8742); prints the address to open\n"
    "       qma7 script [OPTIONS] [FILE]\n"
    "                                 run a script against the simulated node, headless\n"
    "       qma7 script --lon ADDRESS|NAME [LON OPTIONS] [FILE]\n"
    "                                 run a script against a node of the network\n"
    "       qma7 fleet save DIR | load FILE|DIR | defaults | script FILE | check FILE|DIR\n"
    "                  [-j N] [--dry-run] [--yes] [--force] [--password TEXT] [--json FILE]\n"
    "                  [--trace FILE] [--output DIR] [LON OPTIONS] NODES...|--all\n"
    "                                 one action on many nodes at once\n"
    "       qma7 fleet scan RANGE     which addresses of RANGE (e.g. 51/35/1-127) answer\n"
    "       qma7 register [MODULE]    register the plug-in module (default: QMA7.so beside qma7)\n"
    "       qma7 unregister [MODULE]  remove its registration\n"
    "       qma7 draw WIDTHxHEIGHT FILE.png\n"
    "                                 draw the control into a PNG picture\n"
    "       qma7 -h | --help | --version\n"
    "Every command takes --registry FILE: the registry to use instead of $QMA7_REGISTRY or\n"
    "~/.config/qma7/registry.reg.\n";

bool VersionLines(std::string& text, std::string& error) {
    // qma7 is built with the plug-in module from one project version; the module's own line
    // comes from its version resource, as an installer reads it.
    text = std::string("qma7 ") + QMA7_PROJECT_VERSION + "\n";
    const std::string path = BundledModulePath();
    const std::unique_ptr<PluginModule> module = PluginModule::Load(path, error);
    if (!module) {
        return false;
    }
    const VS_VERSIONINFO* info = module->VersionInfo();
    const char* description =
        info != nullptr ? VerQueryValue(*info, kVersionFileDescription) : nullptr;
    const char* file = info != nullptr ? VerQueryValue(*info, kVersionOriginalFilename) : nullptr;
    if (description == nullptr || file == nullptr) {
        error = "the plug-in module " + path + " has no version resource";
        return false;
    }
    text += std::string(description) + " " + ::VersionText(info->fileVersion) + " (" + file + ")\n";
    return true;
}

}  // namespace host
