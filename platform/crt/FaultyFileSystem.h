#pragma once
// A file system that passes every call to another one but fails the steps a test names: the
// n-th open, temporary-file creation, write, flush, close, rename or read. A failed write
// still writes the first half of its bytes, as a full disk does.

#include <array>
#include <cstddef>

#include "platform/crt/FileSystem.h"

namespace platform::crt {

class FaultyFileSystem final : public FileSystem {
  public:
    enum class Step { Open, CreateTemporary, Write, Flush, Close, Rename, Read };

    explicit FaultyFileSystem(FileSystem& inner) : m_inner(inner) {}

    // The n-th call (1, 2, ...) of step from now on fails, and every later one too when
    // always is true.
    void FailAt(Step step, int n = 1, bool always = false);
    // How many calls of step were made (failed ones included).
    int Calls(Step step) const { return m_counts[Index(step)].calls; }

    std::unique_ptr<File> Open(const std::string& path, OpenMode mode) override;
    std::unique_ptr<File> CreateTemporary(const std::string& folder, std::string_view prefix,
                                          unsigned mode, std::string& createdPath) override;
    bool Rename(const std::string& from, const std::string& to) override;
    bool Remove(const std::string& path) override { return m_inner.Remove(path); }
    std::optional<std::string> ResolveLinks(const std::string& path) override {
        return m_inner.ResolveLinks(path);
    }
    std::optional<FileStatus> Status(const std::string& path) override {
        return m_inner.Status(path);
    }
    unsigned NewFileMode() override { return m_inner.NewFileMode(); }

    // Counts one call of step; true when it is to fail.
    bool Fails(Step step);

  private:
    struct Count {
        int calls = 0;
        int failAt = 0;  // 0: never
        bool always = false;
    };
    static constexpr std::size_t Index(Step step) { return static_cast<std::size_t>(step); }

    FileSystem& m_inner;
    std::array<Count, 7> m_counts{};
};

}  // namespace platform::crt
