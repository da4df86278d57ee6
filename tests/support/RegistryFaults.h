#pragma once
// Makes chosen registry saves fail: the save whose new text contains a marker is not renamed
// into place, as when the disk gives out at that moment. Every other call goes through to the
// real files. Install with platform::crt::SetCurrentFileSystem.

#include <cerrno>
#include <string>

#include "platform/crt/FileSystem.h"
#include "tests/support/Files.h"

class FailSavesContaining final : public platform::crt::FileSystem {
  public:
    explicit FailSavesContaining(std::string marker) : m_marker(std::move(marker)) {}

    bool Rename(const std::string& from, const std::string& to) override {
        if (ReadFile(from).find(m_marker) != std::string::npos) {
            ++failed;
            errno = EIO;
            return false;
        }
        return m_real.Rename(from, to);
    }

    std::unique_ptr<platform::crt::File> Open(const std::string& path,
                                              platform::crt::OpenMode mode) override {
        return m_real.Open(path, mode);
    }
    std::unique_ptr<platform::crt::File> CreateTemporary(const std::string& folder,
                                                         std::string_view prefix, unsigned mode,
                                                         std::string& createdPath) override {
        return m_real.CreateTemporary(folder, prefix, mode, createdPath);
    }
    std::unique_ptr<platform::crt::File> OpenLockFile(const std::string& path) override {
        return m_real.OpenLockFile(path);
    }
    bool Remove(const std::string& path) override { return m_real.Remove(path); }
    bool SetMode(const std::string& path, unsigned mode) override {
        return m_real.SetMode(path, mode);
    }
    bool MakeFolder(const std::string& path) override { return m_real.MakeFolder(path); }
    std::optional<std::vector<std::string>> List(const std::string& folder) override {
        return m_real.List(folder);
    }
    bool SyncFolder(const std::string& folder) override { return m_real.SyncFolder(folder); }
    std::optional<std::string> ResolveLinks(const std::string& path) override {
        return m_real.ResolveLinks(path);
    }
    std::optional<platform::crt::FileStatus> Status(const std::string& path) override {
        return m_real.Status(path);
    }
    unsigned NewFileMode() override { return m_real.NewFileMode(); }

    int failed = 0;

  private:
    platform::crt::FileSystem& m_real = platform::crt::RealFileSystem();
    std::string m_marker;
};
