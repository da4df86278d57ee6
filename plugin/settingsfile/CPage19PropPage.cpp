#include "plugin/settingsfile/CPage19PropPage.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>

#include "platform/crt/CRuntime.h"
#include "platform/crt/Clock.h"
#include "platform/crt/FileSystem.h"
#include "platform/ui/FileDialog.h"
#include "plugin/resources/PageTemplates.h"
#include "plugin/resources/ResourceTexts.h"
#include "plugin/settingsfile/FactoryDefaults.h"
#include "plugin/settingsfile/NodeSettingsFile.h"
#include "plugin/settingsfile/NodeSettingsReader.h"
#include "plugin/settingsfile/NodeSettingsSink.h"
#include "plugin/settingsfile/NodeSettingsWriter.h"

using settingsfile::kFactoryItems;
using settingsfile::kPartCount;
using settingsfile::SettingsItem;

namespace {

// Controls.
constexpr int IDC_NODENAME = 439;          // display: the node's name
constexpr int IDC_FILENAME = 428;          // edit: the file the dialogs open on
constexpr int IDC_DEFAULT = 429;           // "Default": file name from the node name
constexpr int IDC_SAVE = 427;              // "Save to file"
constexpr int IDC_READ_FROM_FILE = 430;    // "Read from file"
constexpr int IDC_DEFAULT_SETTINGS = 228;  // "Default settings"

// Button captions, put back after "Please wait...".
constexpr char kTextSaveToFile[] = "Save to file";
constexpr char kTextReadFromFile[] = "Read from file";
constexpr char kTextDefaultSettings[] = "Default settings";

// The notice in the "Factory settings" group.
constexpr char kFactoryNotice[] =
    "Please note: After setting the software values to factory settings, you must RESTART "
    "the plugin.";

// The node's name: at most 20 characters, read into a buffer of 20 by "Default" and of 31 by
// "Save to file".
constexpr std::size_t kNameBufferSize = 20;
constexpr std::size_t kSaveNameBufferSize = 31;
constexpr std::size_t kNameLength = 20;

// Pauses.
constexpr std::uint32_t kExportPartPauseMs = 250;       // before each part is read
constexpr std::uint32_t kDefaultsSelectPauseMs = 2000;  // before a part is selected
constexpr std::uint32_t kDefaultsWritePauseMs = 250;    // after a selection, after each item
constexpr int kNoPart = 0;

// File dialogs.
constexpr char kDefaultExtension[] = "*.txt";
constexpr char kFilter[] = "Brimla NodeSettings (*.txt)|*.txt|All files (*.*)|*.*|";

// Captions while an action runs.
constexpr char kPleaseWait[] = "Please wait...";

// Boxes of "Save to file"; all but the overwrite question have no title of their own.
constexpr char kOverwriteQuestion[] = "Overwrite existing file?";
constexpr char kFileExistsTitle[] = "File exists!";
constexpr char kFileNotWritten[] = "File not written";
constexpr char kErrorOpeningFile[] = "Error opening file";
constexpr char kErrorWritingFile[] = "Error writing file";
constexpr char kFileWritten[] = "File written";
constexpr char kFileWrittenWithErrors[] = "File Written. ";  // then the count
constexpr char kNvReadErrors[] = " NV read errors";

// Boxes of "Read from file".
constexpr char kDownloadStatusTitle[] = "Download status";
constexpr char kWrongPasswordImport[] = "Wrong password!";
constexpr char kFileNotFound[] = "File not found!";
constexpr char kDownloadTitle[] = "Download";
constexpr char kDownloadQuestion[] = "Download from file to node?";
constexpr char kDownloadAborted[] = "Download aborted";
constexpr char kProgramIdTitle[] = "ProgramID does not match!";
constexpr char kProgramIdQuestion[] = "ProgramID does not match!\nDo you want to download anyway?";
constexpr char kDownloadCompleted[] = "Download completed";
constexpr char kDownloadNotCompleted[] = "Download not completed";
constexpr char kDownloadPartly[] = "Download not completed. ";  // then the count

// Boxes of "Default settings" (titled with the application's name).
constexpr char kWrongPasswordDefaults[] = "Wrong password";
constexpr char kDefaultsPartly[] = "Default settings not completed. ";  // then the count

constexpr char kItemsNotWritten[] = " items not written";
constexpr char kRestartPlugin[] = "Please restart the plugin";

// The default file: the node's name with ".txt" in the working directory. A "/" in the name
// would make a folder of it, so it becomes "_" in the file name only.
std::string DefaultFileName(std::string name) {
    std::replace(name.begin(), name.end(), '/', '_');
    std::error_code error;
    std::filesystem::path folder = std::filesystem::current_path(error);
    if (error) {
        folder = ".";
    }
    return (folder / (name + ".txt")).string();
}

// A file dialog on the Filename field's text; the chosen path, or nothing when cancelled.
std::optional<std::string> ChooseFile(bool open, const std::string& fileName, CWnd* parent) {
    CFileDialog dialog(open, kDefaultExtension, fileName.c_str(), OFN_HIDEREADONLY, kFilter,
                       parent);
    if (dialog.DoModal() != IDOK) {
        return std::nullopt;
    }
    return dialog.GetPathName();
}

}  // namespace

