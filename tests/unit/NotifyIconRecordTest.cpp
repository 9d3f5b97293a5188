#include <gtest/gtest.h>

#include <cstring>

#include "platform/NotifyIconRecord.h"

namespace dustvale {
namespace {

std::uint32_t ReadU32(const unsigned char* bytes, std::size_t offset) {
    return bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 |
           static_cast<std::uint32_t>(bytes[offset + 3]) << 24;
}

TEST(NotifyIconRecord, FieldsLieAtTheShellsOffsetsInLittleEndian) {
    NotifyIconRecord record;
    record.cbSize = 936;
    record.hWnd = 0x11223344;
    record.uID = 1000;
    record.uFlags = 7;
    record.uCallbackMessage = 1025;
    record.hIcon = 0x55667788;
    record.szTip[0] = u'D';
    record.dwState = 2;
    record.szInfo[0] = u'\x263A';
    record.uTimeoutOrVersion = 3;
    record.szInfoTitle[0] = u'T';
    record.dwInfoFlags = 1;

    unsigned char bytes[sizeof record];
    std::memcpy(bytes, &record, sizeof record);

    EXPECT_EQ(ReadU32(bytes, 0), 936u);
    EXPECT_EQ(ReadU32(bytes, 4), 0x11223344u);
    EXPECT_EQ(ReadU32(bytes, 8), 1000u);
    EXPECT_EQ(ReadU32(bytes, 12), 7u);
    EXPECT_EQ(ReadU32(bytes, 16), 1025u);
    EXPECT_EQ(ReadU32(bytes, 20), 0x55667788u);
    EXPECT_EQ(bytes[24], 'D');
    EXPECT_EQ(bytes[25], 0);
    EXPECT_EQ(ReadU32(bytes, 280), 2u);
    EXPECT_EQ(ReadU32(bytes, 284), 0u);
    EXPECT_EQ(bytes[288], 0x3A);
    EXPECT_EQ(bytes[289], 0x26);
    EXPECT_EQ(ReadU32(bytes, 800), 3u);
    EXPECT_EQ(bytes[804], 'T');
    EXPECT_EQ(ReadU32(bytes, 932), 1u);
}

}  // namespace
}  // namespace dustvale
