#include "host/driver/ScriptDriver.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <istream>
#include <ostream>

#include "host/driver/ScriptNode.h"
#include "host/driver/ScriptSyntax.h"
#include "host/node/SimNode.h"
#include "host/site/ClientSite.h"
#include "host/text/BoxFormat.h"
#include "host/text/Hex.h"
#include "host/text/QuoteText.h"
#include "platform/crt/FileSystem.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/PropertySheet.h"

namespace host {

namespace {

constexpr int kLastNv = SimNode::kNvCount - 1;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::size_t kMaxShownFile = std::size_t{64} << 20;

const char* ControlKindWord(const CWnd& control) {
    const ControlTemplate& t = *control.Template();
    switch (t.kind) {
        case ControlKind::PushButton:
            return "button";
        case ControlKind::RadioButton:
            return "radio";
        case ControlKind::CheckBox:
            return "check";
        case ControlKind::Edit:
            return t.password ? "password" : t.readOnly ? "display" : "edit";
        default:
            return "static";
    }
}

std::optional<int> AnswerFromWord(const std::string& word) {
    if (word == "OK") {
        return IDOK;
    }
    if (word == "Cancel") {
        return IDCANCEL;
    }
    if (word == "Yes") {
        return IDYES;
    }
    if (word == "No") {
        return IDNO;
    }
    return std::nullopt;
}

// The answer to a box after the script failed: the one that changes nothing.
int AnswerThatChangesNothing(const std::vector<int>& answers) {
    for (const int answer : {IDCANCEL, IDNO, IDOK}) {
        if (std::find(answers.begin(), answers.end(), answer) != answers.end()) {
            return answer;
        }
    }
    return answers.empty() ? IDOK : answers.front();
}

}  // namespace

ScriptDriver::ScriptDriver(ScriptNode& node, ClientSite& site, platform::crt::ScriptClock& clock,
                           std::ostream& out)
    : m_node(node), m_site(site), m_clock(clock), m_out(out), m_loop(*this, clock) {}

ScriptDriver::~ScriptDriver() = default;

bool ScriptDriver::Load(std::istream& script, int& errorLine, std::string& error) {
    std::string text;
    int number = 0;
    while (std::getline(script, text)) {
        ++number;
        // A byte-order mark that an editor put before the first line is no part of it.
        if (number == 1 && text.starts_with(kByteOrderMark)) {
            text.erase(0, kByteOrderMark.size());
        }
        if (!text.empty() && text.back() == '\r') {
            text.pop_back();
        }
        ScriptLine line;
        line.number = number;
        auto words = SplitScriptLine(text, error);
        if (!words) {
            errorLine = number;
            return false;
        }
        line.words = std::move(*words);
        if (!line.words.empty()) {
            m_lines.push_back(std::move(line));
        }
    }
    return true;
}

std::optional<ScriptError> ScriptDriver::Run() {
    while (Step()) {
    }
    return m_error;
}

bool ScriptDriver::Step() {
    if (m_error || m_next >= m_lines.size()) {
        return false;
    }
    const ScriptLine& line = m_lines[m_next++];
    m_currentLine = line.number;
    Execute(line);
    return true;
}

void ScriptDriver::Pump(MessageLoop& loop, std::optional<std::int64_t> /*deadline*/) {
    if (!Step()) {
        // The script has ended, or failed, with a sheet open: it closes as if its window went
        // away.
        loop.ModalStack().back()->EndDialog(IDCANCEL);
    }
}

void ScriptDriver::ModalStarted(CWnd& dialog) {
    auto* box = dynamic_cast<CDialog*>(&dialog);
    if (box == nullptr) {
        return;
    }
    if (m_error) {
        box->EndDialog(IDOK);
        return;
    }
    // A dialog of the control (the About box): print it and close it with OK.
    m_out << "dialog " << QuoteText(box->GetWindowText()) << '\n';
    for (const auto& control : box->Controls()) {
        if (control->Template()->kind == ControlKind::Static) {
            m_out << "text static " << QuoteText(control->GetWindowText()) << '\n';
        }
    }
    box->EndDialog(IDOK);
}

int ScriptDriver::RunMessageBox(MessageLoop& /*loop*/, const MessageBoxRequest& box) {
    // Called from the plug-in's code: an error is recorded, never thrown through it.
    const std::vector<int> answers = box.Answers();
    if (m_error) {
        return AnswerThatChangesNothing(answers);
    }
    int answer = IDOK;
    if (answers.size() > 1) {
        if (m_answers.empty()) {
            Record("message box " + QuoteText(box.text) +
                   " offers a choice and no answer is queued");
            return AnswerThatChangesNothing(answers);
        }
        answer = m_answers.front();
        m_answers.pop_front();
        if (std::find(answers.begin(), answers.end(), answer) == answers.end()) {
            Record(std::string("the queued answer ") + AnswerWord(answer) +
                   " is not a button of message box " + QuoteText(box.text));
            return AnswerThatChangesNothing(answers);
        }
    }
    m_boxes.push_back(FormatMessageBox(box, answer));
    return answer;
}

std::optional<std::string> ScriptDriver::RunFileDialog(MessageLoop& /*loop*/,
                                                       const FileDialogRequest& dialog) {
    if (m_error) {
        return std::nullopt;
    }
    if (m_files.empty()) {
        Record("a file dialog opened and no file is queued");
        return std::nullopt;
    }
    std::optional<std::string> path = m_files.front();
    m_files.pop_front();
    m_boxes.push_back(FormatFileDialog(dialog, path));
    return path;
}

void ScriptDriver::Fail(const std::string& message) {
    Record(message);
    throw CommandFailed{};
}

void ScriptDriver::Record(const std::string& message) {
    if (m_error) {
        return;
    }
    m_error = ScriptError{m_currentLine, message};
    m_site.CutOff();
}

void ScriptDriver::Execute(const ScriptLine& line) {
    try {
        RunCommand(line);
    } catch (const CommandFailed&) {
        // Recorded: the loops the plug-in runs now end one after another.
    }
}

void ScriptDriver::RunCommand(const ScriptLine& line) {
    const std::string& name = line.words.front();
    const Args args(line.words.begin() + 1, line.words.end());
    const auto commands = Commands();
    const auto command = std::find_if(commands.begin(), commands.end(),
                                      [&](const Command& c) { return c.name == name; });
    if (command == commands.end()) {
        Fail("unknown command " + QuoteText(name));
    }
    if (m_commandObserver) {
        m_commandObserver(line);
    }
    (this->*command->run)(args);
}

void ScriptDriver::Need(const Args& args, std::size_t count) {
    if (args.size() < count) {
        Fail("missing argument");
    }
    if (args.size() > count) {
        Fail("unexpected argument " + QuoteText(args[count]));
    }
}

int ScriptDriver::ParseInt(const std::string& word, long long min, long long max,
                           const char* what) {
    long long value = 0;
    bool ok = !word.empty() && word.size() <= 12;
    for (std::size_t i = 0; ok && i < word.size(); ++i) {
        const bool sign = i == 0 && word[i] == '-' && word.size() > 1;
        ok = sign || (word[i] >= '0' && word[i] <= '9');
        if (!sign && ok) {
            value = value * 10 + (word[i] - '0');
        }
    }
    if (ok && word[0] == '-') {
        value = -value;
    }
    if (!ok || value < min || value > max) {
        Fail(std::string("malformed ") + what + " " + QuoteText(word));
    }
    return static_cast<int>(value);
}

std::vector<std::uint8_t> ScriptDriver::ParseHexArg(const std::string& word) {
    std::string error;
    auto bytes = ParseHex(word, error);
    if (!bytes) {
        Fail(error);
    }
    return *bytes;
}

std::vector<int> ScriptDriver::ParseNvList(const Args& args, std::size_t from) {
    if (args.size() <= from) {
        Fail("missing argument");
    }
    std::vector<int> nvs;
    for (std::size_t i = from; i < args.size(); ++i) {
        nvs.push_back(ParseInt(args[i], 0, kLastNv, "network variable"));
    }
    return nvs;
}

SimNode& ScriptDriver::Simulated(const std::string& command) {
    SimNode* node = m_node.Simulated();
    if (node == nullptr) {
        Fail(command + " acts on the simulated node only, not on a node reached with --lon");
    }
    return *node;
}

void ScriptDriver::Advance(std::int64_t ms) {
    const std::int64_t target = m_clock.NowMs() + ms;
    if (dynamic_cast<platform::crt::VirtualClock*>(&m_clock) != nullptr) {
        // Tick by tick, so that the time left is not spent after a tick's box failed the script.
        for (auto next = m_loop.NextDue(); !m_error && next && *next <= target;
             next = m_loop.NextDue()) {
            m_loop.AdvanceTo(*next);
        }
        if (!m_error) {
            m_loop.AdvanceTo(target);
        }
        return;
    }
    // In real time the ticks run as they fall due while the driver waits.
    while (!m_error) {
        m_loop.DispatchDueTimers();
        const std::int64_t now = m_clock.NowMs();
        if (now >= target) {
            return;
        }
        const std::optional<std::int64_t> next = m_loop.NextDue();
        platform::crt::BlockFor((next ? std::min(*next, target) : target) - now,
                                platform::crt::Blocked::Pause);
    }
}

// The script's commands, by name. Each reads its own arguments; an unknown name fails the
// script.
std::span<const ScriptDriver::Command> ScriptDriver::Commands() {
    static constexpr Command kCommands[] = {
        // The node.
        {"nv", &ScriptDriver::NvCommand},
        {"part", &ScriptDriver::PartCommand},
        {"selector", &ScriptDriver::SelectorCommand},
        {"name", &ScriptDriver::NameCommand},
        {"fail", &ScriptDriver::FailCommand},
        {"heal", &ScriptDriver::HealCommand},
        {"latency", &ScriptDriver::LatencyCommand},
        {"interfaces", &ScriptDriver::InterfacesCommand},
        {"clock", &ScriptDriver::ClockCommand},
        {"getnv", &ScriptDriver::GetNvCommand},
        {"getpart", &ScriptDriver::GetPartCommand},
        {"getselector", &ScriptDriver::GetSelectorCommand},
        // The sheet and its dialogs.
        {"open", &ScriptDriver::OpenCommand},
        {"tabs", &ScriptDriver::TabsCommand},
        {"tab", &ScriptDriver::TabCommand},
        {"set", &ScriptDriver::SetCommand},
        {"click", &ScriptDriver::ClickCommand},
        {"dump", &ScriptDriver::DumpCommand},
        {"get", &ScriptDriver::GetCommand},
        {"texts", &ScriptDriver::TextsCommand},
        {"sheet", &ScriptDriver::SheetCommand},
        {"exit", &ScriptDriver::ExitCommand},
        {"answer", &ScriptDriver::AnswerCommand},
        {"file", &ScriptDriver::FileCommand},
        {"cancelfile", &ScriptDriver::CancelFileCommand},
        {"advance", &ScriptDriver::AdvanceCommand},
        {"about", &ScriptDriver::AboutCommand},
        // The logs.
        {"trace", &ScriptDriver::TraceCommand},
        {"boxes", &ScriptDriver::BoxesCommand},
        {"time", &ScriptDriver::TimeCommand},
        // Files.
        {"writefile", &ScriptDriver::WriteFileCommand},
        {"showfile", &ScriptDriver::ShowFileCommand},
        {"chmod", &ScriptDriver::ChmodCommand},
    };
    return kCommands;
}

void ScriptDriver::NvCommand(const Args& args) {
    Need(args, 2);
    const int nv = ParseInt(args[0], 0, kLastNv, "network variable");
    std::string error;
    if (!m_node.SetNv(nv, ParseHexArg(args[1]), error)) {
        Fail(error);
    }
}

void ScriptDriver::PartCommand(const Args& args) {
    Need(args, 2);
    const int part = ParseInt(args[0], 1, SimNode::kPartCount, "part");
    std::string error;
    if (!m_node.SetPart(part, ParseHexArg(args[1]), error)) {
        Fail(error);
    }
}

void ScriptDriver::SelectorCommand(const Args& args) {
    Need(args, 1);
    const auto selector = static_cast<std::uint16_t>(ParseInt(args[0], 0, 65535, "selector"));
    std::string error;
    if (!m_node.SetSelector(selector, error)) {
        Fail(error);
    }
}

void ScriptDriver::NameCommand(const Args& args) {
    Need(args, 1);
    Simulated("name").SetName(args[0]);
}

void ScriptDriver::FailCommand(const Args& args) {
    SimNode& node = Simulated("fail");
    if (args.size() == 1 && args[0] == "name") {
        node.FailName();
    } else if (!args.empty() && (args[0] == "read" || args[0] == "write" || args[0] == "all")) {
        const auto kind = args[0] == "read"    ? SimNode::Failure::Read
                          : args[0] == "write" ? SimNode::Failure::Write
                                               : SimNode::Failure::All;
        node.Fail(kind, ParseNvList(args, 1));
    } else {
        Fail("fail takes read, write or all with network variables, or name");
    }
}

void ScriptDriver::HealCommand(const Args& args) {
    SimNode& node = Simulated("heal");
    if (args.empty()) {
        node.HealAll();
    } else {
        node.Heal(ParseNvList(args, 0));
    }
}

void ScriptDriver::LatencyCommand(const Args& args) {
    Simulated("latency");
    Need(args, 1);
    m_site.SetLatency(ParseInt(args[0], 0, 3600000, "latency"));
}

void ScriptDriver::InterfacesCommand(const Args& args) {
    Need(args, 1);
    const std::string& which = args[0];
    if (which != "both" && which != "read" && which != "write" && which != "none") {
        Fail("interfaces takes both, read, write or none");
    }
    m_site.SetInterfaces(which == "both" || which == "read", which == "both" || which == "write");
}

void ScriptDriver::ClockCommand(const Args& args) {
    Need(args, 1);
    platform::crt::LocalDateTime now;
    if (!platform::crt::ParseLocalDateTime(args[0].c_str(), now)) {
        Fail("malformed date and time " + QuoteText(args[0]));
    }
    m_clock.SetLocal(now);
}

void ScriptDriver::GetNvCommand(const Args& args) {
    Need(args, 1);
    const int nv = ParseInt(args[0], 0, kLastNv, "network variable");
    std::optional<std::vector<std::uint8_t>> bytes;
    std::string error;
    if (!m_node.GetNv(nv, bytes, error)) {
        Fail(error);
    }
    m_out << "nv " << nv << ' ' << (bytes ? FormatHex(*bytes) : std::string("-")) << '\n';
}

void ScriptDriver::GetPartCommand(const Args& args) {
    Need(args, 1);
    const int part = ParseInt(args[0], 1, SimNode::kPartCount, "part");
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!m_node.GetPart(part, bytes, error)) {
        Fail(error);
    }
    m_out << "part " << part << ' ' << FormatHex(bytes) << '\n';
}

