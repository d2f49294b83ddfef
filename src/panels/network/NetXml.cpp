#include "NetXml.h"

#include <wx/filename.h>
#include <wx/log.h>
#include <wx/mstream.h>
#include <wx/xml/xml.h>


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
    wxLogNull quiet;
    wxXmlDocument doc;
    // Whitespace is kept: texts are taken exactly as the file has them.
    if (!wxFileName::FileExists(path) || !doc.Load(path, "UTF-8", wxXMLDOC_KEEP_WHITESPACE_NODES) ||
        !doc.IsOk())
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
