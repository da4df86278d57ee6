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
#include "host/app/NodeConnection.h"
#include "host/app/ScriptSource.h"
#include "host/app/StopSignals.h"
#include "host/driver/ScriptDriver.h"
#include "host/driver/ScriptNode.h"
#include "host/site/ClientSite.h"
#include "host/text/ShownText.h"

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

namespace {

int Fail(const std::string& message) {
    std::fprintf(stderr, "qma7 script: %s\n", message.c_str());
    return 1;
}

// The node's state is written when the script ends, also after an error.
bool SaveNode(NodeConnection& node) {
    std::string error;
    if (!node.SaveScripted(error)) {
        std::fprintf(stderr, "qma7 script: %s\n", error.c_str());
        return false;
    }
    return true;
}

// The script's text, from its file or standard input.
std::optional<std::string> LoadScript(const std::string& file, std::string& error) {
    if (file == "-" && ::isatty(STDIN_FILENO) != 0) {
        std::fputs("qma7 script: reading the script from standard input (end it with Ctrl-D)\n",
                   stderr);
    }
    return ReadScript(file, error);
}

// Runs the loaded script on the plug-in's control; the exit status.
int RunScript(ScriptDriver& driver, NodeConnection& node, ClientSite& site,
              StopSignals* stopSignals) {
    std::string error;
    auto control = node.CreateControl(site, std::cerr, error);
    if (!control) {
        std::fprintf(stderr, "qma7 script: %s\n", error.c_str());
        SaveNode(node);
        return 1;
    }
    driver.SetControl(control->Control());
    // After an error the plug-in's dialogs have closed and nothing more reached the node: the
    // node is saved as the error found it.
    const std::optional<ScriptError> failure = driver.Run();
    if (failure) {
        std::cout.flush();
        std::fprintf(stderr, "error: %d: %s\n", failure->line, failure->message.c_str());
    } else if (stopSignals != nullptr) {
        stopSignals->Check();
    }
    driver.SetControl({});
    control.reset();
    std::cout.flush();
    return SaveNode(node) && !failure ? 0 : 1;
}

}  // namespace

int RunScriptCommand(int argc, char** argv) {
    ScriptOptions options;
    std::string error;
    if (!ParseOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "qma7 script: %s\n", error.c_str());
        return 2;
    }
    const auto node =
        NodeConnection::OpenScripted(options.nodeImage, options.saveImage, options.lon, error);
    if (!node) {
        return Fail(error);
    }
    // Stopped, the link is given back as it was found (a USB interface's mode).
    std::unique_ptr<StopSignals> stopSignals;
    if (node->HoldsLink()) {
        stopSignals = std::make_unique<StopSignals>([&node] {
            std::cout.flush();
            node->Close();
        });
    }
    const std::unique_ptr<ScriptNode> scriptNode = node->MakeScriptNode();
    ClientSite site(node->Link());

    const std::optional<std::string> text = LoadScript(options.scriptFile, error);
    if (!text) {
        return Fail(error);
    }
    std::istringstream script(*text);

    ScriptDriver driver(*scriptNode, site, node->ScriptClock(), std::cout);
    int errorLine = 0;
    if (!driver.Load(script, errorLine, error)) {
        std::fprintf(stderr, "error: %d: %s\n", errorLine, error.c_str());
        SaveNode(*node);
        return 1;
    }
    return RunScript(driver, *node, site, stopSignals.get());
}

}  // namespace host