void ScriptDriver::GetSelectorCommand(const Args& args) {
    Need(args, 0);
    std::uint16_t selector = 0;
    std::string error;
    if (!m_node.GetSelector(selector, error)) {
        Fail(error);
    }
    m_out << "selector " << selector << '\n';
}

CPropertySheet& ScriptDriver::OpenSheet() {
    for (CWnd* window : m_loop.ModalStack()) {
        if (auto* sheet = dynamic_cast<CPropertySheet*>(window)) {
            return *sheet;
        }
    }
    Fail("no sheet is open");
}

CDialog& ScriptDriver::CurrentPage() {
    CPropertyPage* page = OpenSheet().GetActivePage();
    if (page == nullptr) {
        Fail("the sheet shows no tab");
    }
    return *page;
}

CWnd& ScriptDriver::PageControl(const std::string& idWord) {
    const int id = ParseInt(idWord, 0, 65535, "control id");
    CWnd* control = CurrentPage().GetDlgItem(id);
    if (control == nullptr) {
        Fail("the current tab has no control " + idWord);
    }
    return *control;
}

void ScriptDriver::PrintControl(const CWnd& control) {
    m_out << "ctl " << control.GetDlgCtrlID() << ' ' << ControlKindWord(control) << ' '
          << QuoteText(control.GetWindowText()) << " checked=" << control.GetCheck()
          << " enabled=" << (control.IsWindowEnabled() ? 1 : 0) << '\n';
}