// What the lines of one settings file do to the node. Counts every accepted item that did not
// reach it: a failed write, a part whose selection failed, an item without a usable value.
class CPage19PropPage::Download final : public settingsfile::NodeSettingsSink {
  public:
    explicit Download(CPage19PropPage& page) : m_page(page) {}

    int NotWritten() const { return m_notWritten; }

    bool AcceptForeignProgramId(std::string_view /*programId*/) override {
        return m_page.MessageBox(kProgramIdQuestion, kProgramIdTitle, MB_YESNO) == IDYES;
    }

    void WriteItem(const SettingsItem& item, std::span<const std::uint8_t> bytes) override {
        Count(m_page.WriteNv(item.nv, bytes));
    }

    // The part-th nviPluginCnf item goes to part `part`, whatever its header says; the
    // selector rests at 0 after each.
    void WritePart(int part, std::span<const std::uint8_t> bytes) override {
        if (m_page.PartCheck(part)) {
            Count(m_page.WriteNv(NV_PLUGIN_CNF, bytes, kLongLength));
        } else {
            Count(false);
        }
        m_page.SelectPart(kNoPart);
    }

    void ItemWithoutValue(const SettingsItem& /*item*/, int /*part*/) override { Count(false); }

  private:
    void Count(bool written) {
        if (!written) {
            ++m_notWritten;
        }
    }

    CPage19PropPage& m_page;
    int m_notWritten = 0;
};

// No positions are given for this page: it is laid out in the style of the others (labels left
// of their fields, group boxes around what belongs together), its controls in the order of its
// control table.
DialogTemplate ImportExportTemplate() {
    DialogTemplate dialog = PageTemplate(IDD_PAGE_IMPORT_EXPORT);
    dialog.controls = {
        Label("Nodename:", 15, 17, 40),
        DisplayField(IDC_NODENAME, 60, 15, 120),
        Label("Filename", 15, 37, 40),
        EditField(IDC_FILENAME, 60, 35, 170),
        Button(IDC_DEFAULT, "Default", 236, 34),
        Button(IDC_SAVE, kTextSaveToFile, 60, 56, 60),
        Button(IDC_READ_FROM_FILE, kTextReadFromFile, 130, 56, 60),
        Button(IDC_DEFAULT_SETTINGS, kTextDefaultSettings, 20, 116, 70),
        Label(kTextPassword, 15, 80, 40),
        PasswordField(IDC_PASSWORD, 60, 78, 60),
        Group("Factory settings", 10, 100, 280, 60),
        Label(kFactoryNotice, 100, 114, 180, 32),
    };
    return dialog;
}

CPage19PropPage::CPage19PropPage() : CNodePage(IDD_PAGE_IMPORT_EXPORT) {
    BindControls({IDC_NODENAME, IDC_FILENAME, IDC_PASSWORD});
    OnClicked(IDC_DEFAULT, [this] { OnDefault(); });
    OnClicked(IDC_SAVE, [this] { OnSaveToFile(); });
    OnClicked(IDC_READ_FROM_FILE, [this] { OnReadFromFile(); });
    OnClicked(IDC_DEFAULT_SETTINGS, [this] { OnDefaultSettings(); });
}

bool CPage19PropPage::OnInitDialog() {
    OnDefault();
    return true;
}

void CPage19PropPage::OnDefault() {
    const auto name = ReadNodeName(kNameBufferSize);
    if (name) {
        SetDlgItemText(IDC_FILENAME, DefaultFileName(*name));
        SetDlgItemText(IDC_NODENAME, *name);
    }
    EnableDlgItem(IDC_SAVE, name.has_value());
}

