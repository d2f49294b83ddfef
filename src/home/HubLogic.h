// What the module hub decides without a window: the firmware number, the
// refusals, the feature buttons by type, firmware and login, the terminal's
// data port, and the identity read and alias write on message records.
#pragma once

#include <wx/string.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "cmd_msg.h"

// Firmware numbers and the buffer size the hub compares with. A feature
// needs a number strictly above its threshold.
constexpr int CanFirmwareThreshold = 109;
constexpr int IoButtonThreshold = 112;
constexpr int NewFeaturesThreshold = 119;
constexpr int PowersaveThreshold = 140;
constexpr uint16_t LegacyUsdbBufferSize = 128;

// Window ids of the hub.
enum HubId {
    ID_HUB_NETWORK = 12,
    ID_HUB_UART = 13,
    ID_HUB_TERMINAL = 14,
    ID_HUB_SOCKET = 16,
    ID_HUB_CANBUS = 17,
    ID_HUB_ALIAS_EDIT = 18,
    ID_HUB_ALIAS_SAVE = 19,
    ID_HUB_IO = 20,
    ID_HUB_ADC = 21,
    ID_HUB_ADVANCED = 22,
    ID_HUB_SOCKET_NEW = 23,
    ID_HUB_CANBUS_ACTUATION = 24,
    ID_HUB_I2C = 25,
    ID_HUB_POWERSAVE = 26,
    ID_HUB_BATCH_CONF = 27,
};

// Last five characters of the firmware text without its dots, read as a
// decimal integer the way atoi does ("1.4.0" gives 140, "10.2.3" gives 23).
int FirmwareVersionNumber(const wxString& firmwareText);

// Module texts travel as fixed-width 8-bit fields. Each byte is one
// character (ISO 8859-1 both ways, never the C locale); a zero byte adds
// nothing wherever it stands.
wxString ModuleText(const uint8_t* bytes, size_t size);
// Zero-filled field of `size` bytes; no terminator when the text fills it.
// False, with out untouched, when the text is longer than `size` or holds a
// character that has no 8-bit form.
bool ModuleTextToBytes(const wxString& text, uint8_t* out, size_t size);
// Six bytes as lower-case hexadecimal pairs joined by ":".
wxString MacText(const uint8_t mac[6]);

// The address handed to the protocol library: at most 31 characters, all
// ASCII, ended by a zero byte. False when it does not fit.
bool CopyAddressText(const wxString& ip, char (&out)[32]);

// Why the hub refuses a module; tested in this order.
enum class HubRefusal { None, LegacyBufferSize, UnknownModel, OldCanFirmware };
HubRefusal CheckModule(uint16_t bufferSize, const wxString& modelName, char type, int firmware);
// The text thrown for a refusal (empty for None).
wxString RefusalText(HubRefusal refusal);

// One picture button of the hub, where it goes and what it shows.
struct HubButton {
    int id;
    const char* image;    // file name under the icons folder
    const char* toolTip;  // null: none
    int x;
    int y;
};
// The feature buttons for a module, in creation order, for the first row at
// y0 and the left margin posX.
std::vector<HubButton> HubButtons(char type, int firmware, bool loggedIn, int posX = 30, int y0 = 270);

// The terminal's data port by module type: CAN, digital I/O or serial.
int TerminalDataPort(char type);

// What the hub reads of a module.
struct ModuleIdentity {
    wxString mac;
    wxString firmwareText;
    char type = 'S';
    wxString alias;
    uint16_t bufferSize = 0;
};
// Read request of datablocks 2 and 38, finalised. False when a block is
// refused (the last error says why).
bool BuildIdentityRequest(VEMTOR_COMMAND_MSG* msg);
// Takes MAC and MODULE_INFO out of a reply. False when either is missing.
bool ParseIdentity(const VEMTOR_COMMAND_MSG* reply, ModuleIdentity* identity);

// Write request of the alias (datablock 39, 32 bytes) and the alias section
// save (datablock 24 = 4), finalised. False when a block is refused.
bool BuildAliasWrite(VEMTOR_COMMAND_MSG* msg, const uint8_t alias[MODULE_TEXT_SIZE]);
enum class AliasEcho { Matches, MissingBlock, Differs };
// Whether the reply echoes `alias` as text and the alias section code.
AliasEcho CheckAliasEcho(const VEMTOR_COMMAND_MSG* reply, const wxString& alias);
