// The CAN pages' values: the settings record, the acquisition code and the
// actuation selection, the speed checks, the list rows' checks in both bases
// and the list chunks on the wire.
#include <gtest/gtest.h>

#include "CanLogic.h"
#include "panel_test_util.h"

TEST(CanLogic, AcquisitionCodeBothWays)
{
    // Code read -> (selection, output) with and without Native offered.
    struct Read {
        int code, selection, outputNative, outputOld;
    } reads[] = {
        {0, 0, 0, 0}, {1, 1, 0, 0}, {2, 2, 0, 0}, {3, 0, 1, 1}, {4, 1, 1, 1},   {5, 2, 1, 1},
        {6, 1, 2, 0}, {7, 2, 2, 0}, {8, 3, 0, 0}, {9, 0, 0, 0}, {200, 0, 0, 0}, {255, 0, 0, 0},
    };
    for (const Read& r : reads) {
        SCOPED_TRACE(r.code);
        EXPECT_EQ(SelectionFromCode(uint8_t(r.code)), r.selection);
        EXPECT_EQ(OutputFromCode(uint8_t(r.code), true), r.outputNative);
        EXPECT_EQ(OutputFromCode(uint8_t(r.code), false), r.outputOld);
    }
    // (selection, output) -> code written; -1 refused.
    struct Write {
        int selection, output, code;
    } writes[] = {
        {0, 0, 0}, {1, 0, 1}, {2, 0, 2}, {3, 0, 8}, {0, 1, 3},  {1, 1, 4},  {2, 1, 5},
        {3, 1, 8}, {0, 2, -1}, {1, 2, 6}, {2, 2, 7}, {3, 2, 8}, {4, 0, -1}, {0, 3, -1}, {-1, 0, -1},
    };
    for (const Write& w : writes) {
        SCOPED_TRACE(testing::Message() << w.selection << "," << w.output);
        uint8_t code = 99;
        ASSERT_EQ(AcquisitionCode(w.selection, w.output, &code), w.code >= 0);
        if (w.code < 0)
            continue;
        EXPECT_EQ(code, w.code);
        if (w.selection != 3) {  // NONE reads back with XML whatever was written
            EXPECT_EQ(SelectionFromCode(code), w.selection);
            EXPECT_EQ(OutputFromCode(code, true), w.output);
        }
    }
}

TEST(CanLogic, ListsByFirmwareAndActuationSelection)
{
    EXPECT_EQ(OutputTypeCount(142), 2);
    EXPECT_EQ(OutputTypeCount(143), 3);
    EXPECT_EQ(ExecSelectionTypeCount(142), 3);
    EXPECT_EQ(ExecSelectionTypeCount(143), 5);
    struct Case {
        int byte, native, old;
    } cases[] = {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}, {3, 3, 0}, {4, 4, 1}, {5, 0, 0}, {255, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.byte);
        EXPECT_EQ(ExecSelectionFromByte(uint8_t(c.byte), true), c.native);
        EXPECT_EQ(ExecSelectionFromByte(uint8_t(c.byte), false), c.old);
    }
    for (int s = -1; s <= 5; ++s)
        EXPECT_EQ(ExecSelectionHasList(s), s == 1 || s == 4) << s;
}

TEST(CanLogic, SettingsRecordAndBitTimingBySpeed)
{
    using Timing = std::array<uint8_t, 5>;
    struct Case {
        uint32_t speed;
        Timing timing;
        int listIndex;
    } cases[] = {
        {20000, {7, 7, 2, 2, 1}, 0},   {19999, {3, 2, 1, 1, 1}, -1},  {20001, {3, 2, 1, 1, 1}, -1},
        {25000, {6, 5, 1, 1, 1}, 1},   {50000, {6, 5, 1, 1, 1}, 2},   {50001, {3, 2, 1, 1, 1}, -1},
        {125000, {3, 2, 1, 1, 1}, 5},  {1000000, {3, 2, 1, 1, 1}, 10}, {0, {3, 2, 1, 1, 1}, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.speed);
        EXPECT_EQ(CanBitTiming(c.speed), c.timing);
        EXPECT_EQ(CanBaudRateIndex(c.speed), c.listIndex);
    }
    const BlockBytes bytes = EncodeCanSettings({125000, 7, 4});
    EXPECT_EQ(bytes, (BlockBytes{0x00, 0x01, 0xE8, 0x48, 3, 2, 1, 1, 1, 7, 4}));
    const CanSettings back = DecodeCanSettings({0x00, 0x0F, 0x42, 0x41, 9, 9, 9, 9, 9, 200, 42});
    EXPECT_EQ(back.speed, 1000001u);
    EXPECT_EQ(back.acquisition, 200);
    EXPECT_EQ(back.actuation, 42);
    EXPECT_EQ(DecodeCanSettings({1, 2, 3}).speed, 0u) << "a short record is not read past its end";
}

