#pragma once
// A sheet fixture for one tab: showing it, showing it again, failing reads, enable states.

#include <cstdint>
#include <initializer_list>
#include <numeric>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "host/text/Hex.h"
#include "tests/support/SheetFixture.h"

class PageTest : public SheetFixture {
  protected:
    explicit PageTest(std::string tab) : m_tab(std::move(tab)) {}

    // Opens the sheet and selects the tab; the sheet's own calls are dropped from the trace.
    void Show() {
        Open();
        Trace();
        SelectTab(m_tab);
    }
    // Another tab, then this one again: its show handler runs once more.
    void ShowAgain() {
        SelectTab("Node information");
        SelectTab(m_tab);
    }
    void FailReads(std::vector<int> nvs) { node.Fail(host::SimNode::Failure::Read, nvs); }
    // The NVs written since the last trace, in order: "26 25 43".
    std::string Written() {
        std::string nvs;
        for (const std::string& call : Trace()) {
            std::istringstream words(call);
            std::string time, kind, nv;
            if (words >> time >> kind >> nv && kind == "write") {
                nvs += (nvs.empty() ? "" : " ") + nv;
            }
        }
        return nvs;
    }
    // One digit per control: 1 enabled (checked), 0 not.
    std::string EnabledOf(std::initializer_list<int> ids) {
        return Digits(ids, &PageTest::Enabled);
    }
    std::string CheckedOf(std::initializer_list<int> ids) {
        return Digits(ids, &PageTest::Checked);
    }

    // Humidity readings at the edges of (5 %, 90 %] and whether the sensor counts as present.
    static constexpr std::pair<const char*, bool> kHumidityEdges[] = {
        {"03E8", false}, {"03E9", true}, {"4650", true}, {"4651", false}};

  private:
    std::string Digits(std::initializer_list<int> ids, bool (SheetFixture::*state)(int)) {
        std::string digits;
        for (const int id : ids) {
            digits += (this->*state)(id) ? '1' : '0';
        }
        return digits;
    }

    std::string m_tab;
};

// 31 bytes that all differ (byte i is first + i) but for the given {index, byte} pairs, as trace
// shows them: a test sees every byte that a tab does not own go back as read.
inline std::string Distinct(std::initializer_list<std::pair<int, int>> changes = {},
                            std::uint8_t first = 0x80) {
    std::vector<std::uint8_t> bytes(31);
    std::iota(bytes.begin(), bytes.end(), first);
    for (const auto& [index, byte] : changes) {
        bytes.at(static_cast<std::size_t>(index)) = static_cast<std::uint8_t>(byte);
    }
    return host::FormatHex(bytes);
}
// Distinct() with the bytes from index at on given as hex: DistinctAt(11, "09C4") sets 11 and 12.
inline std::string DistinctAt(int at, const std::string& hex) {
    return Distinct().replace(static_cast<std::size_t>(2 * at), hex.size(), hex);
}
