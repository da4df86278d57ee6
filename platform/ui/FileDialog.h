#pragma once
// The platform's open and save file dialogs.

#include <string>

constexpr unsigned OFN_HIDEREADONLY = 0x4;
constexpr unsigned OFN_OVERWRITEPROMPT = 0x2;

struct FileDialogRequest {
    bool save = false;
    std::string initialName;  // the file name the dialog opens on
    std::string defaultExtension;
    std::string filter;  // "Name|pattern|Name|pattern|"
    bool hideReadOnly = false;
};

class CWnd;

class CFileDialog {
  public:
    CFileDialog(bool openFileDialog, const char* defaultExtension, const char* fileName,
                unsigned flags, const char* filter, CWnd* parent = nullptr);
    // IDOK with a chosen path, or IDCANCEL.
    int DoModal();
    const std::string& GetPathName() const { return m_path; }

  private:
    FileDialogRequest m_request;
    std::string m_path;
};
