// The network page's values without a window: the datablocks it reads and
// how they become the form's values, the checks of the form, the datablocks
// written from it, and the comparison of the module's echo.
#pragma once

#include <wx/arrstr.h>
#include <wx/string.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "PageCycle.h"

// Above this firmware number the key takes 63 characters, else 32, and the
// reboot prompt offers further settings.
constexpr int LongKeyThreshold = 130;
constexpr size_t SsidFieldSize = 32;
constexpr size_t KeyFieldSize = 63;

// List positions of the network type and address assignment.
enum NetChoice { NET_ADHOC = 0, NET_INFRASTRUCTURE = 1, ADDRESS_MANUAL = 0, ADDRESS_DHCP = 1 };

// What the read leaves for the form. Numbers are as the module gave them
// (the network type 2, Ad-Hoc with WEP, already made 0).
struct NetFormValues {
    uint8_t dhcp = 0;
    wxString ip;
    wxString macaddress;
    int rfpower = 0;
    wxString ssid;
    wxString netmask;
    wxString gateway;
    int nwtype = 0;
    int channel = 0;   // the channel number
    int security = 0;  // the security code: 0 None, 1 WPA, 2 WPA2, 3 WEP
    wxString psk;
};

// What the controls hold. Choices are list positions, -1 for none.
struct NetForm {
    int dhcp = 0;
    wxString ip;
    int rfpower = 0;
    wxString ssid;
    wxString netmask;
    wxString gateway;
    int nwtype = 0;
    int channel = 0;   // the channel number less one
    int security = 0;  // position in the list of nwtype
    wxString psk;
};

extern const wxString AddressChoices[2];      // "Manual", "DHCP"
extern const wxString RfPowerChoices[3];      // "Low", "Medium", "High"
extern const wxString NetworkTypeChoices[2];  // "Ad-Hoc", "Infrastructure"
// The security list of a network type: Ad-Hoc "None", "WEP"; any other
// "None", "WPA", "WPA2", "WEP".
wxArrayString SecurityChoices(int nwtype);
// "1" to "13".
wxArrayString ChannelChoices();

// Datablocks 13, 14, 2, 10, 8, 15, 16, 5, 12, 6 and 9, taken from the reply
// in that order; the alias (39) is asked for after them but never taken.
const std::vector<BlockRef>& NetReadBlocks();
const std::vector<BlockRef>& NetAskedOnly();
// The values of NetReadBlocks' blocks; the key is 63 bytes above
// LongKeyThreshold, else its first 32.
NetFormValues DecodeNet(const std::vector<BlockBytes>& values, int firmware);

// Four bytes as dotted decimals; a dotted text of four decimals from 0 to
// 255 back to bytes (false, out untouched, for anything else).
wxString DottedText(const uint8_t* bytes);
bool DottedBytes(const wxString& text, uint8_t out[4]);

// `value` when it is a position of a list of `count`, else -1.
int ChoiceIndex(int value, int count);
// The form as the page first shows it: a value outside its list selects
// nothing; an Ad-Hoc WEP (3) is the second entry of its list, and WPA or
// WPA2 have no entry there.
NetForm FormFromValues(const NetFormValues& values);
// The security position in the list of nwtype that the code read selects.
int SecurityIndex(int nwtype, int securityCode);

int KeyMaxLength(int firmware);
bool IsWepKey(int nwtype, int security);
bool IsWpaKey(int nwtype, int security);

// The checks of the edit button, in their order; the first failure counts.
enum class NetCheck { Ok, Ip, Gateway, Netmask, KeyMissing, WepLength, WpaLength };
NetCheck CheckNet(bool ipValid, bool gatewayValid, bool netmaskValid, int nwtype, int security,
                  const wxString& key);
wxString NetCheckText(NetCheck check);

// The module's security code for the choices; a list with no entry chosen
// keeps the code read.
uint8_t SecurityCode(int nwtype, int security, uint8_t readCode);

// Why the form cannot be written.
enum class NetRefusal { None, Address, Ssid, Key };
// The datablocks of the write, in order (the section save is the caller's):
// 13, 14, 10, 8, 15, 16 for Infrastructure only, 5, 12 for Ad-Hoc only, 6,
// 9 unless the security is None, 11. A list with no entry chosen writes the
// value read. `blocks` is untouched when the form is refused.
NetRefusal NetWriteBlocks(const NetForm& form, const NetFormValues& read, std::vector<BlockValue>* blocks);
wxString NetRefusalText(NetRefusal refusal);

// The module's echo of a write, compared in its order with the form and the
// bytes sent (the address assignment is not compared).
enum class NetEcho { Matches, Differs, NetmaskDiffers };
NetEcho CheckNetEcho(const VEMTOR_COMMAND_MSG* reply, const NetForm& form,
                     const std::vector<BlockValue>& sent);
// "" when it matches; the netmask has its own text, without "!".
wxString NetEchoText(NetEcho echo);
