#include "NetXml.h"

#include <wx/filename.h>
#include <wx/log.h>
#include <wx/mstream.h>
#include <wx/xml/xml.h>

#include <algorithm>
#include <cstring>
#include <fstream>

#include "Files.h"

const char* const NetXmlNames[XML_ELEMENT_COUNT] = {"dhcp",    "ip",     "rfpower", "ssid",     "netmask",
                                                    "gateway", "nwtype", "channel", "security", "psk"};

const wxString LastConfigFile = wxS("lastConfig.xml");

namespace {

wxString Number(int value)
{
    return wxString::Format("%d", value);
}

// A choice text: empty (not given) or exactly one of `accepted`.
bool Accepted(const wxString& text, int first, int last)
{
    if (text.empty())
        return true;
    for (int i = first; i <= last; ++i)
        if (text == Number(i))
            return true;
    return false;
}

// The part of [from, end) after the first `what`; null when there is none.
const char* After(const char* from, const char* end, const char* what)
{
    const char* at = std::search(from, end, what, what + std::strlen(what));
    return at == end ? nullptr : at + std::strlen(what);
}

// Whether the bytes stay within what a network file ever holds. The XML
// library builds the whole tree and frees it recursively, so a deep one ends
// the program. The count errs on the safe side: wherever the library could
// see an element start, this scan sees one too. A NUL byte (UTF-16 or
// UTF-32, which a byte scan cannot follow) and an internal document type
// subset (entities could nest elements the scan never sees) are refused.
bool WithinBounds(const char* p, size_t size)
{
    if (size == 0 || size > NetXmlMaxBytes || std::memchr(p, '\0', size))
        return false;
    const char* const end = p + size;
    int depth = 0;
    const char* at = p;
    while (at && (at = static_cast<const char*>(std::memchr(at, '<', size_t(end - at))))) {
        const char* const rest = at + 1;
        const auto opens = [&](const char* s) {
            return size_t(end - rest) >= std::strlen(s) && std::memcmp(rest, s, std::strlen(s)) == 0;
        };
        if (opens("!--")) {
            at = After(rest + 3, end, "-->");
        } else if (opens("![CDATA[")) {
            at = After(rest + 8, end, "]]>");
        } else if (opens("?")) {
            at = After(rest + 1, end, "?>");
        } else {
            // A tag or a declaration, up to its '>' outside quotes.
            char quote = 0;
            const char* q = rest;
            for (; q < end; ++q) {
                if (quote) {
                    if (*q == quote)
                        quote = 0;
                } else if (*q == '"' || *q == '\'') {
                    quote = *q;
                } else if (*q == '>') {
                    break;
                } else if (*q == '[' && *rest == '!') {
                    return false;
                }
            }
            if (q == end)
                return false;
            if (*rest == '/') {
                if (--depth < 0)
                    return false;
            } else if (*rest != '!' && q[-1] != '/' && ++depth > NetXmlMaxDepth) {
                return false;
            }
            at = q + 1;
        }
    }
    // Also after an unterminated comment, section or instruction: the library
    // sees no element in it either.
    return true;
}

}  // namespace

NetXmlValues NetXmlFromForm(const NetForm& form)
{
    NetXmlValues v;
    v[XML_DHCP] = Number(form.dhcp);
    v[XML_IP] = form.ip;
    v[XML_RFPOWER] = Number(form.rfpower);
    v[XML_SSID] = form.ssid;
    v[XML_NETMASK] = form.netmask;
    v[XML_GATEWAY] = form.gateway;
    v[XML_NWTYPE] = Number(form.nwtype);
    v[XML_CHANNEL] = Number(form.channel + 1);
    v[XML_SECURITY] = Number(form.security);
    v[XML_PSK] = form.psk;
    return v;
}

XmlSave SaveNetXml(const wxString& path, const NetXmlValues& values)
{
    wxXmlDocument doc;
    auto* root = new wxXmlNode(wxXML_ELEMENT_NODE, "root");
    doc.SetRoot(root);
    auto* network = new wxXmlNode(wxXML_ELEMENT_NODE, "network");
    root->AddChild(network);
    for (int i = 0; i < XML_ELEMENT_COUNT; ++i) {
        auto* element = new wxXmlNode(wxXML_ELEMENT_NODE, NetXmlNames[i]);
        // Always a text child, so that an empty value is written as a pair.
        element->AddChild(new wxXmlNode(wxXML_TEXT_NODE, wxEmptyString, values[i]));
        network->AddChild(element);
    }
    wxMemoryOutputStream memory;
    if (!doc.Save(memory, 2))
        return XmlSave::Failed;
    const size_t size = memory.GetSize();
    std::string bytes(size, '\0');
    memory.CopyTo(bytes.data(), size);

    FileReplacement replacement(path);
    if (!replacement.Created())
        return XmlSave::CannotCreate;
    if (replacement.File().Write(bytes.data(), bytes.size()) != bytes.size() || !replacement.Commit())
        return XmlSave::Failed;
    return XmlSave::Saved;
}

