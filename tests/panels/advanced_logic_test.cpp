// The advanced page's values: the record's two layouts, the rows each module
// shows, the checks at their bounds, and what the form writes.
#include <gtest/gtest.h>

#include <map>

#include "AdvancedLogic.h"
#include "panel_test_util.h"

namespace {

// Numbers all distinct, so that no two fields can be swapped unseen.
AdvancedConfig Sample()
{
    return {0x0102, 0x0304, 0x0506, 0x0708, 0x090A, 0x0B0C, 0x0D0E, 0x0F10, "AT+X", 1, 4000, 1};
}
// Datablock 46 starting with `head`, zeros after.
BlockBytes Record(const BlockBytes& head)
{
    BlockBytes b(AdvancedRecordSize, 0);
    std::copy(head.begin(), head.end(), b.begin());
    return b;
}

// Row codes: U uart, R rs485, C can, F filter, D/d digital I/O port/polling,
// A/a analogic port/polling, m min data, w max wait, I init, T task, B reboot.
std::string RowCodes(char type, int firmware)
{
    static const std::map<AdvancedField, char> codes = {
        {ADV_CAN_PORT, 'C'},           {ADV_FILTER_TYPE, 'F'},
        {ADV_DIGITAL_IO_PORT, 'D'},    {ADV_ANALOGIC_INPUT_PORT, 'A'},
        {ADV_MIN_DATA, 'm'},           {ADV_MAX_WAIT_TIME, 'w'},
        {ADV_DIGITAL_IO_POLLING, 'd'}, {ADV_ANALOGIC_INPUT_POLLING, 'a'},
        {ADV_INIT_STRING, 'I'},        {ADV_TASK_PERIOD, 'T'},
        {ADV_AUTO_REBOOT, 'B'}};
    std::string out;
    for (const AdvancedRow& row : AdvancedRows(type, firmware))
        out += row.field == ADV_UART_PORT ? (row.label == "Uart Port" ? 'U' : 'R') : codes.at(row.field);
    return out;
}

}  // namespace

// Each layout puts the fields at its own offsets, carries the init string
// only where it has room for it, and reads back what it wrote.
TEST(AdvancedLogic, RecordLayoutsByFirmware)
{
    const BlockBytes noInit = Record({1, 2, 3, 4, 5, 6, 9, 10, 11, 12, 13, 14});
    const BlockBytes shortLayout = Record({1, 2, 3, 4, 5, 6, 9, 10, 11, 12, 13, 14, 'A', 'T', '+', 'X'});
    const BlockBytes longLayout =
        Record({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 'A', 'T', '+', 'X'});
    const std::map<int, BlockBytes> others = {{49, {1}}, {50, {0x0F, 0xA0, 1}}};
    struct Case {
        int firmware;
        char type;
        const BlockBytes& record;
        std::vector<int> blocks;
    } cases[] = {
        {121, 'A', noInit, {46}},          {122, 'C', shortLayout, {46}},
        {131, 'A', shortLayout, {46}},     {132, 'A', shortLayout, {46, 49, 50}},
        {132, 'C', shortLayout, {46, 50}}, {142, '2', shortLayout, {46, 49, 50}},
        {143, 'S', longLayout, {46, 50}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.firmware << " " << c.type);
        paneltest::BlockList expected;
        std::vector<int> readIds;
        for (int id : c.blocks)
            expected.emplace_back(id, 1, 0, id == 46 ? c.record : others.at(id));
        for (const BlockRef& b : AdvancedReadBlocks(c.type, c.firmware))
            readIds.push_back(b.id);
        EXPECT_EQ(readIds, c.blocks);
        std::vector<BlockValue> blocks, again;
        ASSERT_TRUE(AdvancedWriteBlocks(Sample(), c.type, c.firmware, &blocks));
        EXPECT_EQ(paneltest::Tuples(blocks), expected);
        std::vector<BlockBytes> values;
        for (const BlockValue& b : blocks)
            values.push_back(b.bytes);
        ASSERT_TRUE(
            AdvancedWriteBlocks(DecodeAdvanced(values, c.type, c.firmware), c.type, c.firmware, &again));
        EXPECT_EQ(paneltest::Tuples(again), expected) << "read back as written";
    }

    // A zero inside the init string's span adds nothing; a full span has no terminator.
    BlockBytes rec(44, 0);
    const uint8_t text[] = {0x41, 0x42, 0x00, 0x43, 0xE9};
    std::copy(text, text + 5, rec.begin() + 16);
    EXPECT_EQ(DecodeAdvanced({rec, {0, 0, 0}}, 'S', 143).init_string, wxString::FromUTF8("ABC\xC3\xA9"));
    std::fill(rec.begin() + 12, rec.end(), 'z');
    EXPECT_EQ(DecodeAdvanced({rec, {0, 0, 0}}, 'S', 142).init_string, wxString(32, 'z'));
    EXPECT_EQ(DecodeAdvanced({rec, {0, 0, 0}}, 'S', 143).init_string, wxString(28, 'z'));

    // No layout lets the string run past the record; one without it ignores it.
    const std::tuple<size_t, int, bool> lengths[] = {
        {28, 143, true}, {29, 143, false}, {32, 142, true}, {33, 142, false}, {33, 121, true}};
    for (const auto& [length, firmware, fits] : lengths) {
        AdvancedConfig c = Sample();
        c.init_string = wxString(length, 'x');
        BlockBytes out;
        EXPECT_EQ(EncodeAdvanced(c, firmware, &out), fits) << length << " " << firmware;
    }
}

