#pragma once
// `qma7 script`: plays the user from a script against the simulated node on a virtual clock, or
// against a node on the network in real time, exactly as the host would run the plug-in. It is
// the front end of the message loop: while a sheet is open, each input it is asked for is the
// script's next command.

#include <cstdint>
#include <deque>
#include <functional>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com/ComPtr.h"
#include "platform/com/OleObject.h"
#include "platform/crt/Clock.h"
#include "platform/ui/MessageLoop.h"

class CPropertySheet;
class CDialog;

namespace host {

class ScriptNode;
class SimNode;
class ClientSite;

struct ScriptLine {
    int number = 0;
    std::vector<std::string> words;
};

// The first error of a script: the line it stands on and what went wrong.
struct ScriptError {
    int line = 0;
    std::string message;
};

class ScriptDriver final : public FrontEnd {
  public:
    // control: the control the host created, with the site already given to it.
    // clock: a virtual clock for the simulated node, real time for a node on the network.
    ScriptDriver(ScriptNode& node, ClientSite& site, platform::crt::ScriptClock& clock,
                 std::ostream& out);
    ~ScriptDriver() override;

    void SetControl(ComPtr<IOleObject> control) { m_control = std::move(control); }
    // Told of each command before it runs (a host that counts an action's progress).
    void SetCommandObserver(std::function<void(const ScriptLine& line)> observer) {
        m_commandObserver = std::move(observer);
    }

    // Reads the whole script; false (with error) when a line cannot be split into words.
    bool Load(std::istream& script, int& errorLine, std::string& error);
    // Runs every command; returns when the script ends (a sheet still open is closed). After an
    // error no further command runs and no host call reaches the node: every box and dialog the
    // plug-in has open is answered so that it changes nothing, every sheet is closed, and the
    // error is returned once the plug-in's handlers have run out.
    std::optional<ScriptError> Run();

    // FrontEnd.
    void Pump(MessageLoop& loop, std::optional<std::int64_t> deadline) override;
    void ModalStarted(CWnd& dialog) override;
    int RunMessageBox(MessageLoop& loop, const MessageBoxRequest& box) override;
    std::optional<std::string> RunFileDialog(MessageLoop& loop,
                                             const FileDialogRequest& dialog) override;

    MessageLoop& Loop() { return m_loop; }

  private:
    // Runs the next command; false when the script has ended.
    bool Step();
    void Execute(const ScriptLine& line);
    void RunCommand(const ScriptLine& line);
    // Thrown by Fail out of a command's own code and caught by Execute: it never passes through
    // the plug-in, whose callbacks into the driver record their errors instead.
    struct CommandFailed {};
    [[noreturn]] void Fail(const std::string& message);
    // Keeps the first error and cuts the site off the node.
    void Record(const std::string& message);

    // A command of the script: its name and the member that runs it with its arguments.
    using Args = std::vector<std::string>;
    struct Command {
        std::string_view name;
        void (ScriptDriver::*run)(const Args& args);
    };
    static std::span<const Command> Commands();

    // The node.
    void NvCommand(const Args& args);
    void PartCommand(const Args& args);
    void SelectorCommand(const Args& args);
    void NameCommand(const Args& args);
    void FailCommand(const Args& args);
    void HealCommand(const Args& args);
    void LatencyCommand(const Args& args);
    void InterfacesCommand(const Args& args);
    void ClockCommand(const Args& args);
    void GetNvCommand(const Args& args);
    void GetPartCommand(const Args& args);
    void GetSelectorCommand(const Args& args);
    // The sheet and its dialogs.
    void OpenCommand(const Args& args);
    void TabsCommand(const Args& args);
    void TabCommand(const Args& args);
    void SetCommand(const Args& args);
    void ClickCommand(const Args& args);
    void DumpCommand(const Args& args);
    void GetCommand(const Args& args);
    void TextsCommand(const Args& args);
    void SheetCommand(const Args& args);
    void ExitCommand(const Args& args);
    void AnswerCommand(const Args& args);
    void FileCommand(const Args& args);
    void CancelFileCommand(const Args& args);
    void AdvanceCommand(const Args& args);
    void AboutCommand(const Args& args);
    // The logs.
    void TraceCommand(const Args& args);
    void BoxesCommand(const Args& args);
    void TimeCommand(const Args& args);
    // Files.
    void WriteFileCommand(const Args& args);
    void ShowFileCommand(const Args& args);
    void ChmodCommand(const Args& args);

    CPropertySheet& OpenSheet();
    CDialog& CurrentPage();
    CWnd& PageControl(const std::string& idWord);
    void PrintControl(const CWnd& control);

    int ParseInt(const std::string& word, long long min, long long max, const char* what);
    std::vector<std::uint8_t> ParseHexArg(const std::string& word);
    std::vector<int> ParseNvList(const Args& args, std::size_t from);
    void Need(const Args& args, std::size_t count);
    SimNode& Simulated(const std::string& command);
    // Runs every timer tick due until ms from now, at its due time, and then stands there.
    void Advance(std::int64_t ms);

    ScriptNode& m_node;
    ClientSite& m_site;
    platform::crt::ScriptClock& m_clock;
    std::ostream& m_out;
    MessageLoop m_loop;
    ComPtr<IOleObject> m_control;
    std::function<void(const ScriptLine&)> m_commandObserver;

    std::vector<ScriptLine> m_lines;
    std::size_t m_next = 0;
    int m_currentLine = 0;
    std::optional<ScriptError> m_error;
    std::deque<int> m_answers;
    std::deque<std::optional<std::string>> m_files;
    std::vector<std::string> m_boxes;
};

}  // namespace host
