#pragma once
// A node on a LonWorks network, reached over LON/IP or a USB network interface: the host's reads
// become NV fetches, its writes updates by index (or, where the node cannot do those, NV messages
// by selector with a read back), and the node's name is the one the user gave or else the node's
// self-documentation string.

#include <map>
#include <optional>
#include <string>

#include "host/link/NodeLink.h"
#include "host/lon/LonAddress.h"
#include "host/lon/LonMessages.h"
#include "host/lon/Transactions.h"

namespace host::lon {

class LonNodeLink final : public NodeLink {
  public:
    struct Options {
        bool bySelector = false;          // write by selector even where updates by index work
        std::optional<std::string> name;  // the name the plug-in reads
        std::string kind = "LON/IP";      // what the status line calls the link
    };

    LonNodeLink(Transactions& transactions, LonAddress address, Options options);

    bool Read(int nv, std::span<std::uint8_t> buffer, std::size_t& returned) override;
    bool Write(int nv, std::span<const std::uint8_t> data) override;
    bool ReadName(std::span<char> buffer) override;
    std::string Kind() const override { return m_options.kind; }
    std::string Address() const override { return FormatLonAddress(m_address); }
    std::string Problem() const override;
    LinkError LastError() const override { return m_error; }
    void UserActionBegins() override { m_transactions.GrantFullTry(); }
    std::string TakeNotice() override;

    // The lengths of the NVs as the node's type has them (by index): an answer of another
    // length is refused, and so is a write, before anything is sent.
    void SetNvLengths(const std::map<int, std::size_t>& lengths);

    // The node's program ID; nothing when it refuses or does not answer.
    std::optional<ProgramId> ReadProgramId();
    // The name the plug-in reads; the self-documentation string is read the first time it is
    // needed. Nothing when the node refuses or does not answer.
    std::optional<std::string> Name();

  private:
    bool WriteBySelector(int nv, std::span<const std::uint8_t> data);
    // Sets the last error from how the last transaction failed, or as the node's refusal of
    // what when it answered; false, for returning.
    bool Failed(const std::string& what);
    bool Fail(LinkError::Kind kind, std::string text);
    // Reads back the NVs whose update got no answer, once the node answers again: the update
    // may have reached it all the same.
    void ReadBackUnanswered();
    // The NV's value, its length remembered.
    std::optional<Bytes> Fetch(int nv);
    std::optional<std::string> ReadSelfDocumentation();

    Transactions& m_transactions;
    LonAddress m_address;
    Options m_options;
    std::optional<bool> m_updatesByIndex;  // asked once, at the first write
    std::map<int, NvConfig> m_configs;
    std::map<int, std::size_t> m_lengths;
    std::map<int, std::size_t> m_typeLengths;  // from the node's type; never learned otherwise
    LinkError m_error;
    std::map<int, Bytes> m_unanswered;  // updates whose answer never came, by NV
    std::string m_notice;
    std::optional<std::string> m_selfDocumentation;
};

}  // namespace host::lon
