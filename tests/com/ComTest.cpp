// GUID texts, and the node interfaces' binary layout: their own methods must sit in the
// vtable slots that follow IUnknown's three and IDispatch's four, unused ones included.
#include <gtest/gtest.h>

#include "host/node/FactoryNode.h"
#include "host/site/ClientSite.h"
#include "platform/com/Guid.h"
#include "platform/com/NvInterfaces.h"

TEST(Guid, FormatsAndParsesTheBracedForm) {
    constexpr GUID clsid = MakeGuid("{76A875E6-EAF0-11D5-8DA4-00107A158EFD}");
    EXPECT_EQ(GuidToString(clsid), "{76A875E6-EAF0-11D5-8DA4-00107A158EFD}");
    EXPECT_EQ(GuidFromString("{76a875e6-eaf0-11d5-8da4-00107a158efd}"), clsid);
    EXPECT_EQ(clsid.Data1, 0x76A875E6u);
    EXPECT_EQ(clsid.Data4[7], 0xFD);
    for (const char* bad :
         {"", "76A875E6-EAF0-11D5-8DA4-00107A158EFD", "{76A875E6-EAF0-11D5-8DA4-00107A158EF}",
          "{76A875E6+EAF0-11D5-8DA4-00107A158EFD}", "{76A875E6-EAF0-11D5-8DA4-00107A158EFG}"}) {
        EXPECT_FALSE(GuidFromString(bad).has_value()) << bad;
    }
}

namespace {

template <typename Fn, typename Interface>
Fn Slot(Interface* object, int slot) {
    void** vtable = *reinterpret_cast<void***>(object);
    return reinterpret_cast<Fn>(vtable[slot]);
}

}  // namespace

TEST(NodeInterfaces, OwnMethodsSitInTheirVtableSlots) {
    host::SimNode node = host::FactoryNode::Make();
    host::ClientSite site(node);
    void* read = nullptr;
    void* write = nullptr;
    ASSERT_EQ(site.QueryInterface(IID_INvRead, &read), S_OK);
    ASSERT_EQ(site.QueryInterface(IID_INvWrite, &write), S_OK);
    auto* nvRead = static_cast<INvRead*>(read);
    auto* nvWrite = static_cast<INvWrite*>(write);

    // INvRead: slot 7 ReadNv, slot 8 unused, slot 9 ReadNodeName.
    std::uint8_t buffer[31] = {};
    using ReadNvFn = HRESULT (*)(INvRead*, std::int32_t, std::uint8_t*, std::int32_t);
    EXPECT_EQ(Slot<ReadNvFn>(nvRead, 7)(nvRead, 1, buffer, 31), S_OK);
    EXPECT_EQ(buffer[0], 0x36);
    char name[20] = {};
    using ReadNameFn = HRESULT (*)(INvRead*, char*, std::int32_t);
    EXPECT_EQ(Slot<ReadNameFn>(nvRead, 9)(nvRead, name, 20), S_OK);
    EXPECT_STREQ(name, "AHU1");

    // INvWrite: slot 7 unused, slot 8 WriteNv.
    const std::uint8_t value[2] = {0x12, 0x34};
    using WriteNvFn = HRESULT (*)(INvWrite*, std::int32_t, const std::uint8_t*, std::int32_t);
    EXPECT_EQ(Slot<WriteNvFn>(nvWrite, 8)(nvWrite, 1, value, 2), S_OK);
    EXPECT_EQ(node.GetNv(1)->front(), 0x12);

    // Slots 0 to 2 are IUnknown's.
    using ReleaseFn = std::uint32_t (*)(IUnknown*);
    Slot<ReleaseFn>(nvRead, 2)(nvRead);
    Slot<ReleaseFn>(nvWrite, 2)(nvWrite);
    EXPECT_EQ(site.Outstanding(IID_INvRead), 0);
    EXPECT_EQ(site.Outstanding(IID_INvWrite), 0);
}
