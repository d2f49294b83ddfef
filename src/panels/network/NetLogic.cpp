#include "NetLogic.h"

#include <algorithm>
#include <cstring>

#include "HubLogic.h"

const wxString AddressChoices[2] = {"Manual", "DHCP"};
const wxString RfPowerChoices[3] = {"Low", "Medium", "High"};
const wxString NetworkTypeChoices[2] = {"Ad-Hoc", "Infrastructure"};

namespace {

constexpr uint8_t kNetworkTypeAdHocWep = 2;
constexpr uint8_t kSecurityWep = 3;

// Position of each block in NetReadBlocks' order.
enum ReadSlot {
    R_DHCP,
    R_IP,
    R_MAC,
    R_SSID,
    R_RFPOWER,
    R_NETMASK,
    R_GATEWAY,
    R_NWTYPE,
    R_CHANNEL,
    R_SECURITY,
    R_KEY
};

const BlockValue* FindSent(const std::vector<BlockValue>& sent, uint16_t id)
{
    for (const BlockValue& b : sent)
        if (b.id == id)
            return &b;
    return nullptr;
}

// A choice with no entry keeps what the module reported.
uint8_t ChosenOr(int index, int read)
{
    return uint8_t(index >= 0 ? index : read);
}

bool AddressBlock(uint16_t id, const wxString& text, std::vector<BlockValue>* blocks)
{
    uint8_t bytes[4];
    if (!DottedBytes(text, bytes))
        return false;
    blocks->push_back(MakeBlock(id, BlockBytes(bytes, bytes + 4)));
    return true;
}

bool TextBlock(uint16_t id, const wxString& text, size_t size, std::vector<BlockValue>* blocks)
{
    BlockBytes bytes(size);
    if (!ModuleTextToBytes(text, bytes.data(), size))
        return false;
    blocks->push_back(MakeBlock(id, std::move(bytes)));
    return true;
}

}  // namespace

wxArrayString SecurityChoices(int nwtype)
{
    wxArrayString list;
    list.Add("None");
    if (nwtype != NET_ADHOC) {
        list.Add("WPA");
        list.Add("WPA2");
    }
    list.Add("WEP");
    return list;
}

wxArrayString ChannelChoices()
{
    wxArrayString list;
    for (int i = 1; i <= 13; ++i)
        list.Add(wxString::Format("%d", i));
    return list;
}

const std::vector<BlockRef>& NetReadBlocks()
{
    static const std::vector<BlockRef> blocks = {
        {DATABLOCK_DHCP},     {DATABLOCK_IP},       {DATABLOCK_MAC},     {DATABLOCK_SSID},
        {DATABLOCK_RF_POWER}, {DATABLOCK_NETMASK},  {DATABLOCK_GATEWAY}, {DATABLOCK_NETWORK_TYPE},
        {DATABLOCK_CHANNEL},  {DATABLOCK_SECURITY}, {DATABLOCK_KEY}};
    return blocks;
}

const std::vector<BlockRef>& NetAskedOnly()
{
    static const std::vector<BlockRef> blocks = {{DATABLOCK_ALIAS}};
    return blocks;
}

NetFormValues DecodeNet(const std::vector<BlockBytes>& values, int firmware)
{
    NetFormValues v;
    v.dhcp = values.at(R_DHCP).at(0);
    v.ip = DottedText(values.at(R_IP).data());
    v.macaddress = MacText(values.at(R_MAC).data());
    v.ssid = ModuleText(values.at(R_SSID).data(), values.at(R_SSID).size());
    v.rfpower = values.at(R_RFPOWER).at(0);
    v.netmask = DottedText(values.at(R_NETMASK).data());
    v.gateway = DottedText(values.at(R_GATEWAY).data());
    const uint8_t type = values.at(R_NWTYPE).at(0);
    v.nwtype = type == kNetworkTypeAdHocWep ? int(NET_ADHOC) : int(type);
    v.channel = values.at(R_CHANNEL).at(0);
    v.security = values.at(R_SECURITY).at(0);
    const BlockBytes& key = values.at(R_KEY);
    v.psk = ModuleText(key.data(), std::min(key.size(), size_t(KeyMaxLength(firmware))));
    return v;
}

wxString DottedText(const uint8_t* bytes)
{
    return wxString::Format("%u.%u.%u.%u", bytes[0], bytes[1], bytes[2], bytes[3]);
}