XmlLoad LoadNetXml(const wxString& path, NetXmlValues* values)
{
    if (!wxFileName::FileExists(path))
        return XmlLoad::NotXml;
    // One byte past the bound is enough to refuse the file.
    std::string bytes(NetXmlMaxBytes + 1, '\0');
    std::ifstream in(path.fn_str(), std::ios::binary);
    in.read(bytes.data(), std::streamsize(bytes.size()));
    bytes.resize(size_t(in.gcount()));
    return ParseNetXml(bytes.data(), bytes.size(), values);
}

XmlLoad ParseNetXml(const char* bytes, size_t size, NetXmlValues* values)
{
    // UTF-16 (a byte-order mark, or a first '<' of two bytes) is scanned a
    // unit a byte: all that the scan looks at is ASCII. The library reads
    // the bytes as they are.
    const auto* b = reinterpret_cast<const unsigned char*>(bytes);
    const bool be = size >= 2 && ((b[0] == 0xFE && b[1] == 0xFF) || (b[0] == 0 && b[1] == '<'));
    const bool le = size >= 2 && ((b[0] == 0xFF && b[1] == 0xFE) || (b[0] == '<' && b[1] == 0));
    if (be || le) {
        if (size > NetXmlMaxBytes)
            return XmlLoad::NotXml;
        std::string units;
        for (size_t i = 0; i + 1 < size; i += 2) {
            const unsigned unit = be ? unsigned(b[i]) << 8 | b[i + 1] : unsigned(b[i + 1]) << 8 | b[i];
            units += unit < 0x80 ? char(unit) : '\x80';
        }
        if (!WithinBounds(units.data(), units.size()))
            return XmlLoad::NotXml;
    } else if (!WithinBounds(bytes, size)) {
        return XmlLoad::NotXml;
    }
    wxLogNull quiet;
    wxMemoryInputStream in(bytes, size);
    wxXmlDocument doc;
    // Whitespace is kept: texts are taken exactly as the file has them.
    if (!doc.Load(in, "UTF-8", wxXMLDOC_KEEP_WHITESPACE_NODES) || !doc.IsOk())
        return XmlLoad::NotXml;
    const wxXmlNode* root = doc.GetRoot();
    if (!root || root->GetName() != "root")
        return XmlLoad::NoRoot;
    NetXmlValues found;
    for (const wxXmlNode* network = root->GetChildren(); network; network = network->GetNext()) {
        if (network->GetType() != wxXML_ELEMENT_NODE || network->GetName() != "network")
            continue;
        for (const wxXmlNode* e = network->GetChildren(); e; e = e->GetNext()) {
            if (e->GetType() != wxXML_ELEMENT_NODE)
                continue;
            for (int i = 0; i < XML_ELEMENT_COUNT; ++i)
                if (e->GetName() == NetXmlNames[i])
                    found[i] = e->GetNodeContent();
        }
    }
    *values = found;
    return XmlLoad::Loaded;
}

XmlAccept CheckNetXml(const NetXmlValues& values, int currentNwtype, size_t keyMax)
{
    if (!Accepted(values[XML_DHCP], 0, 1) || !Accepted(values[XML_RFPOWER], 0, 2) ||
        !Accepted(values[XML_NWTYPE], 0, 1) || !Accepted(values[XML_SECURITY], 0, 3) ||
        !Accepted(values[XML_CHANNEL], 1, 13))
        return XmlAccept::BadChoice;
    // DHCP makes the form choose Infrastructure before the file's own type.
    int nwtype = currentNwtype;
    if (values[XML_DHCP] == "1")
        nwtype = NET_INFRASTRUCTURE;
    if (!values[XML_NWTYPE].empty())
        nwtype = values[XML_NWTYPE] == "0" ? NET_ADHOC : NET_INFRASTRUCTURE;
    if (!values[XML_SECURITY].empty() && values[XML_SECURITY] != "0" &&
        SecurityChoices(nwtype).size() <= size_t(values[XML_SECURITY][0].GetValue() - '0'))
        return XmlAccept::BadChoice;
    if (values[XML_SSID].length() > SsidFieldSize)
        return XmlAccept::SsidTooLong;
    if (values[XML_PSK].length() > keyMax)
        return XmlAccept::KeyTooLong;
    return XmlAccept::Accepted;
}

wxString XmlRefusalText(XmlAccept accept, size_t keyMax)
{
    switch (accept) {
        case XmlAccept::Accepted:
        case XmlAccept::BadChoice:
            break;
        case XmlAccept::SsidTooLong:
            return wxString::Format(
                "The file's SSID is longer than %u characters. Configuration not imported!",
                unsigned(SsidFieldSize));
        case XmlAccept::KeyTooLong:
            return wxString::Format(
                "The file's Password is longer than %u characters. Configuration not imported!",
                unsigned(keyMax));
    }
    return wxString();
}
