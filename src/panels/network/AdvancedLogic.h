// The advanced page's values without a window: the service ports, serial
// timing, init string, CAN filter and user task settings in their firmware
// layouts, the rows each module shows, the checks of the form and the
// datablocks read and written.
#pragma once

#include <wx/string.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "PageCycle.h"

// Firmware numbers the page compares with; a feature needs a number above.
constexpr int InitStringFirmware = 121;  // init string in the short layout; the reboot prompt asks for more
constexpr int TaskConfigFirmware = 131;  // datablocks 49 and 50
constexpr int LongLayoutFirmware = 142;  // the long advanced record

constexpr size_t AdvancedRecordSize = 44;
constexpr size_t LongInitStringSize = 28;
constexpr size_t ShortInitStringSize = 32;

// Datablocks 46, 49 and 50 as the page keeps them.
struct AdvancedConfig {
    uint16_t uart_port = 0;
    uint16_t can_port = 0;
    uint16_t digital_io_port = 0;
    uint16_t analogic_input_port = 0;
    uint16_t min_data = 0;
    uint16_t max_wait_time = 0;
    uint16_t digital_io_polling = 0;
    uint16_t analogic_input_polling = 0;
    wxString init_string;
    uint8_t filter_type = 0;
    uint16_t task_period = 0;
    uint8_t auto_reboot = 0;
};

bool IsCanType(char type);

// The page's rows, top to bottom.
enum AdvancedField {
    ADV_UART_PORT,
    ADV_CAN_PORT,
    ADV_FILTER_TYPE,
    ADV_DIGITAL_IO_PORT,
    ADV_ANALOGIC_INPUT_PORT,
    ADV_MIN_DATA,
    ADV_MAX_WAIT_TIME,
    ADV_DIGITAL_IO_POLLING,
    ADV_ANALOGIC_INPUT_POLLING,
    ADV_INIT_STRING,
    ADV_TASK_PERIOD,
    ADV_AUTO_REBOOT,
    ADV_FIELD_COUNT
};

enum class AdvancedControl { Number, Text, Choice };

struct AdvancedRow {
    AdvancedField field;
    wxString label;
    AdvancedControl control;
};

// The rows a module of this type and firmware shows. The analogic input
// rows need the long layout: the short record has no place for them.
std::vector<AdvancedRow> AdvancedRows(char type, int firmware);

extern const wxString FilterTypeChoices[2];  // "CPU", "CAN Controller"
extern const wxString AutoRebootChoices[2];  // "Disabled", "Enabled"

// Room for the init string in the layout of this firmware.
size_t InitStringRoom(int firmware);

// Datablock 46, then 49 for CAN types and 50 above 131.
std::vector<BlockRef> AdvancedReadBlocks(char type, int firmware);
// The values of AdvancedReadBlocks' blocks, in that order.
AdvancedConfig DecodeAdvanced(const std::vector<BlockBytes>& values, char type, int firmware);

// The 44 bytes of datablock 46 in the firmware's layout. False when the
// init string does not fit its room or has a character without 8-bit form.
bool EncodeAdvanced(const AdvancedConfig& config, int firmware, BlockBytes* out);
// Datablock 46, then 49 for CAN types and 50 above 131; false as EncodeAdvanced.
bool AdvancedWriteBlocks(const AdvancedConfig& config, char type, int firmware, std::vector<BlockValue>* out);

// What the form holds: the text of each text field shown and the selection
// of each list shown (-1: none); fields not shown stay empty.
struct AdvancedForm {
    std::optional<wxString> text[ADV_FIELD_COUNT];
    std::optional<int> selection[ADV_FIELD_COUNT];
};

struct AdvancedRefusal {
    AdvancedField field;
    wxString message;
    wxString caption;
};

// The first check the form fails, in the page's order; none when it passes.
std::optional<AdvancedRefusal> CheckAdvancedForm(const AdvancedForm& form, int firmware);

// The settings a form that passed its checks stands for: fields not shown,
// and lists with no entry chosen, keep the values read.
AdvancedConfig AdvancedFromForm(const AdvancedForm& form, const AdvancedConfig& read);

// A list entry for a value read; -1 for a value outside the two entries.
int ChoiceIndex(uint8_t value);
