#include "platform/crt/FaultyFileSystem.h"

namespace platform::crt {

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
    return count.failAt > 0 &&
           (count.calls == count.failAt || (count.always && count.calls > count.failAt));
}

std::unique_ptr<File> FaultyFileSystem::Open(const std::string& path, OpenMode mode) {
    if (Fails(Step::Open)) {
        return nullptr;
    }
    std::unique_ptr<File> file = m_inner.Open(path, mode);
    return file ? std::make_unique<FaultyFile>(std::move(file), *this) : nullptr;
}

std::unique_ptr<File> FaultyFileSystem::CreateTemporary(const std::string& folder,
                                                        std::string_view prefix, unsigned mode,
                                                        std::string& createdPath) {
    if (Fails(Step::CreateTemporary)) {
        return nullptr;
    }
    std::unique_ptr<File> file = m_inner.CreateTemporary(folder, prefix, mode, createdPath);
    return file ? std::make_unique<FaultyFile>(std::move(file), *this) : nullptr;
}

bool FaultyFileSystem::Rename(const std::string& from, const std::string& to) {
    return !Fails(Step::Rename) && m_inner.Rename(from, to);
}

}  // namespace platform::crt
