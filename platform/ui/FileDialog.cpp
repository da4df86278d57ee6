#include "platform/ui/FileDialog.h"

#include "platform/ui/MessageBox.h"
#include "platform/ui/MessageLoop.h"

CFileDialog::CFileDialog(bool openFileDialog, const char* defaultExtension, const char* fileName,
                         unsigned flags, const char* filter, CWnd* /*parent*/) {
    m_request.save = !openFileDialog;
    m_request.defaultExtension = defaultExtension != nullptr ? defaultExtension : "";
    m_request.initialName = fileName != nullptr ? fileName : "";
    m_request.filter = filter != nullptr ? filter : "";
    m_request.hideReadOnly = (flags & OFN_HIDEREADONLY) != 0;
}

int CFileDialog::DoModal() {
    const auto path = MessageLoop::Current().FileDialog(m_request);
    if (!path) {
        return IDCANCEL;
    }
    m_path = *path;
    return IDOK;
}
