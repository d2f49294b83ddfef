#include "AdvancedLogic.h"

#include <cctype>
#include <cstring>

#include "ByteOrder.h"
#include "Common.h"
#include "HubLogic.h"
#include "NumberText.h"

const wxString FilterTypeChoices[2] = {"CPU", "CAN Controller"};
const wxString AutoRebootChoices[2] = {"Disabled", "Enabled"};

namespace {

bool IsOneOf(char c, const char* set)
{
    return c != 0 && std::strchr(set, c) != nullptr;
}

bool IsLong(int firmware)
{
    return firmware > LongLayoutFirmware;
}

// Offsets of the 16-bit fields in each layout; -1 where the layout has none.
struct FieldOffsets {
    int uart_port, can_port, digital_io_port, analogic_input_port, min_data, max_wait_time,
        digital_io_polling, analogic_input_polling, init_string;
};
constexpr FieldOffsets LongOffsets{0, 2, 4, 6, 8, 10, 12, 14, 16};
constexpr FieldOffsets ShortOffsets{0, 2, 4, -1, 6, 8, 10, -1, 12};

const FieldOffsets& Offsets(int firmware)
{
    return IsLong(firmware) ? LongOffsets : ShortOffsets;
}

// The short layout carries the init string only above 121.
bool CarriesInitString(int firmware)
{
    return IsLong(firmware) || firmware > InitStringFirmware;
}

uint16_t Get16(const BlockBytes& b, int at)
{
    return at < 0 ? 0 : uint16_t(BytesToU16(b.at(size_t(at)), b.at(size_t(at) + 1)));
}

void Put16(BlockBytes& b, int at, uint16_t value)
{
    if (at < 0)
        return;
    const uint8_t* bytes = U16ToBytes(value);
    b.at(size_t(at)) = bytes[0];
    b.at(size_t(at) + 1) = bytes[1];
}

struct NumberCheck {
    AdvancedField field;
    bool port;  // ports refuse the configuration port as well
    const char* message;
    const char* caption;
};
const NumberCheck NumberChecks[] = {
    {ADV_UART_PORT, true, "You must specify a valid UART Port between 1 and 65535", "Port Invalid"},
    {ADV_CAN_PORT, true, "You must specify a valid CAN-bus Port between 1 and 65535", "Port Invalid"},
    {ADV_DIGITAL_IO_PORT, true, "You must specify a valid Digital I/O Port between 1 and 65535",
     "Port Invalid"},
    {ADV_ANALOGIC_INPUT_PORT, true, "You must specify a valid Analogic Input Port between 1 and 65535",
     "Port Invalid"},
    {ADV_MIN_DATA, false, "You must specify a valid Min DATA between 1 and 65535", "Min DATA error"},
    {ADV_MAX_WAIT_TIME, false, "You must specify a valid Max TIME between 1 and 65535", "Max TIME error"},
    {ADV_DIGITAL_IO_POLLING, false, "You must specify a valid Digital I/O Polling TIME between 1 and 65535",
     "Polling TIME error"},
    {ADV_ANALOGIC_INPUT_POLLING, false,
     "You must specify a valid Analogic Input Polling TIME between 1 and 65535", "Polling TIME error"},
};

constexpr uint16_t MaxTaskPeriod = 4000;

uint16_t* NumberMember(AdvancedConfig& c, AdvancedField field)
{
    switch (field) {
        case ADV_UART_PORT:
            return &c.uart_port;
        case ADV_CAN_PORT:
            return &c.can_port;
        case ADV_DIGITAL_IO_PORT:
            return &c.digital_io_port;
        case ADV_ANALOGIC_INPUT_PORT:
            return &c.analogic_input_port;
        case ADV_MIN_DATA:
            return &c.min_data;
        case ADV_MAX_WAIT_TIME:
            return &c.max_wait_time;
        case ADV_DIGITAL_IO_POLLING:
            return &c.digital_io_polling;
        case ADV_ANALOGIC_INPUT_POLLING:
            return &c.analogic_input_polling;
        case ADV_TASK_PERIOD:
            return &c.task_period;
        default:
            return nullptr;
    }
}

}  // namespace

bool IsCanType(char type)
{
    return IsOneOf(type, "ABab23");
}

