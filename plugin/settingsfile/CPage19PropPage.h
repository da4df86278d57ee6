#pragma once
// The "Import / Export" tab: saves the node's configuration to a settings file, downloads such
// a file into the node, and restores the factory settings.

#include <string>

#include "plugin/pages/NodePage.h"

class CPage19PropPage : public CNodePage {
  public:
    CPage19PropPage();
    bool OnInitDialog() override;

    // "Default": the file name and the Nodename field from the node's name.
    void OnDefault();
    // "Save to file": the node's configuration into a settings file.
    void OnSaveToFile();
    // "Read from file": a settings file into the node, behind the password.
    void OnReadFromFile();
    // "Default settings": the factory configuration into the node, behind the password.
    void OnDefaultSettings();

  private:
    // One download's writes to the node and its count of items not written.
    class Download;

    // "Read from file" once a file was chosen: the download and its boxes.
    void DownloadFile(const std::string& path);
    // Writes the factory configuration; the number of items not written.
    int WriteFactorySettings();
};

// Its dialog template, built from the control ids its code uses.
DialogTemplate ImportExportTemplate();
