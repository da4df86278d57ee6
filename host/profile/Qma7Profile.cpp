// Everything the host knows of the QMA7 configuration plug-in beyond its interfaces, in one
// place.

#include "host/profile/PluginProfile.h"

namespace host {

namespace {

// 14 single values and 12 parts for the file; 12 parts and 14 values for the factory settings.
constexpr char kSave[] = "Save to file";
constexpr char kRead[] = "Read from file";
constexpr char kDefaults[] = "Default settings";
constexpr LongAction kLongActions[] = {
    {kSave, false, 26},
    {kRead, true, 26},
    {kDefaults, true, 26},
};

constexpr GuideEntry kTabs[] = {
    {"Node information", "the node's name and the plug-in's maker and version"},
    {"Import / Export",
     "save the node's configuration to a file, write a saved file back, or "
     "restore the factory settings"},
    {"Recirculation",
     "damper Md4: Off / Manual / Automatic with its manual position, its "
     "output, the minimum fresh air, the output's range and Invert"},
    {"Cooling",
     "valve Mv2 (status, manual position, output, range, Invert), the status of "
     "Mc1, and the cooling type"},
    {"Temperatures", "water sensors Bw3 (forward) and Bw4 (return): readings and offsets"},
    {"Humidity sensor",
     "sensors Bh1 to Bh3: readings and offsets, the wet-bulb temperatures, "
     "and the sensor's range"},
    {"Secondary heat",
     "valve Mv4 (status, manual position, output, range, Invert) and the "
     "status of pump Mp2"},
    {"Settings humidity",
     "humidity control on or off, its setpoints, dead band and the most "
     "air humidity at the injection; what it does now"},
    {"Dehumidifier",
     "how dehumidifying uses cooling and heat: the most cooling, the primary "
     "heat step and its delay, the secondary heat's setpoint and dead band"},
    {"Humidifier",
     "valve Mv3: status with its manual opening, valve type, range and Invert, "
     "the least and most time on"},
    {"Delay cooling",
     "the Mv2 opening at which cooling starts and stops, and the delay before "
     "it starts"},
    {"Alarms", "the node's alarm states, kept current"},
    {"Running Hours", "the running-hours counters; Reset sets one to 0 at once, without asking"},
    {"PID humidifier", "P, I and D of the humidifier's control loop"},
    {"Exercise", "the hours after which the node exercises a pump or valve that stood still"},
    {"Config HVAC", "which HVAC modes the node accepts"},
};

constexpr GuideEntry kGuide[] = {
    {"Read, Write",
     "Read shows what the node holds; Write sends the tab's values and reads "
     "them back; the button shows \"Wait\" meanwhile"},

    {"Password", ""},
    {"\"Talvik\"",
     "the fixed password of the node type, exactly so; needed for Write on PID "
     "humidifier and Config HVAC, and for \"Read from file\" and \"Default "
     "settings\". A wrong one is said so in a box, and nothing is written"},

    {"Waits", ""},
    {"\"Save to file\"",
     "about 8 s: each of the 12 configuration parts is selected on the "
     "node, which needs pauses, before it is read"},
    {"\"Read from file\"",
     "about 5 s and more on a slow channel: the parts are selected in "
     "turn, with pauses"},
    {"\"Default settings\"",
     "about 35 s: the node is given 2 s before each of the 12 parts and "
     "a pause after each value"},
    {"Progress", "the status line counts the 26 items of these actions"},

    {"Values", ""},
    {"Typed numbers",
     "\".\" is the decimal point; the number ends at the first other "
     "character; no number is 0. Nothing is checked before it is written: a "
     "value beyond a field's range wraps round in the node"},
    {"Manual value \"In\"", "0 to 127.5 % in half percent steps; 300 comes back as 44"},
    {"Percent settings",
     "0 to 327.675 %, no negative values (-1 comes back as 327); also the "
     "humidity offsets"},
    {"Temperature offsets", "-555.35 to 100 \u00b0C"},
    {"Seconds", "Delay step time, Min and Max time on: 0 to 6553.5 s"},
    {"Minutes, hours",
     "Delay start, Exercise: whole numbers 0 to 65535; -1 comes back as "
     "65535"},
    {"P, I, D", "0 to 6553.5 in tenths"},
    {"Read back",
     "after a Write, a field you typed into whose value came back different ends "
     "in \"!\"; the status line says how many"},
};

// It says which part of the configuration NV 43 holds.
constexpr int kPartSelectorNv = 42;

const PluginProfile kProfile{
    .writeCaption = "Write",
    .readCaption = "Read",
    .partSelectorNv = kPartSelectorNv,
    .longActions = kLongActions,
    .tabs = kTabs,
    .guide = kGuide,
    .filePage =
        {
            .tab = "Import / Export",
            .fileNameField = 428,
            .passwordField = 221,
            .saveButton = 427,
            .readButton = 430,
            .defaultsButton = 228,
            .saveAction = kSave,
            .readAction = kRead,
            .defaultsAction = kDefaults,
            .fileWritten = "File written",
            .fileWrittenWithErrors = "File Written. ",
            .fileNotWritten = "File not written",
            .errorOpening = "Error opening file",
            .errorWriting = "Error writing file",
            .readCompleted = "Download completed",
            .readPartly = "Download not completed. ",
            .readNotCompleted = "Download not completed",
            .readAborted = "Download aborted",
            .foreignFile = "ProgramID does not match!",
            .wrongPassword = "Wrong password",
            .fileNotFound = "File not found!",
            .defaultsPartly = "Default settings not completed. ",
        },
};

}  // namespace

const PluginProfile& Qma7Profile() {
    return kProfile;
}

}  // namespace host