void ScriptDriver::OpenCommand(const Args& args) {
    Need(args, 0);
    for (CWnd* window : m_loop.ModalStack()) {
        if (dynamic_cast<CPropertySheet*>(window) != nullptr) {
            Fail("a sheet is open already");
        }
    }
    m_control->DoVerb(OLEIVERB_PROPERTIES);
}

void ScriptDriver::TabsCommand(const Args& args) {
    Need(args, 0);
    const CPropertySheet& sheet = OpenSheet();
    m_out << "tabs:";
    for (int i = 0; i < sheet.GetPageCount(); ++i) {
        m_out << (i == 0 ? " " : " | ") << sheet.GetPage(i)->GetCaption();
    }
    m_out << '\n';
}

void ScriptDriver::TabCommand(const Args& args) {
    Need(args, 1);
    CPropertySheet& sheet = OpenSheet();
    for (int i = 0; i < sheet.GetPageCount(); ++i) {
        if (sheet.GetPage(i)->GetCaption() == args[0]) {
            sheet.SetActivePage(i);
            return;
        }
    }
    Fail("the sheet shows no tab " + QuoteText(args[0]));
}

void ScriptDriver::SetCommand(const Args& args) {
    Need(args, 2);
    CWnd& control = PageControl(args[0]);
    if (control.Template()->kind != ControlKind::Edit || control.Template()->readOnly) {
        Fail("control " + args[0] + " is not an edit or password field");
    }
    if (!control.IsWindowEnabled()) {
        Fail("control " + args[0] + " is disabled");
    }
    control.SetWindowText(args[1]);
}

