#pragma once
// A fixture whose registry is a file in a fresh temporary folder, removed afterwards.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/registry/Registry.h"

class TempRegistry : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "qma7-reg-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
        m_file = m_dir + "/registry.reg";
        RegistrySetFile(m_file);
    }
    void TearDown() override {
        RegistrySetFileOps(nullptr);
        RegistrySetFile("");
        std::filesystem::remove_all(m_dir);
    }

    std::string FileText() const {
        std::ifstream in(m_file, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    void WriteFileText(const std::string& text) const {
        std::ofstream(m_file, std::ios::binary) << text;
    }
    // The default value of a key under HKEY_CLASSES_ROOT, or "<error N>".
    static std::string DefaultOf(const char* path) {
        char buffer[256];
        LONG size = sizeof buffer;
        const LONG result = RegQueryValue(HKEY_CLASSES_ROOT, path, buffer, &size);
        return result == ERROR_SUCCESS ? std::string(buffer)
                                       : "<error " + std::to_string(result) + ">";
    }

    std::string m_dir;
    std::string m_file;
};
