#include "host/app/ScriptCommand.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>

#include "host/app/ControlHost.h"
#include "host/app/LonOption.h"
#include "host/app/ScriptSource.h"
#include "host/app/StopSignals.h"
#include "host/driver/LinkScriptNode.h"
#include "host/driver/ScriptDriver.h"
#include "host/driver/SimScriptNode.h"
#include "host/node/FactoryNode.h"
#include "host/node/NodeImage.h"
#include "host/node/NodeImageLock.h"
#include "host/site/ClientSite.h"
#include "host/text/ShownText.h"
#include "platform/crt/Clock.h"

namespace host {

namespace {

struct ScriptOptions {
    std::optional<std::string> nodeImage;
    std::optional<std::string> saveImage;
    std::string scriptFile = "-";
    LonOptions lon;
};

bool ParseOptions(int argc, char** argv, ScriptOptions& options, std::string& error) {
    bool haveFile = false;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::optional<std::string>& target) {
            if (i + 1 >= argc) {
                error = ShownText(arg) + " needs a value";
                return false;
            }
            target = argv[++i];
            return true;
        };
        if (TakeLonOption(argc, argv, i, options.lon, error)) {
            if (!error.empty()) {
                return false;
            }
        } else if (arg == "--node") {
            if (!value(options.nodeImage)) {
                return false;
            }
        } else if (arg == "--save") {
            if (!value(options.saveImage)) {
                return false;
            }
        } else if (arg.size() > 1 && arg[0] == '-' && arg != "-") {
            error = "unknown option " + ShownText(arg);
            return false;
        } else if (!haveFile) {
            options.scriptFile = arg;
            haveFile = true;
        } else {
            error = "more than one script file";
            return false;
        }
    }
    if (!options.lon.target && !options.lon.needsLon.empty()) {
        error = options.lon.needsLon + " needs --lon";
        return false;
    }
    if (options.lon.target && (options.nodeImage || options.saveImage)) {
        error = std::string(options.nodeImage ? "--node" : "--save") +
                " is for the simulated node; it cannot be used with --lon";
        return false;
    }
    return true;
}

}  // namespace

int RunScriptCommand(int argc, char** argv) {
    ScriptOptions options;
    std::string error;
    if (!ParseOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "qma7 script: %s\n", error.c_str());
        return 2;
    }

    // One writer per image: a sheet that keeps the image refuses the save. A lock that cannot
    // be taken for another reason leaves the save to report what is wrong when it is made.
    std::unique_ptr<NodeImageLock> saveLock;
    if (options.saveImage) {
        bool held = false;
        saveLock = NodeImageLock::Take(*options.saveImage, error, held);
        if (held) {
            std::fprintf(stderr, "qma7 script: %s\n", error.c_str());
            return 1;
        }
    }

    // The simulated node runs on a virtual clock; a node on the network in real time.
    platform::crt::VirtualClock virtualClock;
    platform::crt::ElapsedClock realClock;
    struct ClockGuard {
        ~ClockGuard() { platform::crt::SetCurrentClock(nullptr); }
    } clockGuard;
    std::optional<SimNode> node;
    std::unique_ptr<LonSession> lon;
    std::unique_ptr<StopSignals> stopSignals;
    std::unique_ptr<ScriptNode> scriptNode;
    if (options.lon.target) {
        platform::crt::SetCurrentClock(&realClock);
        lon = LonSession::Open(options.lon, realClock, error);
        if (!lon) {
            std::fprintf(stderr, "qma7 script: %s\n", error.c_str());
            return 1;
        }
        scriptNode = std::make_unique<LinkScriptNode>(lon->Node());
        // Stopped, the link is given back as it was found (a USB interface's mode).
        stopSignals = std::make_unique<StopSignals>([&] {
            std::cout.flush();
            lon->Close();
        });
    } else {
        node = options.nodeImage ? NodeImage::Load(*options.nodeImage, error) : FactoryNode::Make();
        if (!node) {
            std::fprintf(stderr, "qma7 script: %s\n", error.c_str());
            return 1;
        }
        platform::crt::SetCurrentClock(&virtualClock);
        scriptNode = std::make_unique<SimScriptNode>(*node);
    }
    platform::crt::ScriptClock& clock =
        lon ? static_cast<platform::crt::ScriptClock&>(realClock) : virtualClock;
    ClientSite site(lon ? static_cast<NodeLink&>(lon->Node()) : *node);

    // The node's state is written when the script ends, also after an error.
    auto save = [&]() -> bool {
        if (!options.saveImage) {
            return true;
        }
        std::string saveError;
        if (!NodeImage::Save(*node, *options.saveImage, saveError)) {
            std::fprintf(stderr, "qma7 script: %s\n", saveError.c_str());
            return false;
        }
        return true;
    };

    if (options.scriptFile == "-" && ::isatty(STDIN_FILENO) != 0) {
        std::fputs("qma7 script: reading the script from standard input (end it with Ctrl-D)\n",
                   stderr);
    }
    const std::optional<std::string> text = ReadScript(options.scriptFile, error);
    if (!text) {
        std::fprintf(stderr, "qma7 script: %s\n", error.c_str());
        return 1;
    }
    std::istringstream script(*text);

    ScriptDriver driver(*scriptNode, site, clock, std::cout);
    int errorLine = 0;
    if (!driver.Load(script, errorLine, error)) {
        std::fprintf(stderr, "error: %d: %s\n", errorLine, error.c_str());
        save();
        return 1;
    }

    auto control = CreateControlFor(site, lon.get(), std::cerr, error);
    if (!control) {
        std::fprintf(stderr, "qma7 script: %s\n", error.c_str());
        save();
        return 1;
    }
    driver.SetControl(control->Control());
    // After an error the plug-in's dialogs have closed and nothing more reached the node: the
    // node is saved as the error found it.
    const std::optional<ScriptError> failure = driver.Run();
    if (failure) {
        std::cout.flush();
        std::fprintf(stderr, "error: %d: %s\n", failure->line, failure->message.c_str());
    } else if (stopSignals) {
        stopSignals->Check();
    }
    driver.SetControl({});
    control.reset();
    std::cout.flush();
    return save() && !failure ? 0 : 1;
}

}  // namespace host
