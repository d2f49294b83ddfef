// The network configuration file: the form as the user sees it (list
// positions, not the module's codes) under root/network, written and read
// through the GUI library's XML support.
#pragma once

#include <wx/string.h>

#include <array>
#include <cstddef>

#include "NetLogic.h"

// The ten elements, in the order they are written.
enum NetXmlElement {
    XML_DHCP,
    XML_IP,
    XML_RFPOWER,
    XML_SSID,
    XML_NETMASK,
    XML_GATEWAY,
    XML_NWTYPE,
    XML_CHANNEL,
    XML_SECURITY,
    XML_PSK,
    XML_ELEMENT_COUNT
};
extern const char* const NetXmlNames[XML_ELEMENT_COUNT];
using NetXmlValues = std::array<wxString, XML_ELEMENT_COUNT>;

// "lastConfig.xml", in the working folder.
extern const wxString LastConfigFile;

// The texts the form writes: choices as "%d" of their position (-1 for
// none), the channel as its number (0 for none), texts unchanged.
NetXmlValues NetXmlFromForm(const NetForm& form);

// How a save ended. The file is written beside `path` and renamed over it
// only once whole, so a failure leaves any earlier file as it was.
enum class XmlSave { Saved, CannotCreate, Failed };
XmlSave SaveNetXml(const wxString& path, const NetXmlValues& values);

// How a load ended. Values are the texts of the elements found under every
// root/network, the last of a name winning; others stay empty.
enum class XmlLoad { Loaded, NotXml, NoRoot };
XmlLoad LoadNetXml(const wxString& path, NetXmlValues* values);
// The same from the file's bytes. Bytes larger or nested deeper than such a
// file ever is (NetXmlMaxBytes, NetXmlMaxDepth), or with a document type
// declaration of their own, are NotXml before any tree is built.
XmlLoad ParseNetXml(const char* bytes, size_t size, NetXmlValues* values);
constexpr size_t NetXmlMaxBytes = 64 * 1024;
constexpr int NetXmlMaxDepth = 32;

// Whether the form may take what a file holds: every choice given (empty
// counts as not given) exactly one of its accepted texts, the security a
// position of the list of the network type that the form will show
// (currentNwtype unless the file changes it), and texts no longer than their
// fields (the SSID 32 characters, the key keyMax).
enum class XmlAccept { Accepted, BadChoice, SsidTooLong, KeyTooLong };
XmlAccept CheckNetXml(const NetXmlValues& values, int currentNwtype, size_t keyMax);
// Why a file was refused; empty for a bad choice, which is refused silently.
wxString XmlRefusalText(XmlAccept accept, size_t keyMax);
