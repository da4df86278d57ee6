#pragma once
// A test double of the file-system seam: it passes every call to another one but fails the steps a
// test names: the n-th open, temporary-file creation, write, flush, close, rename, read, and so on.
// A failed step sets errno to EIO (ENOSPC for a write, EWOULDBLOCK for a lock). A failed write
// still writes the first half of its bytes, as a full disk does.

#include <array>
#include <cstddef>

#include "platform/crt/FileSystem.h"

class FaultyFileSystem final : public platform::crt::FileSystem {
  public:
    enum class Step {
        Open,
        CreateTemporary,
        Write,
        Flush,
        Close,
        Rename,
        Read,
        OpenLockFile,
        Lock,  // TryLock: as when another process holds the lock
        MakeFolder,
        List,
        SyncFolder,
        Truncate,
        SetMode,
    };
    static constexpr std::size_t kStepCount = 14;

    explicit FaultyFileSystem(FileSystem& inner) : m_inner(inner) {}

    // The n-th call (1, 2, ...) of step from now on fails, and every later one too when
    // always is true.
    void FailAt(Step step, int n = 1, bool always = false);
    // How many calls of step were made (failed ones included).
    int Calls(Step step) const { return m_counts[Index(step)].calls; }

    std::unique_ptr<platform::crt::File> Open(const std::string& path,
                                              platform::crt::OpenMode mode) override;
    std::unique_ptr<platform::crt::File> CreateTemporary(const std::string& folder,
                                                         std::string_view prefix, unsigned mode,
                                                         std::string& createdPath) override;
    std::unique_ptr<platform::crt::File> OpenLockFile(const std::string& path) override;
    bool Rename(const std::string& from, const std::string& to) override;
    bool Remove(const std::string& path) override { return m_inner.Remove(path); }
    bool MakeFolder(const std::string& path) override;
    std::optional<std::vector<std::string>> List(const std::string& folder) override;
    bool SyncFolder(const std::string& folder) override;
    std::optional<std::string> ResolveLinks(const std::string& path) override {
        return m_inner.ResolveLinks(path);
    }
    std::optional<platform::crt::FileStatus> Status(const std::string& path) override {
        return m_inner.Status(path);
    }
    unsigned NewFileMode() override { return m_inner.NewFileMode(); }
    bool SetMode(const std::string& path, unsigned mode) override {
        return !Fails(Step::SetMode) && m_inner.SetMode(path, mode);
    }

    // Counts one call of step; true (with errno set) when it is to fail.
    bool Fails(Step step);

  private:
    struct Count {
        int calls = 0;
        int failAt = 0;  // 0: never
        bool always = false;
    };
    static constexpr std::size_t Index(Step step) { return static_cast<std::size_t>(step); }
    std::unique_ptr<platform::crt::File> Wrap(std::unique_ptr<platform::crt::File> file);

    FileSystem& m_inner;
    std::array<Count, kStepCount> m_counts{};
};
