#include "platform/ui/MessageBox.h"

#include "platform/ui/MessageLoop.h"

namespace {
std::string& AppName() {
    static std::string name;
    return name;
}
}  // namespace

MessageBoxRequest MessageBoxRequest::FromFlags(std::string text, std::string title,
                                               unsigned flags) {
    MessageBoxRequest box;
    box.text = std::move(text);
    box.title = std::move(title);
    switch (flags & MB_TYPEMASK) {
        case MB_OKCANCEL:
            box.buttons = MessageBoxButtons::OkCancel;
            break;
        case MB_YESNO:
            box.buttons = MessageBoxButtons::YesNo;
            break;
        case MB_YESNOCANCEL:
            box.buttons = MessageBoxButtons::YesNoCancel;
            break;
        case MB_RETRYCANCEL:
            box.buttons = MessageBoxButtons::RetryCancel;
            break;
        default:
            box.buttons = MessageBoxButtons::Ok;
            break;
    }
    switch (flags & MB_ICONMASK) {
        case MB_ICONSTOP:
            box.icon = MessageBoxIcon::Stop;
            break;
        case MB_ICONQUESTION:
            box.icon = MessageBoxIcon::Question;
            break;
        case MB_ICONEXCLAMATION:
            box.icon = MessageBoxIcon::Exclamation;
            break;
        case MB_ICONINFORMATION:
            box.icon = MessageBoxIcon::Information;
            break;
        default:
            box.icon = MessageBoxIcon::None;
            break;
    }
    return box;
}

std::vector<int> MessageBoxRequest::Answers() const {
    switch (buttons) {
        case MessageBoxButtons::Ok:
            return {IDOK};
        case MessageBoxButtons::OkCancel:
            return {IDOK, IDCANCEL};
        case MessageBoxButtons::YesNo:
            return {IDYES, IDNO};
        case MessageBoxButtons::YesNoCancel:
            return {IDYES, IDNO, IDCANCEL};
        case MessageBoxButtons::RetryCancel:
            return {IDRETRY, IDCANCEL};
    }
    return {IDOK};
}

void AfxSetAppName(std::string name) {
    AppName() = std::move(name);
}

const std::string& AfxGetAppName() {
    return AppName();
}

int AfxMessageBox(const std::string& text, unsigned flags) {
    return MessageLoop::Current().MessageBox(MessageBoxRequest::FromFlags(text, AppName(), flags));
}
