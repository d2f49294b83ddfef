#include <gtest/gtest.h>

#include <cstring>

#include "cmd_error.h"
#include "cmd_msg.h"
#include "proto_test_util.h"
#include "test_module.h"

namespace {

TEST(Crc, CheckValueAndEdges)
{
    const char* digits = "123456789";
    EXPECT_EQ(crc16_modbus(digits, 9), 0x4B37);
    EXPECT_EQ(crc16_modbus(digits, 0), 0xFFFF);

    // The byte-wise register gives the same value, and restart begins anew.
    uint16_t v = 0;
    for (int round = 0; round < 2; ++round)
        for (int i = 0; i < 9; ++i)
            v = crc16_modbus_update(static_cast<uint8_t>(digits[i]), i == 0);
    EXPECT_EQ(v, 0x4B37);

    // Against the test module's own bitwise CRC on every length up to 300.
    Bytes data(300);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i * 7 + 3);
    for (size_t n = 0; n <= data.size(); ++n)
        ASSERT_EQ(crc16_modbus(data.data(), n), testmod::Crc16(data.data(), n)) << n;
}

TEST(Message, WorkedFrames)
{
    struct Case {
        const char* name;
        std::vector<uint16_t> ids;
        const char* frame;
    } cases[] = {
        {"read 38", {38}, "53 54 00 01 00 00 04 00 00 01 00 26 00 EE F8 45 4E"},
        {"no blocks", {}, nullptr},
        {"read 2 and 39", {2, 39}, "53 54 00 01 00 00 08 00 00 01 00 02 00 01 00 27 00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto m = NewMsg();
        cmd_msg_init(m.get(), 1, 0, CMD_ACTION_GET);
        for (uint16_t id : c.ids)
            ASSERT_TRUE(cmd_msg_add_block(m.get(), id, 1, 0, nullptr));
        cmd_msg_finalize(m.get());
        Bytes frame = Serialize(m.get());
        // The frame must equal the test module's independent encoding.
        testmod::Frame f;
        for (uint16_t id : c.ids)
            for (uint8_t b : Bytes{1, uint8_t(id >> 8), uint8_t(id), 0})
                f.data.push_back(b);
        EXPECT_EQ(frame, testmod::EncodeFrame(f));
        if (c.frame) {
            // The whole worked frame, or header and data where the CRC is
            // left to the independent encoder above.
            const Bytes expected = Hex(c.frame);
            EXPECT_EQ(Bytes(frame.begin(), frame.begin() + long(std::min(frame.size(), expected.size()))), expected);
        }
        EXPECT_EQ(frame.size(), 13u + 4 * c.ids.size());
    }
}

TEST(Message, AddBlockRefusals)
{
    struct Case {
        uint16_t id;
        uint8_t count, index;
        bool ok;
    } cases[] = {
        {37, 8, 0, true}, {37, 5, 4, false}, {37, 1, 7, true}, {37, 1, 8, false}, {56, 1, 0, false},
        {57, 1, 0, false}, {2, 0, 0, false}, {40, 50, 0, true}, {40, 1, 255, false}, {0, 1, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "id " << c.id << " count " << int(c.count) << " index " << int(c.index));
        auto m = NewMsg();
        cmd_msg_init(m.get(), 1, 0, CMD_ACTION_SET);
        Bytes values(size_t(c.count) * (c.id <= 56 ? datablock_table[c.id].size : 1) + 1, 0xAB);
        cmd_set_error(0);
        EXPECT_EQ(cmd_msg_add_block(m.get(), c.id, c.count, c.index, values.data()), c.ok);
        if (c.ok) {
            EXPECT_EQ(m->idx_data, 4 + c.count * datablock_table[c.id].size);
            EXPECT_EQ(m->data[0], c.count);
            EXPECT_EQ(m->data[2], c.id);
            EXPECT_EQ(m->data[3], c.index);
        } else {
            EXPECT_EQ(cmd_get_error(), CMD_ERR_DATABLOCK_NOT_ADDED);
            EXPECT_EQ(m->idx_data, 0);
            EXPECT_EQ(m->data[0], 0);
        }
    }
}

TEST(Message, FrameNeverPasses65535Bytes)
{
    auto m = NewMsg();
    cmd_msg_init(m.get(), 1, 0, CMD_ACTION_SET);
    Bytes value(128, 0x11);
    int added = 0;
    while (cmd_msg_add_block(m.get(), 55, 1, 0, value.data()))
        ++added;
    EXPECT_EQ(cmd_get_error(), CMD_ERR_DATABLOCK_NOT_ADDED);
    EXPECT_EQ(added, CMD_MSG_MAX_DATA / 132);
    // Header-only blocks still fit up to the limit, never past it.
    while (cmd_msg_add_block(m.get(), 1, 1, 0, nullptr)) {
    }
    cmd_msg_finalize(m.get());
    EXPECT_LE(CMD_MSG_FRAME_OVERHEAD + cmd_msg_data_length(m.get()), 65535);
    EXPECT_GT(CMD_MSG_FRAME_OVERHEAD + cmd_msg_data_length(m.get()), 65535 - 4);
}

// A received message holding the given data, as the receive path leaves it.
std::unique_ptr<VEMTOR_COMMAND_MSG> Received(const Bytes& data)
{
    testmod::Frame f;
    f.data = data;
    Bytes wire = testmod::EncodeFrame(f);
    auto m = NewMsg();
    cmd_msg_elab(wire.data(), wire.size(), m.get(), nullptr, nullptr);
    EXPECT_TRUE(cmd_msg_is_complete(m.get()));
    return m;
}

TEST(Message, GetBlockFromReply)
{
    Bytes mac = {1, 2, 3, 4, 5, 6};
    Bytes alias(32, 0);
    memcpy(alias.data(), "kitchen", 7);
    Bytes sockets(3 * 18);
    for (size_t i = 0; i < sockets.size(); ++i)
        sockets[i] = uint8_t(i);
    auto m = Received(testmod::EncodeBlocks({{1, 2, 0, mac}, {1, 39, 0, alias}, {3, 37, 16, sockets}}));

    uint8_t out[64] = {};
    ASSERT_TRUE(cmd_msg_get_block(m.get(), DATABLOCK_ALIAS, 1, 0, out));
    EXPECT_STREQ(reinterpret_cast<char*>(out), "kitchen");
    ASSERT_TRUE(cmd_msg_get_block(m.get(), DATABLOCK_MAC, 1, 0, out));
    EXPECT_EQ(Bytes(out, out + 6), mac);
    // Index counts from the block's first element, not the module's index 16.
    ASSERT_TRUE(cmd_msg_get_block(m.get(), DATABLOCK_SOCKETS, 1, 2, out));
    EXPECT_EQ(Bytes(out, out + 18), Bytes(sockets.begin() + 36, sockets.end()));

    struct Case {
        const char* name;
        uint16_t id;
        uint8_t count, index;
        int16_t error;  // 0: false with the previous error kept
    } failures[] = {
        {"absent id", 38, 1, 0, CMD_ERR_DATABLOCK_NOT_FOUND},
        {"more than the table allows", 39, 2, 0, CMD_ERR_DATABLOCK_NOT_FOUND},
        {"more than the block carries", 37, 2, 2, 0},
        {"id above the table", 57, 1, 0, CMD_ERR_DATABLOCK_NOT_FOUND},
        {"count zero", 2, 0, 0, CMD_ERR_DATABLOCK_NOT_FOUND},
    };
    for (const Case& c : failures) {
        SCOPED_TRACE(c.name);
        cmd_set_error(CMD_ERR_NOT_SUPPORTED);
        EXPECT_FALSE(cmd_msg_get_block(m.get(), c.id, c.count, c.index, out));
        EXPECT_EQ(cmd_get_error(), c.error ? c.error : int16_t(CMD_ERR_NOT_SUPPORTED));
    }
}

TEST(Message, GetBlockNeverReadsPastDataLength)
{
    struct Case {
        const char* name;
        Bytes data;
        uint16_t id;
    } cases[] = {
        {"unsent request", {}, 2},
        {"values run past the data", {1, 0, 39, 0, 'a', 'b'}, 39},
        {"header cut short", {1, 0}, 2},
        {"walk passes the end", {1, 0, 2, 0, 1, 2, 3, 4, 5, 6}, 39},
        {"skipped block runs past the end", {4, 0, 37, 0, 9, 9}, 39},
        {"id above 56 in the walk", {1, 0, 90, 0, 1, 0, 39, 0}, 39},
    };
    uint8_t out[67];
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto m = c.data.empty() ? NewMsg() : Received(c.data);
        if (c.data.empty()) {
            cmd_msg_init(m.get(), 1, 0, CMD_ACTION_GET);
            cmd_msg_add_block(m.get(), 2, 1, 0, nullptr);
        }
        // Poison the bytes behind the data: a read of them would return them.
        memset(m->data + c.data.size(), 'X', 200);
        cmd_set_error(0);
        EXPECT_FALSE(cmd_msg_get_block(m.get(), c.id, 1, 0, out));
        EXPECT_EQ(cmd_get_error(), CMD_ERR_DATABLOCK_NOT_FOUND);
    }
}

}  // namespace