TEST(AdvancedLogic, RowsByTypeAndFirmware)
{
    // clang-format off
    const struct {
        char type;
        int firmware;
        const char* rows;
    } cases[] = {
        {'C', 143, "UDmwdITB"}, {'S', 143, "UDmwdITB"}, {'c', 143, "UmwITB"}, {'s', 143, "UmwITB"},
        {'A', 143, "CFDmwdTB"}, {'b', 143, "CFmwTB"}, {'D', 143, "DdTB"}, {'e', 143, "DdTB"},
        {'F', 143, "RmwITB"}, {'g', 143, "RmwITB"}, {'0', 143, "UDAmwdaITB"}, {'3', 143, "CFDAmwdaTB"},
        {'4', 143, "DAdaTB"}, {'7', 143, "RAmwaITB"}, {'8', 143, "DmwdTB"}, {'?', 143, "mwTB"},
        // Init string above 121, filter and tasks above 131, analogic input
        // only where the record carries it (above 142).
        {'C', 121, "UDmwd"}, {'C', 122, "UDmwdI"}, {'A', 131, "CDmwd"}, {'A', 132, "CFDmwdTB"},
        {'0', 142, "UDmwdITB"}, {'4', 142, "DdTB"},
    };
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(RowCodes(c.type, c.firmware), c.rows) << c.type << " " << c.firmware;
}