void ScriptDriver::ClickCommand(const Args& args) {
    Need(args, 1);
    CWnd& control = PageControl(args[0]);
    const ControlKind kind = control.Template()->kind;
    if (kind != ControlKind::PushButton && kind != ControlKind::RadioButton &&
        kind != ControlKind::CheckBox) {
        Fail("control " + args[0] + " cannot be clicked");
    }
    if (!control.IsWindowEnabled()) {
        Fail("control " + args[0] + " is disabled");
    }
    CurrentPage().ClickControl(control.GetDlgCtrlID());
}

void ScriptDriver::DumpCommand(const Args& args) {
    Need(args, 0);
    for (const auto& control : CurrentPage().Controls()) {
        if (control->GetDlgCtrlID() != IDC_STATIC) {
            PrintControl(*control);
        }
    }
}

void ScriptDriver::GetCommand(const Args& args) {
    Need(args, 1);
    PrintControl(PageControl(args[0]));
}

void ScriptDriver::TextsCommand(const Args& args) {
    Need(args, 0);
    for (const auto& control : CurrentPage().Controls()) {
        const ControlKind kind = control->Template()->kind;
        if (control->GetDlgCtrlID() != IDC_STATIC) {
            continue;
        }
        if (kind == ControlKind::GroupBox) {
            m_out << "text group " << QuoteText(control->GetWindowText()) << '\n';
        } else if (kind == ControlKind::Static) {
            m_out << "text static " << QuoteText(control->GetWindowText()) << '\n';
        }
    }
}

