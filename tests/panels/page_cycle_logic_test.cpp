// The page cycle on message records: refused reads, values out of replies,
// write requests ending with the section save, and the echo check.
#include <gtest/gtest.h>

#include "PageCycle.h"
#include "cmd_error.h"
#include "panel_test_util.h"

using paneltest::Reply;
using testmod::Block;
using testmod::Bytes;

namespace {

// A built request as the test module's framing decodes it.
testmod::Frame Wire(const VEMTOR_COMMAND_MSG* msg)
{
    Bytes wire(CMD_MSG_FRAME_OVERHEAD + cmd_msg_data_length(msg));
    uint16_t len = 0;
    cmd_msg_serialize(msg, wire.data(), &len);
    wire.resize(len);
    testmod::Frame f;
    size_t used = 0;
    EXPECT_TRUE(testmod::DecodeFrame(wire, &f, &used));
    return f;
}

}  // namespace

TEST(PageCycle, RequestsCarryTheirBlocksOrAreRefused)
{
    auto msg = paneltest::NewMsg();
    // A read one past the socket table, or of no element, is refused.
    for (const std::vector<BlockRef>& refused : {std::vector<BlockRef>{{37, 8, 1}}, {{33, 0, 0}}})
        EXPECT_FALSE(BuildReadRequest(msg.get(), refused));
    ASSERT_TRUE(BuildReadRequest(msg.get(), {{33}, {37, 3, 1}}));
    EXPECT_EQ(testmod::Header(Wire(msg.get())), std::make_tuple(1, 0, int(CMD_ACTION_GET)));
    EXPECT_EQ(paneltest::Tuples(paneltest::BlocksOf(Wire(msg.get()))),
              (paneltest::BlockList{{33, 1, 0, {}}, {37, 3, 1, {}}}));
    // blocks, section, accepted.
    const std::tuple<std::vector<BlockValue>, uint8_t, bool> writes[] = {
        {{MakeBlock(35, {0, 1, 0xC2, 0})}, CONF_SECTION_UART, true},
        {{MakeBlock(35, {0, 1, 0xC2})}, CONF_SECTION_UART, false},        // one byte short
        {{MakeBlock(35, {0, 1, 0xC2, 0, 9})}, CONF_SECTION_UART, false},  // one byte long
        {{MakeBlock(37, Bytes(3 * 18, 7), 3, 1)}, CONF_SECTION_SOCKETS, true},
        {{MakeBlock(37, {}, 0, 1)}, CONF_SECTION_SOCKETS, false},  // no record at all
        {{}, CONF_SECTION_CAN_MESSAGES, true},                     // the save alone
        {{MakeBlock(52, Bytes(5, 1))}, NoSection, true},           // no save at all
    };
    for (const auto& [blocks, section, ok] : writes) {
        SCOPED_TRACE(::testing::Message() << "blocks " << blocks.size() << " section " << int(section));
        cmd_set_error(0);
        ASSERT_EQ(BuildWriteRequest(msg.get(), blocks, section), ok);
        if (!ok) {
            EXPECT_EQ(cmd_get_error(), CMD_ERR_DATABLOCK_NOT_ADDED);
            continue;
        }
        EXPECT_EQ(testmod::Header(Wire(msg.get())), std::make_tuple(1, 0, int(CMD_ACTION_SET)));
        EXPECT_EQ(paneltest::Tuples(paneltest::BlocksOf(Wire(msg.get()))),
                  paneltest::Tuples(paneltest::Echo(blocks, section == NoSection ? -1 : section)));
    }
}

// A block missing or one element short says "datablock not found", never an
// error an earlier exchange left behind.
TEST(PageCycle, ValuesComeOutOfTheReplyInOrder)
{
    const auto reply = Reply({{1, 34, 0, {2}}, {2, 45, 0, {0, 1, 0, 1, 0, 1}}, {1, 33, 0, {2}}});
    std::vector<BlockBytes> values;
    ASSERT_TRUE(TakeBlocks(reply.get(), {{33}, {34}, {45, 2, 0}}, &values));
    EXPECT_EQ(values, (std::vector<BlockBytes>{{2}, {2}, {0, 1, 0, 1, 0, 1}}));
    const std::vector<std::vector<BlockRef>> failing = {{{35}}, {{33}, {45, 3, 0}}, {{57}}};
    for (const auto& blocks : failing) {
        cmd_set_error(CMD_ERR_CONNECT_TIMEOUT);
        values = {{9}};
        EXPECT_FALSE(TakeBlocks(reply.get(), blocks, &values));
        EXPECT_EQ(cmd_get_error(), CMD_ERR_DATABLOCK_NOT_FOUND);
        EXPECT_EQ(values, (std::vector<BlockBytes>{{9}})) << "nothing is taken from a failed reply";
    }
}

TEST(PageCycle, EchoCheckFindsTheFirstDifference)
{
    const std::vector<BlockValue> sent = {MakeBlock(33, {2}), MakeBlock(45, {0, 1, 0, 1, 1, 1}, 2),
                                          MakeBlock(35, {0, 1, 0xC2, 0})};
    // The faithful echo with value byte `byte` of block `block` changed.
    const auto altered = [&](size_t block, size_t byte) {
        std::vector<Block> echo = paneltest::Echo(sent, 2);
        echo[block].values[byte] ^= 0x80;
        return echo;
    };
    std::vector<Block> cut = paneltest::Echo(sent, 2);
    cut[1] = {1, 45, 0, {0, 1, 0}};
    // what, section expected, first mismatch, echo.
    const std::tuple<const char*, uint8_t, int, std::vector<Block>> cases[] = {
        {"faithful", 2, -1, paneltest::Echo(sent, 2)},
        {"faithful, no save expected", NoSection, -1, paneltest::Echo(sent, -1)},
        {"first block differs", 2, 0, altered(0, 0)},
        {"an index byte differs", 2, 1, altered(1, 3)},
        {"last value byte differs", 2, 2, altered(2, 3)},
        {"block echoed one element short", 2, 1, cut},
        {"section byte differs", 2, 3, paneltest::Echo(sent, 3)},
        {"section missing", 2, 3, paneltest::Echo(sent, -1)},
    };
    for (const auto& [what, section, mismatch, echo] : cases)
        EXPECT_EQ(FirstEchoMismatch(Reply(echo, 1).get(), sent, section), mismatch) << what;
}