void CPage19PropPage::OnSaveToFile() {
    const Caption wait(*this, IDC_SAVE, kPleaseWait, kTextSaveToFile);
    platform::crt::FileSystem& files = platform::crt::CurrentFileSystem();

    const auto chosen = ChooseFile(false, GetDlgItemText(IDC_FILENAME), this);
    if (!chosen) {
        return;
    }
    SetDlgItemText(IDC_FILENAME, *chosen);
    const std::string path = GetDlgItemText(IDC_FILENAME);

    if (settingsfile::ExistsForOverwrite(files, path) &&
        MessageBox(kOverwriteQuestion, kFileExistsTitle, MB_YESNO) != IDYES) {
        MessageBox(kFileNotWritten);
        return;
    }

    const auto name = ReadNodeName(kSaveNameBufferSize);
    SetDlgItemText(IDC_NODENAME, name ? name->substr(0, kNameLength) : std::string());
    settingsfile::NodeSettingsWriter writer(GetDlgItemText(IDC_NODENAME));

    for (const SettingsItem& item : settingsfile::kConfigItems) {
        if (ReadBuffer buffer{}; ReadNv(item.nv, buffer)) {
            writer.AddValue(buffer);
        } else {
            writer.AddUnreadable();
        }
    }
    // A part whose selection failed is not read: its value would be another part's.
    for (int part = 1; part <= kPartCount; ++part) {
        const bool selected = PartCheck(part);
        platform::crt::Sleep(kExportPartPauseMs);
        if (ReadBuffer buffer{}; selected && ReadNv(NV_PLUGIN_CNF, buffer)) {
            writer.AddValue(buffer);
        } else {
            writer.AddUnreadable();
        }
    }

    switch (settingsfile::SaveNodeSettings(files, path, writer.Text())) {
        case settingsfile::SaveResult::OpenFailed:
            MessageBox(kErrorOpeningFile);
            return;
        case settingsfile::SaveResult::WriteFailed:
            MessageBox(kErrorWritingFile);
            return;
        case settingsfile::SaveResult::Saved:
            break;
    }
    if (writer.UnreadableCount() == 0) {
        MessageBox(kFileWritten);
    } else {
        MessageBox(kFileWrittenWithErrors +
                   platform::crt::FormatFixed(writer.UnreadableCount(), 0) + kNvReadErrors);
    }
}

void CPage19PropPage::OnReadFromFile() {
    if (GetDlgItemText(IDC_PASSWORD) != kPassword) {
        MessageBox(kWrongPasswordImport, kDownloadStatusTitle);
        return;
    }
    const Caption wait(*this, IDC_READ_FROM_FILE, kPleaseWait, kTextReadFromFile);

    if (const auto path = ChooseFile(true, GetDlgItemText(IDC_FILENAME), this)) {
        DownloadFile(*path);
    }
    SetDlgItemText(IDC_PASSWORD, "");
    AfxMessageBox(kRestartPlugin);
}

void CPage19PropPage::DownloadFile(const std::string& path) {
    // Opened for reading only, so that a read-only settings file can be downloaded.
    const std::unique_ptr<platform::crt::File> file =
        settingsfile::OpenForImport(platform::crt::CurrentFileSystem(), path);
    if (!file) {
        MessageBox(kFileNotFound);
        return;
    }
    if (MessageBox(kDownloadQuestion, kDownloadTitle, MB_YESNO) != IDYES) {
        MessageBox(kDownloadAborted, kDownloadStatusTitle);
        file->Close();
        return;
    }

    Download download(*this);
    settingsfile::NodeSettingsReader reader(download);
    // A file that cannot be read to its end has not been downloaded, whatever reached the node.
    const bool readWhole = settingsfile::ReadInto(*file, reader);
    if (!readWhole || !reader.Accepted()) {
        MessageBox(kDownloadNotCompleted, kDownloadStatusTitle);
    } else if (download.NotWritten() == 0) {
        MessageBox(kDownloadCompleted, kDownloadStatusTitle);
    } else {
        MessageBox(kDownloadPartly + std::to_string(download.NotWritten()) + kItemsNotWritten,
                   kDownloadStatusTitle);
    }
    file->Close();
}

void CPage19PropPage::OnDefaultSettings() {
    if (GetDlgItemText(IDC_PASSWORD) != kPassword) {
        AfxMessageBox(kWrongPasswordDefaults);
        SetDlgItemText(IDC_PASSWORD, "");
        return;
    }
    int notWritten = 0;
    {
        const Caption wait(*this, IDC_DEFAULT_SETTINGS, kPleaseWait, kTextDefaultSettings);
        notWritten = WriteFactorySettings();
    }
    if (notWritten > 0) {
        AfxMessageBox(kDefaultsPartly + std::to_string(notWritten) + kItemsNotWritten);
    }
    AfxMessageBox(kRestartPlugin);
    SetDlgItemText(IDC_PASSWORD, "");
}

int CPage19PropPage::WriteFactorySettings() {
    int notWritten = 0;
    // A part whose selection failed is not written: its bytes would land in another part.
    for (int part = 1; part <= kPartCount; ++part) {
        bool selected = true;
        if (CurrentPart() != part) {
            platform::crt::Sleep(kDefaultsSelectPauseMs);
            selected = SelectPart(part);
            platform::crt::Sleep(kDefaultsWritePauseMs);
        }
        const settingsfile::ItemBytes bytes = settingsfile::FactoryPartBytes(part);
        if (!selected || !WriteNv(NV_PLUGIN_CNF, bytes.Span(), kLongLength)) {
            ++notWritten;
        }
    }
    for (std::size_t order = 0; order < kFactoryItems.size(); ++order) {
        const settingsfile::ItemBytes bytes = settingsfile::FactoryItemBytes(order);
        if (!WriteNv(kFactoryItems[order].item->nv, bytes.Span())) {
            ++notWritten;
        }
        platform::crt::Sleep(kDefaultsWritePauseMs);
    }
    SelectPart(kNoPart);
    return notWritten;
}