void ScriptDriver::SheetCommand(const Args& args) {
    Need(args, 0);
    const CPropertySheet& sheet = OpenSheet();
    m_out << "sheet " << QuoteText(sheet.GetWindowText()) << '\n';
    for (const auto& button : sheet.Buttons()) {
        if (button->IsWindowVisible()) {
            PrintControl(*button);
        }
    }
}

void ScriptDriver::ExitCommand(const Args& args) {
    Need(args, 0);
    if (!OpenSheet().PressButton(IDOK)) {
        Fail("the sheet's Exit button cannot be pressed");
    }
}

void ScriptDriver::AnswerCommand(const Args& args) {
    Need(args, 1);
    const auto answer = AnswerFromWord(args[0]);
    if (!answer) {
        Fail("answer takes OK, Cancel, Yes or No");
    }
    m_answers.push_back(*answer);
}

void ScriptDriver::FileCommand(const Args& args) {
    Need(args, 1);
    m_files.emplace_back(args[0]);
}

void ScriptDriver::CancelFileCommand(const Args& args) {
    Need(args, 0);
    m_files.emplace_back(std::nullopt);
}

void ScriptDriver::AdvanceCommand(const Args& args) {
    Need(args, 1);
    Advance(ParseInt(args[0], 0, 2000000000, "time"));
}

