#pragma once
// What the host knows of the plug-in it runs beyond what its COM interfaces and windows say:
// the captions of a page's Write and Read buttons, which host calls count as the items of its
// long actions, and what each tab, the password, the waits and the value ranges mean to the
// person at the sheet. Any front end reads it from here (the terminal today); a second plug-in
// brings a profile of its own.

#include <algorithm>
#include <span>
#include <string_view>

#include "host/site/ClientSite.h"

namespace host {

// An action whose progress the host can count from its host calls.
struct LongAction {
    std::string_view caption;  // of the button that starts it
    bool countsWrites;         // its items are writes (else reads) of NVs other than the selector
    int items;
};

// One entry of a guide: a subject and what it says; a heading when text is empty.
struct GuideEntry {
    std::string_view subject;
    std::string_view text;
};

// How a program with no person at the sheet drives the page of the file actions: its tab, the
// controls it fills in and clicks, the long actions they start, and the texts of the boxes by
// which the plug-in tells how an action ended (a text ending in ". " is followed by a count).
struct FilePage {
    std::string_view tab;
    int fileNameField = 0;
    int passwordField = 0;
    int saveButton = 0;
    int readButton = 0;
    int defaultsButton = 0;
    std::string_view saveAction;  // the long actions' captions
    std::string_view readAction;
    std::string_view defaultsAction;
    std::string_view fileWritten;
    std::string_view fileWrittenWithErrors;  // then the count of values not read
    std::string_view fileNotWritten;
    std::string_view errorOpening;
    std::string_view errorWriting;
    std::string_view readCompleted;
    std::string_view readPartly;  // then the count of items not written
    std::string_view readNotCompleted;
    std::string_view readAborted;
    std::string_view foreignFile;    // the question before reading another node type's file
    std::string_view wrongPassword;  // the start of the box
    std::string_view fileNotFound;
    std::string_view defaultsPartly;  // then the count of items not written
};

struct PluginProfile {
    // A page's Write sends the values and reads them back (what was typed can be compared with
    // what came back); its Read replaces what was typed.
    std::string_view writeCaption;
    std::string_view readCaption;
    // The NV that selects a part of the configuration: a step of an item, not an item.
    int partSelectorNv = 0;
    std::span<const LongAction> longActions;
    // What each tab is for, by its caption.
    std::span<const GuideEntry> tabs;
    // The rest of what a person asks at the sheet, in sections that start with a heading.
    std::span<const GuideEntry> guide;
    FilePage filePage;

    // The long action a button starts, or nullptr.
    const LongAction* FindLongAction(std::string_view caption) const {
        const auto found = std::find_if(longActions.begin(), longActions.end(),
                                        [&](const LongAction& a) { return a.caption == caption; });
        return found == longActions.end() ? nullptr : &*found;
    }
    // Whether a host call of action is one of its items: a read or write of the action's kind,
    // not of the part selector. Reading the node's name (the file's header) is no item.
    bool CountsAsItem(const LongAction& action, const HostCall& call) const {
        const HostCall::Kind kind =
            action.countsWrites ? HostCall::Kind::Write : HostCall::Kind::Read;
        return call.kind == kind && call.nv != partSelectorNv;
    }
    // What a tab is for; empty for a tab the profile does not describe.
    std::string_view TabText(std::string_view caption) const {
        const auto found = std::find_if(tabs.begin(), tabs.end(),
                                        [&](const GuideEntry& e) { return e.subject == caption; });
        return found == tabs.end() ? std::string_view() : found->text;
    }
};

// The profile of the QMA7 configuration plug-in.
const PluginProfile& Qma7Profile();

}  // namespace host
