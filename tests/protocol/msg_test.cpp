// Framing and receiving, without a socket.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <numeric>
#include <random>
#include <string>

#include "cmd_error.h"
#include "cmd_msg.h"
#include "proto_test_util.h"
#include "test_module.h"

namespace {

Bytes Frame(const Bytes& data, uint16_t action = 0)
{
    testmod::Frame f;
    f.action = action;
    f.data = data;
    return testmod::EncodeFrame(f);
}

Bytes Join(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const Bytes kData = testmod::EncodeBlocks({{1, 2, 0, {9, 8, 7, 6, 5, 4}}, {1, 24, 0, {4}}});

TEST(Crc, CheckValueAndByteWiseRestart)
{
    const char* digits = "123456789";
    EXPECT_EQ(crc16_modbus(digits, 9), 0x4B37);
    uint16_t v = 0;
    for (int round = 0; round < 2; ++round)
        for (int i = 0; i < 9; ++i)
            v = crc16_modbus_update(static_cast<uint8_t>(digits[i]), i == 0);
    EXPECT_EQ(v, 0x4B37);
}

// A request byte for byte: count, length and action most significant byte
// first, the CRC high byte first, then "EN".
TEST(Message, WorkedFrame)
{
    auto m = NewMsg();
    cmd_msg_init(m.get(), 1, 0, CMD_ACTION_GET);
    ASSERT_TRUE(cmd_msg_add_block(m.get(), DATABLOCK_MODULE_INFO, 1, 0, nullptr));
    cmd_msg_finalize(m.get());
    EXPECT_EQ(Serialize(m.get()), Bytes({0x53, 0x54, 0x00, 0x01, 0x00, 0x00, 0x04, 0x00, 0x00, 0x01, 0x00,
                                         0x26, 0x00, 0xEE, 0xF8, 0x45, 0x4E}));
}

// Each limit at and one past it.
TEST(Message, AddBlockLimits)
{
    struct Case {
        uint16_t id;
        uint8_t count, index;
        bool ok;
    } cases[] = {
        {37, 8, 0, true},  {37, 9, 0, false},  {37, 1, 7, true},  {37, 1, 8, false},  {37, 5, 4, false},
        {40, 50, 0, true}, {40, 51, 0, false}, {40, 1, 49, true}, {40, 1, 50, false}, {40, 1, 255, false},
        {2, 0, 0, false},  {0, 1, 0, true},    {55, 1, 0, true},  {56, 1, 0, false},  {57, 1, 0, false},
        {55, 2, 0, false}, {55, 1, 1, false},  {54, 4, 0, true},  {54, 1, 4, false},  {43, 14, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "id " << c.id << " count " << int(c.count) << " index " << int(c.index));
        auto m = NewMsg();
        cmd_msg_init(m.get(), 1, 0, CMD_ACTION_SET);
        Bytes values(size_t(c.count) * (c.id <= 56 ? datablock_table[c.id].size : 1) + 1, 0xAB);
        cmd_set_error(0);
        EXPECT_EQ(cmd_msg_add_block(m.get(), c.id, c.count, c.index, values.data()), c.ok);
        EXPECT_EQ(cmd_get_error(), c.ok ? 0 : CMD_ERR_DATABLOCK_NOT_ADDED);
        EXPECT_EQ(m->idx_data, c.ok ? 4 + c.count * datablock_table[c.id].size : 0);
        EXPECT_EQ(Bytes(m->data, m->data + 4),
                  (c.ok ? Bytes{c.count, 0, uint8_t(c.id), c.index} : Bytes(4, 0)));
    }
}

// Every id's element size as the module knows it, and the byte-order helpers.
TEST(Message, ElementSizesAndByteOrder)
{
    for (uint16_t id = 0; id <= DATABLOCK_MAX_ID; ++id)
        EXPECT_EQ(datablock_table[id].size, testmod::ElementSize(id)) << "id " << id;
    EXPECT_EQ(host_is_big_endian(), __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__);
    for (const auto& [in, out] : {std::pair<uint32_t, uint32_t>{0x12345678, 0x78563412}, {0x000000FF, 0xFF000000},
                                  {0x0000FF00, 0x00FF0000}, {0x00FF0000, 0x0000FF00}, {0xFF000000, 0x000000FF}})
        EXPECT_EQ(swap32(in), out) << std::hex << in;
    for (const auto& [in, out] : {std::pair<uint16_t, uint16_t>{0x1234, 0x3412}, {0x00FF, 0xFF00}, {0xFF00, 0x00FF}})
        EXPECT_EQ(swap16(in), out) << std::hex << in;
}

// A frame's length travels in 16 bits: a request of exactly 65535 frame bytes
// is built, one byte more is refused.
TEST(Message, LargestRequestThatStillFits)
{
    const uint8_t value = 0x11;
    const int max = 65535 - 13;
    const struct {
        int fill;
        bool withValue;  // a 5-byte block, else a 4-byte header
        bool ok;
    } cases[] = {
        {max - 5, true, true}, {max - 4, true, false}, {max - 4, false, true}, {max - 3, false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fill);
        auto m = NewMsg();
        cmd_msg_init(m.get(), 1, 0, CMD_ACTION_SET);
        m->idx_data = uint16_t(c.fill);  // as if blocks had filled it
        EXPECT_EQ(cmd_msg_add_block(m.get(), 0, 1, 0, c.withValue ? &value : nullptr), c.ok);
        cmd_msg_finalize(m.get());
        EXPECT_EQ(Serialize(m.get()).size(), c.ok ? 65535u : size_t(c.fill + 13));
    }
}

// A received message holding the given data, as the receive path leaves it.
std::unique_ptr<VEMTOR_COMMAND_MSG> Received(const Bytes& data)
{
    const Bytes wire = Frame(data);
    auto m = NewMsg();
    cmd_msg_elab(wire.data(), wire.size(), m.get(), nullptr, nullptr);
    EXPECT_TRUE(cmd_msg_is_complete(m.get()));
    return m;
}

// Index counts from the block's first element, not the module's index; every
// header and value run must lie inside dataLength: a run ending exactly there
// is read, one byte short is not.
TEST(Message, GetBlock)
{
    const auto block = [](uint8_t count, uint16_t id, size_t n, uint8_t index = 0) {
        Bytes values(n);
        std::iota(values.begin(), values.end(), 0);
        return testmod::EncodeBlocks({{count, id, index, values}});
    };
    const Bytes reply = Join(Join(block(1, 2, 6), block(1, 39, 32)), block(3, 37, 54, 16));
    constexpr int16_t kKept = CMD_ERR_NOT_SUPPORTED, kNotFound = CMD_ERR_DATABLOCK_NOT_FOUND;
    struct Case {
        const char* name;
        Bytes data;
        uint16_t id;
        uint8_t count, index;
        int16_t error;            // kKept: read, or refused with the previous error kept
        size_t from = 0, to = 0;  // the values read: [from, to) of 0, 1, 2, ...
    } cases[] = {
        {"mac", reply, 2, 1, 0, kKept, 0, 6},
        {"alias", reply, 39, 1, 0, kKept, 0, 32},
        {"last socket", reply, 37, 1, 2, kKept, 36, 54},
        {"absent id", reply, 38, 1, 0, kNotFound},
        {"more than the table allows", reply, 39, 2, 0, kNotFound},
        {"one past the block's elements", reply, 37, 1, 3, kKept},
        {"more than the block carries", reply, 37, 2, 2, kKept},
        {"id above the table", reply, 57, 1, 0, kNotFound},
        {"count zero", reply, 2, 0, 0, kNotFound},
        {"unsent request", {}, 2, 1, 0, kNotFound},
        {"value run exactly to the end", block(1, 39, 32), 39, 1, 0, kKept, 0, 32},
        {"value run one byte short", block(1, 39, 31), 39, 1, 0, kNotFound},
        {"header cut short", {1, 0, 39}, 39, 1, 0, kNotFound},
        {"skipped block exactly to the end", block(1, 2, 6), 39, 1, 0, kNotFound},
        {"skipped block one byte short", block(4, 37, 71), 39, 1, 0, kNotFound},
        {"after a whole skipped block", Join(block(4, 37, 72), block(1, 39, 32)), 39, 1, 0, kKept, 0, 32},
        {"id above 56 in the walk", {1, 0, 90, 0, 1, 0, 39, 0}, 39, 1, 0, kNotFound},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto m = c.data.empty() ? NewMsg() : Received(c.data);
        if (c.data.empty()) {
            cmd_msg_init(m.get(), 1, 0, CMD_ACTION_GET);
            cmd_msg_add_block(m.get(), 2, 1, 0, nullptr);
        }
        // Poison the bytes behind the data: a read of them would return them.
        memset(m->data + c.data.size(), 'X', 200);
        cmd_set_error(kKept);
        uint8_t out[67] = {};
        EXPECT_EQ(cmd_msg_get_block(m.get(), c.id, c.count, c.index, out), c.to > 0);
        EXPECT_EQ(cmd_get_error(), c.error);
        Bytes expected(c.to - c.from);
        std::iota(expected.begin(), expected.end(), c.from);
        EXPECT_EQ(Bytes(out, out + expected.size()), expected);
    }
}

// A partial reset (any value but 1) clears the frame and keeps what waits in
// the receive buffer with its positions; a full one clears everything.
TEST(Message, ResetFullOrPartial)
{
    const struct {
        const char* name;
        void (*reset)(VEMTOR_COMMAND_MSG*);
        bool keepsBuffer;
    } cases[] = {
        {"0", [](VEMTOR_COMMAND_MSG* m) { cmd_msg_reset(0, m); }, true},
        {"2", [](VEMTOR_COMMAND_MSG* m) { cmd_msg_reset(2, m); }, true},
        {"1", [](VEMTOR_COMMAND_MSG* m) { cmd_msg_reset(1, m); }, false},
        {"message first, 1", [](VEMTOR_COMMAND_MSG* m) { cmd_msg_reset(m, 1); }, false},
        {"message first, 0", [](VEMTOR_COMMAND_MSG* m) { cmd_msg_reset(m, 0); }, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto m = Received(kData);
        memcpy(m->buffer, "abc", 3);
        m->idx_stop_buffer = 3, m->idx_buffer = 1;
        c.reset(m.get());
        const auto* raw = reinterpret_cast<const uint8_t*>(m.get());
        EXPECT_EQ(Bytes(raw, raw + CMD_MSG_HEADER_SIZE + kData.size()), Bytes(CMD_MSG_HEADER_SIZE + kData.size(), 0));
        EXPECT_EQ(Bytes(m->crc, m->term + 2), Bytes(4, 0));
        EXPECT_EQ(m->stato_elab, 0);
        EXPECT_EQ(Bytes(m->buffer, m->buffer + 3), c.keepsBuffer ? Bytes({'a', 'b', 'c'}) : Bytes(3, 0));
        EXPECT_EQ(m->idx_stop_buffer, c.keepsBuffer ? 3 : 0);
        EXPECT_EQ(m->idx_buffer, c.keepsBuffer ? 1 : 0);
        EXPECT_EQ(m->idx_data, c.keepsBuffer ? kData.size() : 0);
    }
}

// Lower-case hexadecimal without leading zeros; the wire bytes include the
// header, the CRC and "EN".
TEST(Message, Dump)
{
    auto m = NewMsg();
    cmd_msg_init(m.get(), 0x0102, 0x1F, CMD_ACTION_SET);
    const uint8_t save = CONF_SECTION_ALIAS;
    ASSERT_TRUE(cmd_msg_add_block(m.get(), DATABLOCK_SAVE, 1, 0, &save));
    cmd_msg_finalize(m.get());
    const Bytes frame = Serialize(m.get());
    char crc[32];
    snprintf(crc, sizeof crc, "[%x][%x]->[%x]", frame[14], frame[15], frame[14] << 8 | frame[15]);
    char hexCrc[16];
    snprintf(hexCrc, sizeof hexCrc, "%x %x", frame[14], frame[15]);
    char* text = nullptr;
    size_t size = 0;
    FILE* out = open_memstream(&text, &size);
    ASSERT_NE(out, nullptr);
    cmd_msg_dump(out, m.get());
    fclose(out);
    const std::string rule(79, '=');
    EXPECT_EQ(std::string(text, size),
              "============================VEMTOR_COMMAND_MSG=================================\n"
              "\t head=[53][54]\n\t msgCnt=[1][2]->[102]\n\t dest=[1f]\n\t dataLength=[0][5]->[5]\n"
              "\t action=[0][1]->[1]\n\t crc=" + std::string(crc) + "\n\t term=[45][4e]\n\n"
              "\t data= [1 0 18 0 4 ]\n\n"
              "\t HEX COMM= [53 54 1 2 1f 0 5 0 1 1 0 18 0 4 " + hexCrc + " 45 4e]\n"
              "\t stato_elab=0 idx_buffer=[0], idx_stop_buffer[0], idx_data=[5]\n" + rule + "\n\n");
    free(text);
}

// The codes an exchange ends with, the last table code, the first past it;
// a stored system text wins until the next code, and is cut to 255 bytes.
TEST(LastError, TextsAndPrintForms)
{
    for (const auto& [code, text] :
         {std::pair<int, std::string>{CMD_ERR_CONNECT_TIMEOUT, "socket connection timeout"},
          {CMD_ERR_ELAB, "elab command message failure"},
          {-14, "function is not supported for the selected Vantrel Module"},
          {-15, ""},
          {-1, "winsock init failure"},
          {CMD_ERR_RECV_TIMEOUT, "socket reciv timeout"},
          {-5, "datablock not found"},
          {-7, "invalid virtual com port baudrate"},
          {-8, "invalid virtual com port data size"},
          {-9, "unable to save virtual com port attributes"},
          {-10, "invalid virtual com port parity check"},
          {-11, "invalid Vantrel Module Alias"},
          {-12, "invalid Vantrel Module Network configuration"},
          {-13, "invalid Vantrel Module UART configuration"},
          {0, strerror(0)},
          {-100, ""}}) {
        cmd_set_error(code);
        testing::internal::CaptureStderr();
        cmd_print_error("boot");
        EXPECT_EQ(testing::internal::GetCapturedStderr(),
                  "boot: " + (text.empty() ? "Undefined error: " + std::to_string(code) : text) + "\n");
    }
    cmd_set_system_error(ECONNREFUSED);
    EXPECT_EQ(cmd_get_error(), ECONNREFUSED);
    EXPECT_EQ(cmd_error_text(-4), strerror(ECONNREFUSED));
    cmd_set_error(-4);
    EXPECT_EQ(cmd_error_text(-4), "datablock not added");
    cmd_set_error(5);
    cmd_set_error_text(std::string(400, 'x').c_str());
    EXPECT_EQ(cmd_error_text(5), std::string(255, 'x'));
    // A socket error's text alone: the code stays.
    cmd_set_error(CMD_ERR_RECV_TIMEOUT);
    sock_set_winsock_error_text(ECONNREFUSED);
    EXPECT_EQ(cmd_get_error(), CMD_ERR_RECV_TIMEOUT);
    EXPECT_EQ(cmd_error_text(CMD_ERR_RECV_TIMEOUT), strerror(ECONNREFUSED));
}

int completed = 0, errors = 0;

class Elab : public testing::Test {
protected:
    void SetUp() override
    {
        completed = errors = 0;
        msg = NewMsg();
        cmd_set_error(0);
    }
    void Feed(const Bytes& b, size_t from = 0, size_t n = SIZE_MAX)
    {
        cmd_msg_elab(
            b.data() + from, std::min(n, b.size() - from), msg.get(),
            [](VEMTOR_COMMAND_MSG*) { ++completed; }, [](VEMTOR_COMMAND_MSG*) { ++errors; });
    }
    Bytes Data() const { return Bytes(msg->data, msg->data + cmd_msg_data_length(msg.get())); }

    std::unique_ptr<VEMTOR_COMMAND_MSG> msg;
};

// Complete exactly with the last byte, never before, whatever the chunks.
TEST_F(Elab, SameMessageWhateverTheChunking)
{
    const Bytes frame = Frame(kData, 1);
    struct Case {
        const char* name;
        Bytes stream;
        size_t chunk;  // 0: random sizes
        Bytes data = kData;
    } cases[] = {
        {"one chunk", frame, 1 << 20},
        {"byte by byte", frame, 1},
        {"random chunks", frame, 0},
        {"garbage before", Join({0x00, 'E', 'N', 0xFF, 'T', 0x10}, frame), 0},
        {"S, S, T", Join({'S'}, frame), 0},
        {"no data, byte by byte", Frame({}, 1), 1, {}},
    };
    std::mt19937 rng(7);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        for (size_t off = 0, n; off < c.stream.size(); off += n) {
            n = c.chunk ? c.chunk : 1 + rng() % 7;
            EXPECT_FALSE(cmd_msg_is_complete(msg.get())) << "complete before the last byte";
            Feed(c.stream, off, n);
            EXPECT_EQ(msg->idx_buffer, 0);
        }
        EXPECT_TRUE(cmd_msg_is_complete(msg.get()));
        EXPECT_EQ(completed, 1);
        EXPECT_EQ(errors, 0);
        EXPECT_EQ(Data(), c.data);
        EXPECT_EQ(cmd_msg_action(msg.get()), 1);
        EXPECT_EQ(cmd_msg_count(msg.get()), 1);
    }
}

// Whole streams at once: a bad frame is reported once and a good one behind
// it still found; chunks larger than the receive buffer are taken bit by bit,
// never dropped; a frame behind a complete one waits for the next call (even
// an empty one); bytes behind a frame that cannot be kept are an error.
TEST_F(Elab, WholeStreams)
{
    const Bytes good = Frame(kData), max(65535, 0x5A), small = {1, 0, 24, 0, 7};
    Bytes badTerm = good, badCrc = good, big(65000);
    badTerm.back() = 'X';
    badCrc[badCrc.size() - 3] ^= 0x01;
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = uint8_t('a' + i % 26);
    struct Case {
        const char* name;
        Bytes stream;
        int errors;
        Bytes data;       // empty: not complete
        Bytes next = {};  // a waiting frame's data, taken by an empty call
    } cases[] = {
        {"terminator EX then a good frame", Join(badTerm, good), 1, kData},
        // "...E" then the next frame's 'S' in place of 'N': that 'S' is scanned again.
        {"terminator cut by the next frame", Join(Bytes(good.begin(), good.end() - 1), good), 1, kData},
        {"wrong CRC then a good frame", Join(badCrc, good), 1, kData},
        // The header taken while the start was bad is lost with it.
        {"S then a bad byte then a frame", Join({'S', 'q'}, good), 1, {}},
        {"behind garbage, more than the buffer", Join(Bytes(10000, '.'), Frame(big)), 0, big},
        {"largest frame", Frame(max), 0, max},
        {"too much behind a frame", Join(good, Bytes(70000, '.')), 1, kData},
        {"a frame behind a frame", Join(Join(good, {'x', 'y', 'E', 'N'}), Frame(small)), 0, kData, small},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        Feed(c.stream);
        EXPECT_EQ(errors, c.errors);
        EXPECT_EQ(cmd_get_error(), c.errors ? CMD_ERR_ELAB : 0);
        EXPECT_EQ(cmd_msg_is_complete(msg.get()), !c.data.empty());
        EXPECT_EQ(Data(), c.data);
        if (c.next.empty())
            continue;
        Feed({});
        EXPECT_TRUE(cmd_msg_is_complete(msg.get()));
        EXPECT_EQ(Data(), c.next);
        EXPECT_EQ(completed, 2);
        EXPECT_EQ(errors, 0);
    }
}

}  // namespace
