#include "VantrelBatchConf.h"

#include <wx/button.h>
#include <wx/filedlg.h>
#include <wx/frame.h>
#include <wx/msgdlg.h>
#include <wx/statline.h>
#include <wx/stattext.h>
#include <wx/wxsqlite3.h>

#include <memory>

#include "BatchFile.h"
#include "CommandProgressWait.h"
#include "Common.h"
#include "Db.h"
#include "DbFile.h"
#include "Files.h"
#include "HubLogic.h"
#include "MainWindow.h"
#include "NumberText.h"
#include "SendCommandThread.h"
#include "cmd_error.h"
#include "sock.h"

namespace {

// About 131 KB each: off the GUI thread's stack.
std::unique_ptr<VEMTOR_COMMAND_MSG> NewMessage()
{
    auto msg = std::make_unique<VEMTOR_COMMAND_MSG>();
    cmd_msg_clear(msg.get());
    return msg;
}

// The protocol library's text for the last error, as the error report gives it.
wxString LastErrorText()
{
    const int code = cmd_get_error();
    wxString text;
    if (code < 0) {
        const std::string bytes = cmd_error_text(code);
        text = wxString::FromUTF8(bytes);
        if (text.empty() && !bytes.empty())
            text = wxString(bytes.data(), wxConvISO8859_1, bytes.size());
    }
    return text.empty() ? wxString("Vantrel module unreachable") : text;
}

wxStaticText* Label(wxWindow* page, const wxString& text, int y, const wxFont& font)
{
    auto* label = new wxStaticText(page, wxID_ANY, text, wxPoint(30, y), wxSize(800, -1));
    label->SetFont(font);
    return label;
}

}  // namespace

VantrelBatchConf::VantrelBatchConf(const wxString& ip, const wxString& port, char type, int firmware)
    : wxPanel(MainWindow::GetInstance()->frame, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL,
              "VantrelBatchConf"),
      m_type(type),
      m_firmware(firmware),
      m_ip(ip),
      m_port(port)
{
    // Nothing is thrown here: an address that cannot be used is reported
    // when a button needs it.
    m_ipUsable = CopyAddressText(ip, m_ipText);
    m_portUsable = ParsePortText(port, &m_portNumber);

    Label(this, MainWindow::GetModelName(type) + " Batch Configuration", 30, FontBold11);
    new wxStaticLine(this, wxID_ANY, wxPoint(0, 50), wxSize(800, -1));
    Label(this, "Save current module configuration to file", 90, FontBold9);
    new wxButton(this, ID_BATCH_SAVE, "Save to file", wxPoint(30, 110), wxSize(120, -1));
    Label(this, "Load a configuration file and send to the module", 150, FontBold9);
    new wxButton(this, ID_BATCH_LOAD, "Load from file", wxPoint(30, 170), wxSize(120, -1));

    Bind(wxEVT_MENU, &VantrelBatchConf::OnBack, this, ID_BACK);
    Bind(wxEVT_BUTTON, &VantrelBatchConf::OnSaveToFile, this, ID_BATCH_SAVE);
    Bind(wxEVT_BUTTON, &VantrelBatchConf::OnLoadFromFile, this, ID_BATCH_LOAD);
    Bind(wxEventTypeTag<wxCommandEvent>(EVT_COMMAND_SUCCEEDED), &VantrelBatchConf::OnCommandDone, this);
    Bind(wxEventTypeTag<wxCommandEvent>(EVT_COMMAND_FAILED), &VantrelBatchConf::OnCommandFailed, this);
}

VantrelBatchConf::~VantrelBatchConf() = default;

void VantrelBatchConf::OnBack(wxCommandEvent& event)
{
    if (event.GetId() == ID_BACK)
        MainWindow::GetInstance()->ShowStartPanel();
}

void VantrelBatchConf::OnCommandDone(wxCommandEvent&)
{
    m_waitFlag = 1;
}

void VantrelBatchConf::OnCommandFailed(wxCommandEvent&)
{
    m_waitFlag = -1;
}

bool VantrelBatchConf::AddressUsable()
{
    MainWindow* main = MainWindow::GetInstance();
    if (!m_ipUsable)
        main->ReportError("Invalid Vantrel module address: " + m_ip, false);
    else if (!m_portUsable)
        main->ReportError("Invalid Vantrel module port: " + m_port, false);
    return m_ipUsable && m_portUsable;
}

