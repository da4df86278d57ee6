#pragma once
// Message boxes: their flags and answers keep the platform's values.

#include <string>
#include <vector>

// Buttons.
constexpr unsigned MB_OK = 0x0;
constexpr unsigned MB_OKCANCEL = 0x1;
constexpr unsigned MB_RETRYCANCEL = 0x5;
constexpr unsigned MB_YESNOCANCEL = 0x3;
constexpr unsigned MB_YESNO = 0x4;
constexpr unsigned MB_TYPEMASK = 0xF;
// Icons.
constexpr unsigned MB_ICONSTOP = 0x10;
constexpr unsigned MB_ICONQUESTION = 0x20;
constexpr unsigned MB_ICONEXCLAMATION = 0x30;
constexpr unsigned MB_ICONINFORMATION = 0x40;
constexpr unsigned MB_ICONMASK = 0xF0;

// Answers.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDRETRY = 4;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

enum class MessageBoxButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class MessageBoxIcon { None, Exclamation, Question, Information, Stop };

struct MessageBoxRequest {
    std::string title;  // empty: the box has no title of its own
    std::string text;
    MessageBoxButtons buttons = MessageBoxButtons::Ok;
    MessageBoxIcon icon = MessageBoxIcon::None;

    static MessageBoxRequest FromFlags(std::string text, std::string title, unsigned flags);
    // The answers the box offers, in the order of its buttons.
    std::vector<int> Answers() const;
};

// The application's name, the title of the application's own message boxes.
void AfxSetAppName(std::string name);
const std::string& AfxGetAppName();

// A message box titled with the application's name.
int AfxMessageBox(const std::string& text, unsigned flags = MB_OK);
