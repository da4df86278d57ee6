#pragma once
// A tab that the plug-in does not have, added to the page table for the life of the object
// and by nothing else: whatever lists the pages (the sheet, the resources, the terminal's guide
// and layout check) must show it.

#include <string_view>

class ExtraPage {
  public:
    static constexpr int kId = 298;
    static constexpr std::string_view kCaption = "Brand new";
    static constexpr std::string_view kGroup = "Brand new settings";

    ExtraPage();
    ~ExtraPage();
    ExtraPage(const ExtraPage&) = delete;
    ExtraPage& operator=(const ExtraPage&) = delete;
};
