#include "host/text/BoxFormat.h"

#include "host/text/QuoteText.h"

namespace host {

namespace {

const char* ButtonsWord(MessageBoxButtons buttons) {
    switch (buttons) {
        case MessageBoxButtons::Ok:
            return "ok";
        case MessageBoxButtons::OkCancel:
            return "okcancel";
        case MessageBoxButtons::YesNo:
            return "yesno";
        case MessageBoxButtons::YesNoCancel:
            return "yesnocancel";
        case MessageBoxButtons::RetryCancel:
            return "retrycancel";
    }
    return "ok";
}

const char* IconWord(MessageBoxIcon icon) {
    switch (icon) {
        case MessageBoxIcon::None:
            return "none";
        case MessageBoxIcon::Exclamation:
            return "exclamation";
        case MessageBoxIcon::Question:
            return "question";
        case MessageBoxIcon::Information:
            return "information";
        case MessageBoxIcon::Stop:
            return "stop";
    }
    return "none";
}

}  // namespace

const char* AnswerWord(int answer) {
    switch (answer) {
        case IDOK:
            return "OK";
        case IDCANCEL:
            return "Cancel";
        case IDYES:
            return "Yes";
        case IDNO:
            return "No";
        case IDRETRY:
            return "Retry";
        default:
            return "?";
    }
}

std::string FormatMessageBox(const MessageBoxRequest& box, int answer) {
    return "box " + QuoteText(box.title) + " " + QuoteText(box.text) + " " +
           ButtonsWord(box.buttons) + " " + IconWord(box.icon) + " -> " + AnswerWord(answer);
}

std::string FormatFileDialog(const FileDialogRequest& dialog,
                             const std::optional<std::string>& path) {
    return std::string("filedialog ") + (dialog.save ? "save " : "open ") +
           QuoteText(dialog.initialName) + " " + QuoteText(dialog.defaultExtension) + " " +
           QuoteText(dialog.filter) + " -> " + (path ? QuoteText(*path) : std::string("cancel"));
}

}  // namespace host