bool VantrelBatchConf::Read(const std::vector<BlockRef>& refs, VEMTOR_COMMAND_MSG* msg,
                            std::vector<BlockBytes>* values, wxString* reason)
{
    cmd_msg_clear(msg);
    if (!BuildReadRequest(msg, refs)) {
        *reason = LastErrorText();
        return false;
    }
    const int flag = CommandProgressWait(this, msg, m_ipText, m_portNumber, m_waitFlag);
    if (flag == 0) {
        *reason = "Connection aborted by user";
        return false;
    }
    if (flag < 0 || !TakeBlocks(msg, refs, values)) {
        *reason = LastErrorText();
        return false;
    }
    return true;
}

bool VantrelBatchConf::ReadConfiguration(BatchConfig* config, wxString* message)
{
    auto msg = NewMessage();
    wxString reason;
    std::vector<BlockBytes> values;
    ModuleIdentity identity;
    const std::vector<BlockRef> identityRefs = {{DATABLOCK_MAC}, {DATABLOCK_MODULE_INFO}};
    if (!Read(identityRefs, msg.get(), &values, &reason)) {
        *message = SaveFailureText("module identity", reason);
        return false;
    }
    if (!ParseIdentity(msg.get(), &identity)) {
        *message = SaveFailureText("module identity", LastErrorText());
        return false;
    }
    BatchConfig read;
    read.type = identity.type;
    read.firmware = identity.firmwareText;
    read.mac = identity.mac;
    for (const BatchSection& section :
         BatchSections(identity.type, FirmwareVersionNumber(identity.firmwareText))) {
        for (const std::vector<BlockRef>& refs : section.reads) {
            // A datablock two pages read is read once.
            const std::vector<BlockRef> missing = MissingRefs(read.records, refs);
            if (missing.empty())
                continue;
            if (!Read(missing, msg.get(), &values, &reason)) {
                *message = SaveFailureText(section.name + " settings", reason);
                return false;
            }
            const std::vector<BlockValue> records = RecordsOf(missing, values);
            read.records.insert(read.records.end(), records.begin(), records.end());
        }
    }
    *config = std::move(read);
    return true;
}