bool DottedBytes(const wxString& text, uint8_t out[4])
{
    uint8_t bytes[4];
    size_t part = 0;
    unsigned value = 0;
    size_t digits = 0;
    for (size_t i = 0; i <= text.length(); ++i) {
        const wxUniChar c = i < text.length() ? text[i] : wxUniChar('.');
        if (c == '.') {
            if (digits == 0 || part == 4)
                return false;
            bytes[part++] = uint8_t(value);
            value = 0;
            digits = 0;
        } else if (c >= '0' && c <= '9' && digits < 3) {
            value = value * 10 + unsigned(c.GetValue() - '0');
            ++digits;
            if (value > 255)
                return false;
        } else {
            return false;
        }
    }
    if (part != 4)
        return false;
    std::memcpy(out, bytes, 4);
    return true;
}

int ChoiceIndex(int value, int count)
{
    return value >= 0 && value < count ? value : -1;
}

int SecurityIndex(int nwtype, int securityCode)
{
    if (nwtype != NET_ADHOC)
        return ChoiceIndex(securityCode, 4);
    if (securityCode == 0)
        return 0;
    return securityCode == kSecurityWep ? 1 : -1;
}

NetForm FormFromValues(const NetFormValues& values)
{
    NetForm form;
    form.dhcp = ChoiceIndex(values.dhcp, 2);
    form.ip = values.ip;
    form.rfpower = ChoiceIndex(values.rfpower, 3);
    form.ssid = values.ssid;
    form.netmask = values.netmask;
    form.gateway = values.gateway;
    form.nwtype = ChoiceIndex(values.nwtype, 2);
    form.channel = ChoiceIndex(values.channel - 1, 13);
    form.security = SecurityIndex(values.nwtype, values.security);
    form.psk = values.psk;
    return form;
}

int KeyMaxLength(int firmware)
{
    return firmware > LongKeyThreshold ? int(KeyFieldSize) : int(SsidFieldSize);
}

bool IsWepKey(int nwtype, int security)
{
    return (nwtype == NET_ADHOC && security == 1) || (nwtype == NET_INFRASTRUCTURE && security == 3);
}

bool IsWpaKey(int nwtype, int security)
{
    return nwtype == NET_INFRASTRUCTURE && (security == 1 || security == 2);
}

NetCheck CheckNet(bool ipValid, bool gatewayValid, bool netmaskValid, int nwtype, int security,
                  const wxString& key)
{
    if (!ipValid)
        return NetCheck::Ip;
    if (!gatewayValid)
        return NetCheck::Gateway;
    if (!netmaskValid)
        return NetCheck::Netmask;
    if (IsWepKey(nwtype, security)) {
        if (key.empty())
            return NetCheck::KeyMissing;
        if (key.length() != 10 && key.length() != 26)
            return NetCheck::WepLength;
    }
    if (IsWpaKey(nwtype, security) && key.length() < 8)
        return NetCheck::WpaLength;
    return NetCheck::Ok;
}

wxString NetCheckText(NetCheck check)
{
    switch (check) {
        case NetCheck::Ok:
            break;
        case NetCheck::Ip:
            return "Ip Format Error";
        case NetCheck::Gateway:
            return "Gateway Format Error";
        case NetCheck::Netmask:
            return "Netmask Format Error";
        case NetCheck::KeyMissing:
            return "Password must be defined";
        case NetCheck::WepLength:
            return "WEP Password must have 10 or 26 hex values";
        case NetCheck::WpaLength:
            return "WPA Password must be defined with at least 8 characters";
    }
    return wxString();
}

uint8_t SecurityCode(int nwtype, int security, uint8_t readCode)
{
    if (security < 0)
        return readCode;
    if (nwtype == NET_ADHOC)
        return security == 1 ? kSecurityWep : 0;
    return uint8_t(security);
}