TEST(CanLogic, SpeedChecks)
{
    using F = SpeedFault;
    struct Case {
        const char* text;
        F acquisition;  // 0 refused
        F actuation;    // no lower bound
        uint32_t value;
    } cases[] = {
        {"1000000", F::None, F::None, 1000000},
        {"1000001", F::Range, F::Range, 1000001},
        {"1", F::None, F::None, 1},
        {"0", F::Range, F::None, 0},
        {"", F::Range, F::None, 0},
        {"-5", F::Range, F::NotDigits, 0},
        {"12a", F::NotDigits, F::NotDigits, 12},
        {" 125000", F::NotDigits, F::NotDigits, 125000},
        {"99999999999999999999999999", F::Range, F::Range, UINT32_MAX},
        // Only the first 19 characters are looked at, and never past the end.
        {"0000000000000000001x", F::None, F::None, 1},
        {"000000000000000001x", F::NotDigits, F::NotDigits, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(CheckSpeedText(c.text, false), c.acquisition);
        EXPECT_EQ(CheckSpeedText(c.text, true), c.actuation);
        EXPECT_EQ(SpeedValue(c.text), c.value);
    }
    EXPECT_EQ(SpeedFaultText(F::Range), "Baudrate value maximum value: 1000000");
    EXPECT_EQ(SpeedFaultText(F::NotDigits), "Only numbers allowed");
}

TEST(CanLogic, IdsInEitherBase)
{
    struct Case {
        const char* text;
        bool hex;
        uint32_t value;
    } cases[] = {
        {"7ff", true, 2047},          {"7ff", false, 7},          {"2047", false, 2047},
        {"800", true, 2048},          {"", true, 0},              {"", false, 0},
        {"1fffffff", true, 0x1FFFFFFF}, {"0x1f", true, 31},       {"ffffffff", true, 0xFFFFFFFF},
        {"100000000", true, 0xFFFFFFFF}, {"4294967295", false, 0xFFFFFFFF},
        {"4294967296", false, 0xFFFFFFFF}, {"-1", false, 0xFFFFFFFF}, {"-1", true, 0xFFFFFFFF},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CanIdValue(c.text, c.hex), c.value) << c.text << (c.hex ? " hex" : " dec");
    EXPECT_EQ(CanIdText(2047, true), "7ff");
    EXPECT_EQ(CanIdText(2047, false), "2047");
    EXPECT_EQ(CanIdText(0xFFFFFFFF, false), "4294967295");
    EXPECT_EQ(CanIdEditorMode(true, false), 4);
    EXPECT_EQ(CanIdEditorMode(false, false), 5);
    EXPECT_EQ(CanIdEditorMode(true, true), 6);
    EXPECT_EQ(CanIdEditorMode(false, true), 7);
}

TEST(CanLogic, SignalRowChecks)
{
    struct Case {
        SignalCells cells;
        bool hex;
        int column;  // -1 passes
        const char* message;
        CanSignal out;
    } cases[] = {
        {{"2047", "Standard", "0", "8", "Intel"}, false, -1, "", {2047, 0, 0, 8, 0}},
        {{"2048", "Standard", "0", "8", "Intel"}, false, 1, "Msg ID max 0x7FF", {}},
        {{"7ff", "Standard", "3", "8", "Motorola"}, true, -1, "", {2047, 0, 3, 8, 1}},
        {{"800", "Standard", "0", "8", "Intel"}, true, 1, "Msg ID max 0x7FF", {}},
        {{"1fffffff", "Extended", "0", "1", "Intel"}, true, -1, "", {0x1FFFFFFF, 1, 0, 1, 0}},
        {{"20000000", "Extended", "0", "1", "Intel"}, true, 1, "Msg ID max 0x1FFFFFFF", {}},
        {{"536870912", "", "0", "1", "Intel"}, false, 1, "Msg ID max 0x1FFFFFFF", {}},
        // A hex id above 0 with no decimal digit up front is still a used row.
        {{"a", "Standard", "256", "8", "Intel"}, true, 3, "Start Bit max 255", {}},
        {{"a", "Standard", "255", "0", "Intel"}, true, 4, "Length max 255", {}},
        {{"5", "Standard", "-1", "8", "Intel"}, false, 3, "Start Bit max 255", {}},
        {{"5", "Standard", "0", "256", "Intel"}, false, 4, "Length max 255", {}},
        {{"1", "Extended", "255", "255", "Motorola"}, false, -1, "", {1, 1, 255, 255, 1}},
        // An unused row: any start bit, a length from 0 to 255.
        {{"0", "Standard", "300", "0", "Intel"}, false, -1, "", {0, 0, 0, 0, 0}},
        {{"", "Standard", "7", "255", "Intel"}, true, -1, "", {0, 0, 7, 255, 0}},
        {{"0", "Standard", "0", "256", "Intel"}, false, 4, "Length max 255", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cells.id + (c.hex ? " hex" : " dec"));
        CanSignal out;
        CellFault fault;
        ASSERT_EQ(CheckSignalRow(c.cells, c.hex, &out, &fault), c.column < 0);
        if (c.column < 0) {
            EXPECT_EQ(out, c.out);
            continue;
        }
        EXPECT_EQ(fault.column, c.column);
        EXPECT_EQ(fault.message, c.message);
        EXPECT_EQ(fault.caption, wxString(c.message).AfterLast(' ').Prepend("Max "));
    }
}

TEST(CanLogic, MessageRowChecks)
{
    struct Case {
        const char* id;
        const char* type;
        bool enabled, hex, passes;
        CanMessage out;
    } cases[] = {
        {"2047", "Standard", true, false, true, {2047, 0}},
        {"2047", "Standard", false, false, true, {2047, 2}},
        {"10", "Standard", true, true, true, {16, 0}},
        {"7ff", "Standard", true, true, true, {2047, 0}},
        {"800", "Standard", true, true, false, {}},
        {"2048", "Standard", false, false, false, {}},
        {"", "Extended", true, false, true, {0, 1}},
        {"536870911", "", true, false, true, {0x1FFFFFFF, 1}},
        {"20000000", "Extended", true, true, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        CanMessage out{99, 99};
        CellFault fault;
        ASSERT_EQ(CheckMessageRow(c.id, c.type, c.enabled, c.hex, &out, &fault), c.passes);
        if (c.passes)
            EXPECT_EQ(out, c.out);
        else
            EXPECT_EQ(fault.column, 1);
    }
}

TEST(CanLogic, ListChunksOnTheWire)
{
    // A type or byte order above 1 reads as 0 for a signal.
    const std::vector<CanSignal> signals = DecodeSignals({0, 0, 1, 0x23, 5, 8, 16, 7, 0x1F, 0xFF, 0xFF, 0xFF, 1, 0, 1, 1});
    ASSERT_EQ(signals.size(), 2u);
    EXPECT_EQ(signals[0], (CanSignal{291, 0, 8, 16, 0}));
    EXPECT_EQ(signals[1], (CanSignal{0x1FFFFFFF, 1, 0, 1, 1}));
    EXPECT_EQ(EncodeSignals({{291, 1, 8, 16, 1}}), (BlockBytes{0, 0, 1, 0x23, 1, 8, 16, 1}));

    // Above 1 the message list keeps the type (not enabled), the actuation list reads 0.
    const BlockBytes messageBytes = {0x12, 0x34, 0x56, 0x78, 255, 0, 0, 0, 1, 2};
    EXPECT_EQ(DecodeMessages(messageBytes, false), (std::vector<CanMessage>{{0x12345678, 255}, {1, 2}}));
    EXPECT_EQ(DecodeMessages(messageBytes, true), (std::vector<CanMessage>{{0x12345678, 0}, {1, 0}}));
    EXPECT_EQ(EncodeMessages({{16, 2}}), (BlockBytes{0, 0, 0, 16, 2}));

    struct Case {
        uint16_t id;
        uint8_t chunk;
        size_t elements;
        std::vector<int> starts;
    } cases[] = {
        {DATABLOCK_CAN_SIGNALS, 7, 14, {0, 7}},
        {DATABLOCK_CAN_MESSAGES, 8, 32, {0, 8, 16, 24}},
        {DATABLOCK_CAN_EXEC_MESSAGES, 8, 32, {0, 8, 16, 24}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        const size_t size = BlockSize(c.id, 1);
        BlockBytes all(c.elements * size);
        for (size_t i = 0; i < all.size(); ++i)
            all[i] = uint8_t(i);
        const std::vector<BlockValue> blocks = ListChunkBlocks(c.id, c.chunk, all);
        ASSERT_EQ(blocks.size(), c.starts.size());
        for (size_t k = 0; k < blocks.size(); ++k) {
            EXPECT_EQ(blocks[k].index, c.starts[k]);
            EXPECT_EQ(blocks[k].count, c.chunk);
            EXPECT_EQ(blocks[k].bytes, BlockBytes(all.begin() + long(c.starts[k] * size),
                                                  all.begin() + long((c.starts[k] + c.chunk) * size)));
            auto msg = paneltest::NewMsg();
            EXPECT_TRUE(BuildWriteRequest(msg.get(), {blocks[k]}, NoSection)) << "within the datablock";
        }
    }
}
