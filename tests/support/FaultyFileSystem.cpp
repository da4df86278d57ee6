#include "tests/support/FaultyFileSystem.h"

#include <cerrno>

using platform::crt::File;
using platform::crt::FileStatus;
using platform::crt::OpenMode;

namespace {

using Step = FaultyFileSystem::Step;

class FaultyFile final : public File {
  public:
    FaultyFile(std::unique_ptr<File> inner, FaultyFileSystem& faults)
        : m_inner(std::move(inner)), m_faults(faults) {}

    std::ptrdiff_t Read(std::span<char> buffer) override {
        return m_faults.Fails(Step::Read) ? -1 : m_inner->Read(buffer);
    }
    bool Write(std::string_view bytes) override {
        if (m_faults.Fails(Step::Write)) {
            m_inner->Write(bytes.substr(0, bytes.size() / 2));
            errno = ENOSPC;
            return false;
        }
        return m_inner->Write(bytes);
    }
    bool Flush() override { return !m_faults.Fails(Step::Flush) && m_inner->Flush(); }
    bool Close() override {
        // The file is released even when the close is made to fail.
        const bool closed = m_inner->Close();
        return !m_faults.Fails(Step::Close) && closed;
    }
    std::optional<FileStatus> Status() override { return m_inner->Status(); }
    bool SetOwner(unsigned owner, unsigned group) override {
        return m_inner->SetOwner(owner, group);
    }
    bool Truncate() override { return !m_faults.Fails(Step::Truncate) && m_inner->Truncate(); }
    bool TryLock(bool exclusive) override {
        return !m_faults.Fails(Step::Lock) && m_inner->TryLock(exclusive);
    }

  private:
    std::unique_ptr<File> m_inner;
    FaultyFileSystem& m_faults;
};

}  // namespace

void FaultyFileSystem::FailAt(Step step, int n, bool always) {
    Count& count = m_counts[Index(step)];
    count.failAt = count.calls + n;
    count.always = always;
}

bool FaultyFileSystem::Fails(Step step) {
    Count& count = m_counts[Index(step)];
    ++count.calls;
    const bool fails = count.failAt > 0 && (count.calls == count.failAt ||
                                            (count.always && count.calls > count.failAt));
    if (fails) {
        errno = step == Step::Lock ? EWOULDBLOCK : EIO;
    }
    return fails;
}

std::unique_ptr<File> FaultyFileSystem::Wrap(std::unique_ptr<File> file) {
    return file ? std::make_unique<FaultyFile>(std::move(file), *this) : nullptr;
}

std::unique_ptr<File> FaultyFileSystem::Open(const std::string& path, OpenMode mode) {
    return Fails(Step::Open) ? nullptr : Wrap(m_inner.Open(path, mode));
}

std::unique_ptr<File> FaultyFileSystem::CreateTemporary(const std::string& folder,
                                                        std::string_view prefix, unsigned mode,
                                                        std::string& createdPath) {
    if (Fails(Step::CreateTemporary)) {
        return nullptr;
    }
    return Wrap(m_inner.CreateTemporary(folder, prefix, mode, createdPath));
}

std::unique_ptr<File> FaultyFileSystem::OpenLockFile(const std::string& path) {
    return Fails(Step::OpenLockFile) ? nullptr : Wrap(m_inner.OpenLockFile(path));
}

bool FaultyFileSystem::Rename(const std::string& from, const std::string& to) {
    return !Fails(Step::Rename) && m_inner.Rename(from, to);
}

bool FaultyFileSystem::MakeFolder(const std::string& path) {
    return !Fails(Step::MakeFolder) && m_inner.MakeFolder(path);
}

std::optional<std::vector<std::string>> FaultyFileSystem::List(const std::string& folder) {
    if (Fails(Step::List)) {
        return std::nullopt;
    }
    return m_inner.List(folder);
}

bool FaultyFileSystem::SyncFolder(const std::string& folder) {
    return !Fails(Step::SyncFolder) && m_inner.SyncFolder(folder);
}