NetRefusal NetWriteBlocks(const NetForm& form, const NetFormValues& read, std::vector<BlockValue>* blocks)
{
    const bool adHoc = form.nwtype == NET_ADHOC;
    const bool infrastructure = form.nwtype == NET_INFRASTRUCTURE;
    const uint8_t security = SecurityCode(form.nwtype, form.security, uint8_t(read.security));
    uint8_t nwtype = ChosenOr(form.nwtype, read.nwtype);
    if (adHoc && form.security == 1)
        nwtype = kNetworkTypeAdHocWep;

    std::vector<BlockValue> out;
    out.push_back(MakeBlock(DATABLOCK_DHCP, {ChosenOr(form.dhcp, read.dhcp)}));
    if (!AddressBlock(DATABLOCK_IP, form.ip, &out))
        return NetRefusal::Address;
    if (!TextBlock(DATABLOCK_SSID, form.ssid, SsidFieldSize, &out))
        return NetRefusal::Ssid;
    out.push_back(MakeBlock(DATABLOCK_RF_POWER, {ChosenOr(form.rfpower, read.rfpower)}));
    if (!AddressBlock(DATABLOCK_NETMASK, form.netmask, &out))
        return NetRefusal::Address;
    if (infrastructure && !AddressBlock(DATABLOCK_GATEWAY, form.gateway, &out))
        return NetRefusal::Address;
    out.push_back(MakeBlock(DATABLOCK_NETWORK_TYPE, {nwtype}));
    if (adHoc)
        out.push_back(
            MakeBlock(DATABLOCK_CHANNEL, {uint8_t(form.channel >= 0 ? form.channel + 1 : read.channel)}));
    out.push_back(MakeBlock(DATABLOCK_SECURITY, {security}));
    if (security != 0 && !TextBlock(DATABLOCK_KEY, form.psk, KeyFieldSize, &out))
        return NetRefusal::Key;
    out.push_back(MakeBlock(DATABLOCK_ADHOC, {uint8_t(infrastructure ? 0 : 1)}));
    *blocks = std::move(out);
    return NetRefusal::None;
}

wxString NetRefusalText(NetRefusal refusal)
{
    switch (refusal) {
        case NetRefusal::None:
            break;
        case NetRefusal::Address:
            return "Address Format Error. Configuration not saved!";
        case NetRefusal::Ssid:
            return "The SSID must have at most 32 characters, each of one byte. Configuration not saved!";
        case NetRefusal::Key:
            return "The Password must have at most 63 characters, each of one byte. Configuration not saved!";
    }
    return wxString();
}

NetEcho CheckNetEcho(const VEMTOR_COMMAND_MSG* reply, const NetForm& form,
                     const std::vector<BlockValue>& sent)
{
    // The order of the comparison; blocks that were not sent are skipped.
    static const uint16_t order[] = {
        DATABLOCK_IP,           DATABLOCK_SSID,    DATABLOCK_RF_POWER, DATABLOCK_NETMASK, DATABLOCK_GATEWAY,
        DATABLOCK_NETWORK_TYPE, DATABLOCK_CHANNEL, DATABLOCK_SECURITY, DATABLOCK_KEY,     DATABLOCK_ADHOC};
    uint8_t echo[256];
    for (uint16_t id : order) {
        const BlockValue* b = FindSent(sent, id);
        if (!b)
            continue;
        std::memset(echo, 0, sizeof echo);
        if (!cmd_msg_get_block(reply, id, 1, 0, echo))
            return NetEcho::Differs;
        const size_t size = b->bytes.size();
        switch (id) {
            case DATABLOCK_IP:
                if (DottedText(echo) != form.ip)
                    return NetEcho::Differs;
                break;
            case DATABLOCK_NETMASK:
                if (DottedText(echo) != form.netmask)
                    return NetEcho::NetmaskDiffers;
                break;
            case DATABLOCK_GATEWAY:
                if (DottedText(echo) != form.gateway)
                    return NetEcho::Differs;
                break;
            case DATABLOCK_SSID:
                if (ModuleText(echo, size) != form.ssid)
                    return NetEcho::Differs;
                break;
            case DATABLOCK_KEY:
                if (ModuleText(echo, size) != form.psk)
                    return NetEcho::Differs;
                break;
            default:
                if (echo[0] != b->bytes.at(0))
                    return NetEcho::Differs;
                break;
        }
    }
    uint8_t saved[256] = {};
    if (!cmd_msg_get_block(reply, DATABLOCK_SAVE, 1, 0, saved) || saved[0] != CONF_SECTION_NETWORK)
        return NetEcho::Differs;
    return NetEcho::Matches;
}

wxString NetEchoText(NetEcho echo)
{
    switch (echo) {
        case NetEcho::Matches:
            break;
        case NetEcho::Differs:
            return "Configuration saved with errors!";
        case NetEcho::NetmaskDiffers:
            return "Configuration saved with errors";
    }
    return wxString();
}