std::vector<AdvancedRow> AdvancedRows(char type, int firmware)
{
    const char t = type;
    const char T = char(std::toupper(static_cast<unsigned char>(type)));
    const bool digitalIo = IsOneOf(t, "CSAB") || IsOneOf(T, "DE") || IsOneOf(t, "01234589");
    const bool analogic = IsOneOf(t, "01234567") && IsLong(firmware);
    const bool serialTiming = !IsOneOf(T, "DE") && !IsOneOf(t, "45");
    const bool tasks = firmware > TaskConfigFirmware;

    std::vector<AdvancedRow> rows;
    const auto add = [&rows](bool shown, AdvancedField field, const char* label, AdvancedControl control) {
        if (shown)
            rows.push_back({field, label, control});
    };
    const auto number = AdvancedControl::Number;
    add(IsOneOf(T, "CS") || IsOneOf(t, "01"), ADV_UART_PORT, "Uart Port", number);
    add(IsOneOf(T, "FG") || IsOneOf(t, "67"), ADV_UART_PORT, "RS485 Port", number);
    add(IsCanType(t), ADV_CAN_PORT, "Can Port", number);
    add(IsCanType(t) && tasks, ADV_FILTER_TYPE, "Filter type", AdvancedControl::Choice);
    add(digitalIo, ADV_DIGITAL_IO_PORT, "Digital I/O Port", number);
    add(analogic, ADV_ANALOGIC_INPUT_PORT, "Analogic Input Port", number);
    add(serialTiming, ADV_MIN_DATA, "Minimum data to start Comunication (byte)", number);
    add(serialTiming, ADV_MAX_WAIT_TIME, "Max waiting time to send (ms)", number);
    add(digitalIo, ADV_DIGITAL_IO_POLLING, "Polling interval for Digital I/O", number);
    add(analogic, ADV_ANALOGIC_INPUT_POLLING, "Polling interval for Analogic Input", number);
    add(firmware > InitStringFirmware && (IsOneOf(T, "CSFG") || IsOneOf(t, "0167")), ADV_INIT_STRING,
        "Init configuration string", AdvancedControl::Text);
    add(tasks, ADV_TASK_PERIOD, "User task period (s)", AdvancedControl::Text);
    add(tasks, ADV_AUTO_REBOOT, "Auto Reboot", AdvancedControl::Choice);
    return rows;
}

size_t InitStringRoom(int firmware)
{
    return IsLong(firmware) ? LongInitStringSize : ShortInitStringSize;
}

std::vector<BlockRef> AdvancedReadBlocks(char type, int firmware)
{
    std::vector<BlockRef> blocks = {{DATABLOCK_ADVANCED}};
    if (firmware > TaskConfigFirmware) {
        if (IsCanType(type))
            blocks.push_back({DATABLOCK_FILTER_TYPE});
        blocks.push_back({DATABLOCK_TASK_CONFIG});
    }
    return blocks;
}

AdvancedConfig DecodeAdvanced(const std::vector<BlockBytes>& values, char type, int firmware)
{
    const BlockBytes& b = values.at(0);
    const FieldOffsets& at = Offsets(firmware);
    AdvancedConfig c;
    c.uart_port = Get16(b, at.uart_port);
    c.can_port = Get16(b, at.can_port);
    c.digital_io_port = Get16(b, at.digital_io_port);
    c.analogic_input_port = Get16(b, at.analogic_input_port);
    c.min_data = Get16(b, at.min_data);
    c.max_wait_time = Get16(b, at.max_wait_time);
    c.digital_io_polling = Get16(b, at.digital_io_polling);
    c.analogic_input_polling = Get16(b, at.analogic_input_polling);
    if (CarriesInitString(firmware) && b.size() >= AdvancedRecordSize)
        c.init_string = ModuleText(b.data() + at.init_string, AdvancedRecordSize - size_t(at.init_string));
    if (firmware > TaskConfigFirmware) {
        size_t next = 1;
        if (IsCanType(type))
            c.filter_type = values.at(next++).at(0);
        const BlockBytes& task = values.at(next);
        c.task_period = uint16_t(BytesToU16(task.at(0), task.at(1)));
        c.auto_reboot = task.at(2);
    }
    return c;
}