void VantrelBatchConf::OnSaveToFile(wxCommandEvent&)
{
    wxFileDialog dialog(this, "Export current module conf to file", wxEmptyString, wxEmptyString, "*.db",
                        wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    if (dialog.ShowModal() != wxID_OK)
        return;
    const wxString path = ChosenPath(dialog);
    MainWindow* main = MainWindow::GetInstance();
    // Renaming over the registry, or its copy, would lose it.
    if (dbfile::SameFile(path, Db::FileName) || dbfile::SameFile(path, Db::BackupName)) {
        main->ReportError("\"" + path + "\" is the module registry of Vantrel Glimra: choose another file",
                          false);
        return;
    }
    if (!AddressUsable())
        return;
    BatchConfig config;
    wxString error;
    if (!ReadConfiguration(&config, &error) || !WriteBatchFile(path, config, &error)) {
        main->ReportError(error, false);
        return;
    }
    wxMessageDialog(nullptr, "Configuration saved", "Info", wxOK | wxICON_INFORMATION).ShowModal();
}

bool VantrelBatchConf::ReadOwnAddress(BlockBytes* ip, wxString* mac, wxString* reason)
{
    auto msg = NewMessage();
    std::vector<BlockBytes> values;
    if (!Read({{DATABLOCK_IP}, {DATABLOCK_MAC}}, msg.get(), &values, reason))
        return false;
    *ip = values.at(0);
    *mac = MacText(values.at(1).data());
    return true;
}

bool VantrelBatchConf::SendCommands(const std::vector<BatchCommand>& commands, SectionReport* report)
{
    auto msg = NewMessage();
    report->outcome = SectionOutcome::Written;
    for (const BatchCommand& command : commands) {
        cmd_msg_clear(msg.get());
        if (!BuildWriteRequest(msg.get(), command.blocks, command.section)) {
            report->outcome = SectionOutcome::Failed;
            report->reason = "Configuration not saved!";
            return false;
        }
        if (!cmd_msg_transact(msg.get(), m_ipText, m_portNumber)) {
            report->outcome = SectionOutcome::Failed;
            report->reason = LastErrorText();
            return true;
        }
        // As the CAN pages do, a section ends at its first echo error.
        if (FirstEchoMismatch(msg.get(), command.blocks, command.section) >= 0) {
            report->outcome = SectionOutcome::SavedWithErrors;
            return false;
        }
    }
    return false;
}

void VantrelBatchConf::SaveRegistryRows(int hubId, const BatchConfig& config, const BlockBytes& ownIp,
                                        const wxString& mac)
{
    try {
        if (hubId == ID_HUB_NETWORK) {
            NetForm form;
            NetFormValues read;
            if (!BatchNetForm(config, ownIp, &form, &read))
                return;
            Db* db = Db::GetInstance();
            if (db->Exists(mac, false).empty())
                db->InsertModule(form.ip, form.ssid, form.netmask, form.gateway, form.nwtype, mac,
                                 form.security, form.psk);
            else
                db->UpdateModule(form.ip, form.ssid, form.netmask, form.gateway, form.nwtype, mac,
                                 form.security, form.psk);
        } else if (hubId == ID_HUB_UART) {
            UartSettings uart;
            if (!BatchUart(config, &uart))
                return;
            Db* db = Db::GetInstance();
            const wxString rate = wxString::Format("%u", unsigned(uart.baudRate));
            if (!db->Exists(mac, true).empty())
                db->UpdateUart(mac, ParityText(uart.parity), StopBitsText(uart.stopBits), rate);
            else
                db->InsertUart(mac, ParityText(uart.parity), StopBitsText(uart.stopBits), rate);
        }
    } catch (const wxSQLite3Exception& e) {
        MainWindow::GetInstance()->ReportError(e.GetMessage(), false);
    }
}

std::vector<SectionReport> VantrelBatchConf::SendSections(const BatchConfig& config)
{
    std::vector<SectionReport> reports;
    BlockBytes ownIp;
    wxString mac;
    // After a failed exchange the module is taken to be out of reach: the
    // sections left are not sent rather than each waiting out its time-out.
    bool stopped = false;
    for (const BatchSection& section : BatchSections(m_type, m_firmware)) {
        SectionReport report;
        report.name = section.name;
        if (stopped) {
            reports.push_back(report);
            continue;
        }
        // The module keeps its own address: read it just before it is sent.
        if (section.hubId == ID_HUB_NETWORK && !ReadOwnAddress(&ownIp, &mac, &report.reason)) {
            report.outcome = SectionOutcome::Failed;
            stopped = true;
            reports.push_back(report);
            continue;
        }
        std::vector<BatchCommand> commands;
        if (!SectionCommands(section.hubId, config, m_type, m_firmware, ownIp, &commands, &report.reason)) {
            report.outcome = SectionOutcome::Failed;
            reports.push_back(report);
            continue;
        }
        stopped = SendCommands(commands, &report);
        if (report.outcome != SectionOutcome::Failed && !mac.empty())
            SaveRegistryRows(section.hubId, config, ownIp, mac);
        reports.push_back(report);
    }
    return reports;
}

void VantrelBatchConf::OnLoadFromFile(wxCommandEvent&)
{
    wxFileDialog dialog(this, "Import module conf from file", wxEmptyString, wxEmptyString, "*.db",
                        wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    if (dialog.ShowModal() != wxID_OK)
        return;
    const wxString path = ChosenPath(dialog);
    if (!AddressUsable())
        return;
    MainWindow* main = MainWindow::GetInstance();
    BatchConfig config;
    wxString error;
    if (ReadBatchFile(path, &config, &error))
        error = CheckForModule(config, m_type, m_firmware, path);
    if (!error.empty()) {
        main->ReportError(error, false);
        return;
    }
    wxMessageDialog question(nullptr, LoadQuestion(path, config, m_type, m_ip), "Load configuration?",
                             wxYES_NO | wxNO_DEFAULT | wxICON_QUESTION);
    if (question.ShowModal() != wxID_YES)
        return;

    const std::vector<SectionReport> reports = SendSections(config);
    const wxString model = MainWindow::GetModelName(m_type);
    const wxString summary = LoadSummary(path, "the " + model + " module at " + m_ip, reports);
    bool allWritten = true, anyWritten = false;
    for (const SectionReport& r : reports) {
        allWritten = allWritten && r.outcome == SectionOutcome::Written;
        anyWritten = anyWritten || r.outcome == SectionOutcome::Written ||
                     r.outcome == SectionOutcome::SavedWithErrors;
    }
    if (allWritten)
        wxMessageDialog(nullptr, summary, "Configuration loaded", wxOK | wxICON_INFORMATION).ShowModal();
    else
        main->ReportError(summary, false);
    if (!anyWritten)
        return;
    // Copies: the prompt replaces this page.
    const wxString ip = m_ip;
    const wxString port = m_port;
    MainWindow::AskConfigureMore(model, ip, port, true);
}
