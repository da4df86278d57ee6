#pragma once
// What a name typed into a file dialog leads to, for every front end's file dialog: a folder to
// open, the file chosen (the default extension added, a file to open must exist), or a message
// saying what is wrong. "~" stands for the home folder; a relative name is taken in folder.

#include <filesystem>
#include <string>

#include "platform/ui/FileDialog.h"

namespace host::tui {

struct TypedFileName {
    enum class Kind { Nothing, Folder, File, Problem };
    Kind kind = Kind::Nothing;
    std::filesystem::path path;  // Folder, File
    std::string message;         // Problem

    static TypedFileName Resolve(const std::string& typed, const std::filesystem::path& folder,
                                 const FileDialogRequest& request);
};

// text without the blanks around it.
std::string TrimBlanks(const std::string& text);
// The message for a folder that could not be read.
std::string CannotReadFolder(const std::string& reason);

}  // namespace host::tui