bool EncodeAdvanced(const AdvancedConfig& c, int firmware, BlockBytes* out)
{
    BlockBytes b(AdvancedRecordSize, 0);
    const FieldOffsets& at = Offsets(firmware);
    Put16(b, at.uart_port, c.uart_port);
    Put16(b, at.can_port, c.can_port);
    Put16(b, at.digital_io_port, c.digital_io_port);
    Put16(b, at.analogic_input_port, c.analogic_input_port);
    Put16(b, at.min_data, c.min_data);
    Put16(b, at.max_wait_time, c.max_wait_time);
    Put16(b, at.digital_io_polling, c.digital_io_polling);
    Put16(b, at.analogic_input_polling, c.analogic_input_polling);
    if (CarriesInitString(firmware) &&
        !ModuleTextToBytes(c.init_string, b.data() + at.init_string, InitStringRoom(firmware)))
        return false;
    *out = std::move(b);
    return true;
}

bool AdvancedWriteBlocks(const AdvancedConfig& c, char type, int firmware, std::vector<BlockValue>* out)
{
    BlockBytes record;
    if (!EncodeAdvanced(c, firmware, &record))
        return false;
    std::vector<BlockValue> blocks = {MakeBlock(DATABLOCK_ADVANCED, std::move(record))};
    if (firmware > TaskConfigFirmware) {
        if (IsCanType(type))
            blocks.push_back(MakeBlock(DATABLOCK_FILTER_TYPE, {c.filter_type}));
        const uint8_t* period = U16ToBytes(c.task_period);
        blocks.push_back(MakeBlock(DATABLOCK_TASK_CONFIG, {period[0], period[1], c.auto_reboot}));
    }
    *out = std::move(blocks);
    return true;
}

std::optional<AdvancedRefusal> CheckAdvancedForm(const AdvancedForm& form, int firmware)
{
    for (const NumberCheck& check : NumberChecks) {
        const std::optional<wxString>& text = form.text[check.field];
        if (!text)
            continue;
        uint64_t value = 0;
        // A value that does not fit, or is negative, is out of range like any other.
        if (!ReadDecimal(*text, 65535, &value) || value == 0 || (check.port && value == uint64_t(ConfigPort)))
            return AdvancedRefusal{check.field, check.message, check.caption};
    }
    if (const std::optional<wxString>& init = form.text[ADV_INIT_STRING]) {
        // The room the record has for it in this firmware's layout, in 8-bit characters.
        const size_t room = InitStringRoom(firmware);
        uint8_t bytes[ShortInitStringSize];
        if (!ModuleTextToBytes(*init, bytes, room))
            return AdvancedRefusal{
                ADV_INIT_STRING,
                wxString::Format("You must specify a valid Init String - max %u chars", unsigned(room)),
                "Init String error"};
    }
    if (const std::optional<wxString>& period = form.text[ADV_TASK_PERIOD]) {
        uint64_t value = 0;
        if (!ReadDecimal(*period, MaxTaskPeriod, &value))
            return AdvancedRefusal{ADV_TASK_PERIOD, "You must specify a task periodo minor than 4000s",
                                   "Task period error"};
    }
    return std::nullopt;
}

AdvancedConfig AdvancedFromForm(const AdvancedForm& form, const AdvancedConfig& read)
{
    AdvancedConfig c = read;
    for (int f = 0; f < ADV_FIELD_COUNT; ++f) {
        const auto field = AdvancedField(f);
        uint16_t* member = NumberMember(c, field);
        uint64_t value = 0;
        if (member && form.text[f] && ReadDecimal(*form.text[f], UINT16_MAX, &value))
            *member = uint16_t(value);
    }
    if (form.text[ADV_INIT_STRING])
        c.init_string = *form.text[ADV_INIT_STRING];
    const auto chosen = [&form](AdvancedField field, uint8_t* member) {
        const std::optional<int>& s = form.selection[field];
        if (s && *s >= 0 && *s <= 1)
            *member = uint8_t(*s);
    };
    chosen(ADV_FILTER_TYPE, &c.filter_type);
    chosen(ADV_AUTO_REBOOT, &c.auto_reboot);
    return c;
}

int ChoiceIndex(uint8_t value)
{
    return value <= 1 ? value : -1;
}
