#pragma once
// Why a call to the node failed, from the link to what the user sees: one value with its kind
// (for the code that decides what to do) and its text (for the user).

#include <string>

namespace host {

struct LinkError {
    enum class Kind {
        None,         // the call succeeded
        NoAnswer,     // the node did not answer (or is known to be silent: not tried again)
        Refused,      // the node answered with a failure
        Malformed,    // the answer did not fit the question
        WrongLength,  // a value of another length than the NV's
        NotSent,      // the host refused to send it, or the link could not
        Stopped,      // the user asked the program to end while it waited
    };

    Kind kind = Kind::None;
    std::string text;  // "no answer from 51/35/12", "not sent: ...", empty for None

    bool Failed() const { return kind != Kind::None; }
    static LinkError Of(Kind kind, std::string text) { return {kind, std::move(text)}; }
};

}  // namespace host
