#include "HubLogic.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "Common.h"
#include "NumberText.h"
#include "cmd_error.h"

int FirmwareVersionNumber(const wxString& firmwareText)
{
    const size_t n = firmwareText.length();
    const wxString tail = n > 5 ? firmwareText.Mid(n - 5) : firmwareText;
    wxString digits;
    for (wxUniChar c : tail)
        if (c != '.')
            digits += c;

    // At most five characters: always within an int.
    return int(AtoiValue(digits));
}

wxString ModuleText(const uint8_t* bytes, size_t size)
{
    wxString text;
    for (size_t i = 0; i < size; ++i)
        if (bytes[i] != 0)
            text += wxUniChar(static_cast<unsigned>(bytes[i]));
    return text;
}

bool ModuleTextToBytes(const wxString& text, uint8_t* out, size_t size)
{
    if (text.length() > size)
        return false;
    for (wxUniChar c : text)
        if (c.GetValue() > 0xFF)
            return false;
    // No memset: out is null for an empty text in an empty buffer.
    std::fill(out, out + size, uint8_t(0));
    size_t i = 0;
    for (wxUniChar c : text)
        out[i++] = static_cast<uint8_t>(c.GetValue());
    return true;
}

wxString MacText(const uint8_t mac[6])
{
    return wxString::Format("%02x:%02x:%02x:%02x:%02x:%02x", mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
}

bool CopyAddressText(const wxString& ip, char (&out)[32])
{
    if (ip.length() > sizeof out - 1)
        return false;
    for (wxUniChar c : ip)
        if (!c.IsAscii())
            return false;
    memset(out, 0, sizeof out);
    size_t i = 0;
    for (wxUniChar c : ip)
        out[i++] = static_cast<char>(c.GetValue());
    return true;
}

HubRefusal CheckModule(uint16_t bufferSize, const wxString& modelName, char type, int firmware)
{
    if (bufferSize == LegacyUsdbBufferSize)
        return HubRefusal::LegacyBufferSize;
    if (modelName == "Unknown")
        return HubRefusal::UnknownModel;
    // Exact characters: the lower-case CAN types pass.
    const bool can = type == '2' || type == '3' || type == 'A' || type == 'B';
    if (can && firmware <= CanFirmwareThreshold)
        return HubRefusal::OldCanFirmware;
    return HubRefusal::None;
}

wxString RefusalText(HubRefusal refusal)
{
    switch (refusal) {
        case HubRefusal::LegacyBufferSize:
            return "Your Vantrel module has an USDB buffer size of 128 bytes\n\nPlease use Configuration "
                   "Version 1.0.2";
        case HubRefusal::UnknownModel:
            return "Your Vantrel model seems to be unknown. Please contact Vemtor Technical Support";
        case HubRefusal::OldCanFirmware:
            return "Your version of Vantrel CAN-bus is not supported by this Vantrel Glimra version.\n\n"
                   "Please use Vantrel Glimra Version 1.1.9";
        case HubRefusal::None:
            break;
    }
    return wxString();
}

namespace {

char Upper(char c)
{
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

bool IsOneOf(char c, const char* set)
{
    return c != 0 && strchr(set, c) != nullptr;
}

}  // namespace

std::vector<HubButton> HubButtons(char type, int firmware, bool loggedIn, int posX, int y0)
{
    const char t = type;
    const char T = Upper(type);
    const bool newFeatures = firmware > NewFeaturesThreshold;
    std::vector<HubButton> buttons;

    // Left column: fixed places below the first row.
    buttons.push_back(
        {ID_HUB_NETWORK, "wirelessbtn.jpg", "Set NETWORK Wi-Fi configuration parameters", posX, y0});
    buttons.push_back({newFeatures ? ID_HUB_SOCKET_NEW : ID_HUB_SOCKET, "socketbtn.jpg",
                       "Set SOCKET configuration parameters", posX, y0 + 50});
    buttons.push_back({ID_HUB_TERMINAL, "terminalbtn.jpg", "Open Jix-Terminal: a tcp->uart hyper terminal",
                       posX, y0 + 100});
    if (newFeatures && T != 'I')
        buttons.push_back(
            {ID_HUB_ADVANCED, "advanced_btn.jpg", "Set ADVANCED configuration parameters", posX, y0 + 150});

    // Right column: the buttons stack from the first row down.
    const int rightX = posX + 164;
    int y = y0;
    auto right = [&](int id, const char* image, const char* tip) {
        buttons.push_back({id, image, tip, rightX, y});
        y += 50;
    };
    if (IsOneOf(T, "CSFG") || IsOneOf(t, "0167")) {
        right(ID_HUB_UART, "uartbtn.jpg", "Set UART/RS485/RS232 configuration parameters");
    } else if (IsOneOf(T, "AB") || IsOneOf(t, "23")) {
        right(ID_HUB_CANBUS, "canbus_btn.jpg", "Set CANBUS configuration parameters");
        if (newFeatures)
            right(ID_HUB_CANBUS_ACTUATION, "canbusexec_btn.jpg", "Set CANBUS configuration parameters");
    } else if (T == 'I') {
        right(ID_HUB_I2C, "i2cbtn.jpg", "Set I2C configuration parameters");
    }
    const bool digit = t >= '0' && t <= '9';
    if (digit || IsOneOf(t, "SABC") || IsOneOf(T, "DE")) {
        if (firmware > IoButtonThreshold)
            right(ID_HUB_IO, "iobtn.jpg", nullptr);
        if (t >= '0' && t <= '7')
            right(ID_HUB_ADC, "aibtn.jpg", nullptr);
    }

    if (firmware > PowersaveThreshold && loggedIn) {
        buttons.push_back({ID_HUB_POWERSAVE, "powersave_btn.jpg", nullptr, 480, 90});
        buttons.push_back({ID_HUB_BATCH_CONF, "batch_btn.jpg", nullptr, 480, 140});
    }
    return buttons;
}

int TerminalDataPort(char type)
{
    const char T = Upper(type);
    if (IsOneOf(T, "AB") || IsOneOf(type, "23"))
        return CanDataPort;
    if (IsOneOf(T, "DE") || IsOneOf(type, "4589"))
        return IoDataPort;
    return UartDataPort;
}

bool BuildIdentityRequest(VEMTOR_COMMAND_MSG* msg)
{
    cmd_msg_init(msg, 1, 0, CMD_ACTION_GET);
    if (!cmd_msg_add_block(msg, DATABLOCK_MAC, 1, 0, nullptr) ||
        !cmd_msg_add_block(msg, DATABLOCK_MODULE_INFO, 1, 0, nullptr))
        return false;
    cmd_msg_finalize(msg);
    return true;
}

bool ParseIdentity(const VEMTOR_COMMAND_MSG* reply, ModuleIdentity* identity)
{
    uint8_t mac[6] = {};
    if (!cmd_msg_get_block(reply, DATABLOCK_MAC, 1, 0, mac))
        return false;
    uint8_t info[MODULE_INFO_SIZE] = {};
    if (!cmd_msg_get_block(reply, DATABLOCK_MODULE_INFO, 1, 0, info))
        return false;
    identity->mac = MacText(mac);
    identity->firmwareText = ModuleText(info + MODULE_INFO_FIRMWARE_OFFSET, MODULE_TEXT_SIZE);
    identity->type = static_cast<char>(info[MODULE_INFO_TYPE_OFFSET]);
    identity->alias = ModuleText(info + MODULE_INFO_ALIAS_OFFSET, MODULE_TEXT_SIZE);
    identity->bufferSize = static_cast<uint16_t>(info[MODULE_INFO_BUFFER_SIZE_OFFSET] * 256 +
                                                 info[MODULE_INFO_BUFFER_SIZE_OFFSET + 1]);
    return true;
}

bool BuildAliasWrite(VEMTOR_COMMAND_MSG* msg, const uint8_t alias[MODULE_TEXT_SIZE])
{
    const uint8_t section = CONF_SECTION_ALIAS;
    cmd_msg_init(msg, 1, 0, CMD_ACTION_SET);
    if (!cmd_msg_add_block(msg, DATABLOCK_ALIAS, 1, 0, alias) ||
        !cmd_msg_add_block(msg, DATABLOCK_SAVE, 1, 0, &section))
        return false;
    cmd_msg_finalize(msg);
    return true;
}

AliasEcho CheckAliasEcho(const VEMTOR_COMMAND_MSG* reply, const wxString& alias)
{
    uint8_t echo[MODULE_TEXT_SIZE] = {};
    if (!cmd_msg_get_block(reply, DATABLOCK_ALIAS, 1, 0, echo))
        return AliasEcho::MissingBlock;
    uint8_t section = 0;
    if (!cmd_msg_get_block(reply, DATABLOCK_SAVE, 1, 0, &section))
        return AliasEcho::MissingBlock;
    if (ModuleText(echo, sizeof echo) != alias || section != CONF_SECTION_ALIAS)
        return AliasEcho::Differs;
    return AliasEcho::Matches;
}