// Each refusal names its field with its caption and message; the init
// string's tells the room of the firmware's layout.
TEST(AdvancedLogic, ChecksAtTheirBounds)
{
    const char* const messages[] = {
        "",
        "You must specify a valid UART Port between 1 and 65535",
        "You must specify a valid CAN-bus Port between 1 and 65535",
        "You must specify a valid Digital I/O Port between 1 and 65535",
        "You must specify a valid Analogic Input Port between 1 and 65535",
        "You must specify a valid Min DATA between 1 and 65535",
        "You must specify a valid Max TIME between 1 and 65535",
        "You must specify a valid Digital I/O Polling TIME between 1 and 65535",
        "You must specify a valid Analogic Input Polling TIME between 1 and 65535",
        "You must specify a valid Init String - max %d chars",
        "You must specify a task periodo minor than 4000s",
    };
    // clang-format off
    const char* const captions[] = {"", "Port Invalid", "Port Invalid", "Port Invalid", "Port Invalid",
                                    "Min DATA error", "Max TIME error", "Polling TIME error", "Polling TIME error",
                                    "Init String error", "Task period error"};
    const struct {
        AdvancedField field;
        wxString text;
        int firmware;
        int check;  // 0: passes; otherwise the caption and message told
    } cases[] = {
        {ADV_UART_PORT, "1", 143, 0}, {ADV_UART_PORT, "65535", 143, 0}, {ADV_UART_PORT, "64999", 143, 0},
        {ADV_UART_PORT, "65000", 143, 1}, {ADV_UART_PORT, "0", 143, 1}, {ADV_UART_PORT, "", 143, 1},
        {ADV_UART_PORT, "65536", 143, 1}, {ADV_UART_PORT, "99999999999999999999999", 143, 1},
        {ADV_CAN_PORT, "65000", 143, 2}, {ADV_DIGITAL_IO_PORT, "0", 143, 3}, {ADV_DIGITAL_IO_PORT, "65000", 143, 3},
        {ADV_ANALOGIC_INPUT_PORT, "65000", 143, 4}, {ADV_DIGITAL_IO_POLLING, "65000", 143, 0},
        {ADV_MIN_DATA, "65000", 143, 0}, {ADV_MIN_DATA, "0", 143, 5}, {ADV_MAX_WAIT_TIME, "65536", 143, 6},
        {ADV_DIGITAL_IO_POLLING, "", 143, 7}, {ADV_ANALOGIC_INPUT_POLLING, "65535", 143, 0},
        {ADV_ANALOGIC_INPUT_POLLING, "65536", 143, 8},
        {ADV_INIT_STRING, wxString(32, 'x'), 142, 0}, {ADV_INIT_STRING, wxString(33, 'x'), 142, 9},
        {ADV_INIT_STRING, wxString(28, 'x'), 143, 0}, {ADV_INIT_STRING, wxString(29, 'x'), 143, 9},
        {ADV_INIT_STRING, wxString::FromUTF8("\xE2\x82\xAC"), 143, 9},  // no 8-bit form
        {ADV_TASK_PERIOD, "4000", 143, 0}, {ADV_TASK_PERIOD, "", 143, 0}, {ADV_TASK_PERIOD, "abc", 143, 0},
        {ADV_TASK_PERIOD, "4001", 143, 10}, {ADV_TASK_PERIOD, "-1", 143, 10},
        {ADV_TASK_PERIOD, "18446744073709551616", 143, 10},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.field << " \"" << c.text << "\" " << c.firmware);
        AdvancedForm form;
        form.text[c.field] = c.text;
        const auto refusal = CheckAdvancedForm(form, c.firmware);
        ASSERT_EQ(refusal.has_value(), c.check != 0);
        if (refusal) {
            EXPECT_EQ(
                (std::tuple(refusal->field, refusal->caption.ToStdString(), refusal->message.ToStdString())),
                (std::tuple(c.field, std::string(captions[c.check]),
                            wxString::Format(messages[c.check], c.firmware > 142 ? 28 : 32).ToStdString())));
        }
    }

    // Only the first failure in the page's order is told: with every field
    // refused, each mended in turn gives way to the next.
    const std::pair<AdvancedField, wxString> order[] = {{ADV_UART_PORT, "0"},
                                                        {ADV_CAN_PORT, "65000"},
                                                        {ADV_DIGITAL_IO_PORT, "0"},
                                                        {ADV_ANALOGIC_INPUT_PORT, ""},
                                                        {ADV_MIN_DATA, "0"},
                                                        {ADV_MAX_WAIT_TIME, "65536"},
                                                        {ADV_DIGITAL_IO_POLLING, "0"},
                                                        {ADV_ANALOGIC_INPUT_POLLING, ""},
                                                        {ADV_INIT_STRING, wxString(29, 'x')},
                                                        {ADV_TASK_PERIOD, "4001"}};
    AdvancedForm all;
    for (const auto& [field, bad] : order)
        all.text[field] = bad;
    for (const auto& step : order) {
        const auto refusal = CheckAdvancedForm(all, 143);
        ASSERT_TRUE(refusal) << step.first;
        EXPECT_EQ(refusal->field, step.first);
        all.text[step.first] = "1";
    }
    EXPECT_FALSE(CheckAdvancedForm(all, 143));

    // Fields not shown, and lists with nothing chosen, keep what was read.
    AdvancedForm form;
    form.text[ADV_TASK_PERIOD] = "5000";
    form.text[ADV_CAN_PORT] = "502";
    form.selection[ADV_FILTER_TYPE] = -1;
    form.selection[ADV_AUTO_REBOOT] = 0;
    const AdvancedConfig c = AdvancedFromForm(form, Sample());
    EXPECT_EQ((std::vector<int>{c.can_port, c.uart_port, c.task_period, c.filter_type, c.auto_reboot}),
              (std::vector<int>{502, Sample().uart_port, 5000, 1, 0}));
    EXPECT_EQ((std::vector<int>{ChoiceIndex(0), ChoiceIndex(1), ChoiceIndex(2), ChoiceIndex(255)}),
              (std::vector<int>{0, 1, -1, -1}));
}
