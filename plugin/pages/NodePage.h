#pragma once
// What every tab shares: host access through the sheet at the moment of use, the part
// selector, mirrored bit access, the Read / Write captions, status groups, output settings,
// enable tests and the refresh timer. A tab states only its own controls, variables, bytes,
// bits and the order of its steps.

#include <array>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/ui/PropertyPage.h"
#include "plugin/resources/ResourceTexts.h"
#include "plugin/resources/Resources.h"

class CSheet;

// Network variables that several tabs share.
constexpr int NV_EQUIPMENT_FLAGS = 0;  // EquipmentFlags: byte 22 enables the tabs' settings
constexpr int NV_OFF_MAN_AUTO3 = 25;   // nciOffManAuto3: one status word per output
constexpr int NV_MAN_VALUE3 = 26;      // nciManValue3: one manual value per output, 0.5 % steps
constexpr int NV_PART_SELECTOR = 42;   // PartSelector
constexpr int NV_PLUGIN_CNF = 43;      // nviPluginCnf: the selected configuration part

constexpr std::size_t kReadSize = 31;     // an ordinary read
constexpr std::size_t kModifySize = 32;   // a read that precedes a write of the same variable
constexpr std::int32_t kLongLength = 31;  // a write of a 31-byte variable
constexpr std::int32_t kWordLength = 2;   // a write of a 16-bit variable

constexpr unsigned kRefreshTimer = 1;
constexpr std::uint32_t kRefreshPeriodMs = 2000;
constexpr std::uint32_t kSelectPauseMs = 200;

extern const char* const kPassword;  // the page password
// The box shown when a protected write finds another password.
extern const char* const kWrongPassword;

// Buffers start zeroed, so nothing reads bytes the host did not return.
using ReadBuffer = std::array<std::uint8_t, kReadSize>;
using ModifyBuffer = std::array<std::uint8_t, kModifySize>;

// Off / Manual / Automatic radio buttons of one output; manualField 0: the group has none.
struct StatusGroup {
    int off;
    int manual;
    int automatic;
    int manualField;
};

class CNodePage : public CPropertyPage {
  public:
    // The page's dialog template and tab caption share one resource id.
    explicit CNodePage(int resourceId);

    void OnTimer(unsigned id) override;
    void OnControlsCreated() override;

  protected:
    // Re-reads the page's live values; pages with a refresh timer override it.
    virtual void Refresh() {}
    void StartRefreshTimer();

    CSheet* Sheet() const;
    // Host calls through the sheet's interfaces; a missing interface is a failed call.
    bool ReadNv(int nv, std::span<std::uint8_t> buffer) const;
    bool WriteNv(int nv, std::span<const std::uint8_t> data) const;
    // Writes the first length bytes of a buffer (kWordLength or kLongLength).
    bool WriteNv(int nv, std::span<const std::uint8_t> buffer, std::int32_t length) const;
    // The node's name up to its first NUL, at most bufferSize characters; nothing on failure.
    std::optional<std::string> ReadNodeName(std::size_t bufferSize) const;

    // The number in the part selector; 0 when it cannot be read.
    int CurrentPart() const;
    // Writes the part selector between two pauses; true when the write succeeded.
    bool SelectPart(int part) const;
    // Before NV 43 is touched: selects part unless it is selected already. False when the
    // selection failed; the caller then leaves NV 43 alone.
    bool PartCheck(int part) const;

    // Sets a button's caption while a handler runs and gives it back at the end.
    class Caption {
      public:
        Caption(CNodePage& page, int id, const char* during, const char* after);
        ~Caption();
        Caption(const Caption&) = delete;
        Caption& operator=(const Caption&) = delete;

      private:
        CNodePage& m_page;
        int m_id;
        const char* m_after;
    };

    // Status groups.
    void OnOff(const StatusGroup& group);
    void OnManual(const StatusGroup& group);
    void OnAutomatic(const StatusGroup& group);
    // The node's status word: 0 Off, 1 Manual, 2 Automatic; any other value changes nothing.
    void ShowStatus(const StatusGroup& group, int code);
    // The code of the checked button; nothing when no button is checked.
    std::optional<int> CheckedStatus(const StatusGroup& group) const;
    // Writes the group's code into the word at bytes [at, at + 1]; a group with no checked
    // button leaves the word as read.
    void PutStatus(const StatusGroup& group, std::span<std::uint8_t> buffer, std::size_t at) const;
    // Registers the three radio buttons' handlers; the group's manual-value field starts
    // disabled, as no status has been shown yet.
    void OnStatusClicks(const StatusGroup& group);

    // Two radio buttons of which one is checked: checks `on`, unchecks `off`.
    void CheckOneOf(int on, int off);

    // Bits of a mirrored buffer: a page's bit n is the raw byte's bit of value 1 << n.
    static bool TestPageBit(std::span<const std::uint8_t> mirrored, std::size_t byte, int bit);
    static void PutPageBit(std::span<std::uint8_t> mirrored, std::size_t byte, int bit, bool set);

    void EnableControls(std::initializer_list<int> ids, bool enable);
    // A field's text as a number (atof).
    double FieldNumber(int id) const;
    // A number shown with decimals digits ("%.0f", "%.1f").
    void ShowNumber(int id, double value, int decimals);
    // The enable test on a mirrored bit of EquipmentFlags byte 22; false when it cannot be read.
    std::optional<bool> EquipmentBit(int bit) const;
    // The enable test on a humidity sensor's variable: present when 5 % < reading <= 90 %;
    // nothing when it cannot be read.
    std::optional<bool> HumidityPresent(int nv) const;
    // Before a protected write: true when the password field holds the page password;
    // otherwise shows the wrong-password box. Clearing the field is the caller's last step.
    bool PasswordAccepted();

  private:
    std::vector<int> m_manualFields;
};
