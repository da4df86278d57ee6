#pragma once
// One writer per node image: a process that keeps an image up to date holds its lock for as
// long as it runs. The lock is a flock on a lock file of the image (the file that links lead
// to) in the user's runtime folder (platform::crt::LockFilePath), which holds the process id
// of its holder so that a refusal can name it.

#include <memory>
#include <string>

#include "platform/crt/FileSystem.h"

namespace host {

class NodeImageLock {
  public:
    // The lock of the image at path for this process; nullptr with error when another process
    // holds it ("the node image PATH is in use by process 1234 (qma7)"; held is set then) or
    // it cannot be taken.
    static std::unique_ptr<NodeImageLock> Take(const std::string& path, std::string& error,
                                               bool& held);

  private:
    explicit NodeImageLock(std::unique_ptr<platform::crt::File> file) : m_file(std::move(file)) {}

    std::unique_ptr<platform::crt::File> m_file;
};

}  // namespace host
