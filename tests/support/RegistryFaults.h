#pragma once
// Makes chosen registry saves fail: the save whose new text contains a marker is not renamed
// into place, as when the disk gives out at that moment. Every other save goes through.

#include <cerrno>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/registry/FileOps.h"

class FailSavesContaining final : public platform::registry::FileOps {
  public:
    explicit FailSavesContaining(std::string marker) : m_marker(std::move(marker)) {}

    int Rename(const std::string& from, const std::string& to) override {
        std::ifstream in(from, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        if (text.str().find(m_marker) != std::string::npos) {
            ++failed;
            errno = EIO;
            return -1;
        }
        return FileOps::Rename(from, to);
    }

    int failed = 0;

  private:
    std::string m_marker;
};