void ScriptDriver::AboutCommand(const Args& args) {
    Need(args, 0);
    void* dispatch = nullptr;
    if (m_control->QueryInterface(IID_IDispatch, &dispatch) != S_OK) {
        Fail("the control has no dispatch interface");
    }
    auto* control = static_cast<IDispatch*>(dispatch);
    DISPPARAMS none;
    const HRESULT hr = control->Invoke(DISPID_ABOUTBOX, IID_IUnknown, 0, DISPATCH_METHOD, &none,
                                       nullptr, nullptr, nullptr);
    control->Release();
    if (hr != S_OK) {
        Fail("the control has no AboutBox");
    }
}

void ScriptDriver::TraceCommand(const Args& args) {
    Need(args, 0);
    m_site.TakeCalls([this](const HostCall& call) { m_out << FormatHostCall(call) << '\n'; });
    // The log is bounded: what it dropped is told beside the trace, not in it.
    if (const std::size_t dropped = m_site.TakeDroppedCalls(); dropped > 0) {
        m_out.flush();
        std::cerr << "qma7 script: trace: " << dropped
                  << " earlier host calls were dropped; the log keeps the last "
                  << CallLog::kDefaultLimit << '\n';
    }
}

void ScriptDriver::BoxesCommand(const Args& args) {
    Need(args, 0);
    for (const std::string& box : m_boxes) {
        m_out << box << '\n';
    }
    m_boxes.clear();
}

void ScriptDriver::TimeCommand(const Args& args) {
    Need(args, 0);
    m_out << "time " << m_clock.NowMs() << '\n';
}

void ScriptDriver::WriteFileCommand(const Args& args) {
    Need(args, 2);
    const auto file =
        platform::crt::CurrentFileSystem().Open(args[0], platform::crt::OpenMode::Replace);
    const bool written = file && file->Write(args[1]) && file->Close();
    if (!written) {
        Fail("cannot write " + QuoteText(args[0]) + ": " +
             (errno == platform::crt::kNotRegularFile ? "not a regular file"
                                                      : std::strerror(errno)));
    }
}

void ScriptDriver::ShowFileCommand(const Args& args) {
    Need(args, 1);
    // A folder, a device or a pipe is not a file to show; nor is what cannot be read whole.
    const auto file =
        platform::crt::CurrentFileSystem().Open(args[0], platform::crt::OpenMode::Read);
    const auto content = file ? platform::crt::ReadAll(*file, kMaxShownFile) : std::nullopt;
    if (!content) {
        Fail("cannot read " + QuoteText(args[0]) + ": " +
             (errno == platform::crt::kNotRegularFile ? "not a regular file"
                                                      : std::strerror(errno)));
    }
    const std::string& text = *content;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        const std::size_t stop = end == std::string::npos ? text.size() : end;
        m_out << "line " << QuoteText(std::string_view(text).substr(start, stop - start)) << '\n';
        start = stop + 1;
    }
}

void ScriptDriver::ChmodCommand(const Args& args) {
    Need(args, 2);
    unsigned mode = 0;
    bool ok = !args[0].empty() && args[0].size() <= 4;
    for (const char c : args[0]) {
        ok = ok && c >= '0' && c <= '7';
        mode = mode * 8 + static_cast<unsigned>(c - '0');
    }
    if (!ok) {
        Fail("malformed mode " + QuoteText(args[0]));
    }
    if (!platform::crt::CurrentFileSystem().SetMode(args[1], mode)) {
        Fail("cannot change the mode of " + QuoteText(args[1]));
    }
}

}  // namespace host
