#pragma once
// The log lines of message boxes and file dialogs, as `boxes` prints them, and the words of
// their answers.

#include <optional>
#include <string>

#include "platform/ui/FileDialog.h"
#include "platform/ui/MessageBox.h"

namespace host {

// box "TITLE" "TEXT" BUTTONS ICON -> ANSWER
std::string FormatMessageBox(const MessageBoxRequest& box, int answer);
// filedialog save|open "INITIAL" "DEFEXT" "FILTER" -> "PATH" | cancel
std::string FormatFileDialog(const FileDialogRequest& dialog,
                             const std::optional<std::string>& path);
// "OK", "Cancel", "Yes", "No", "Retry".
const char* AnswerWord(int answer);

}  // namespace host
