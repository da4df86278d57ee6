#pragma once
// A fixture whose registry is a file in a fresh temporary folder, removed afterwards.

#include <gtest/gtest.h>

#include <string>

#include "platform/crt/FileSystem.h"
#include "platform/registry/Registry.h"
#include "tests/support/Files.h"

class TempRegistry : public ::testing::Test {
  protected:
    void SetUp() override { RegistrySetFile(m_file); }
    void TearDown() override {
        platform::crt::SetCurrentFileSystem(nullptr);
        RegistrySetLockWait(5000, 1000, nullptr);
        RegistrySetFile("");
    }

    std::string FileText() const { return ReadFile(m_file); }
    void WriteFileText(const std::string& text) const { WriteFile(m_file, text); }
    // The default value of a key under HKEY_CLASSES_ROOT, or "<error N>".
    static std::string DefaultOf(const char* path) {
        char buffer[256];
        LONG size = sizeof buffer;
        const LONG result = RegQueryValue(HKEY_CLASSES_ROOT, path, buffer, &size);
        return result == ERROR_SUCCESS ? std::string(buffer)
                                       : "<error " + std::to_string(result) + ">";
    }

    ScratchFolder m_folder;
    std::string m_file = m_folder.Path("registry.reg");
};
