// The terminal's command list: adding, editing and removing entries, and the
// list's export and import through the command-list database.
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/listbox.h>
#include <wx/radiobox.h>
#include <wx/textctrl.h>
#include <wx/wxsqlite3.h>

#include <filesystem>

#include "DbCommands.h"
#include "Files.h"
#include "NumberText.h"
#include "VantrelTerminalPanel.h"

void VantrelTerminalPanel::OnAddMessage(wxCommandEvent&)
{
    const int format = m_txFormatRadio->GetSelection();
    if (!IsTerminalFormat(format))
        return;
    const wxString text = m_inputFields[format]->GetValue();
    const wxString refusal = CheckCommandInput(text, format);
    if (!refusal.empty()) {
        ReportError(refusal);
        return;
    }
    const TerminalCommandEntry entry{text, format};
    m_commandListBox->Insert(CommandRowText(entry), 0);
    m_commands.push_back(entry);
    m_inputFields[format]->Clear();
    m_commandListBox->SetSelection(0);
}

void VantrelTerminalPanel::OnInputEnter(wxCommandEvent&)
{
    // Enter adds the input as the Add button does, once this key is handled.
    wxQueueEvent(this, new wxCommandEvent(ID_TERM_ADD, ID_TERM_ADD));
}

void VantrelTerminalPanel::OnEditSelected(wxCommandEvent&)
{
    const int index = SelectedEntry();
    if (index < 0)
        return;
    const TerminalCommandEntry& entry = m_commands[static_cast<size_t>(index)];
    m_inputFields[entry.format]->ChangeValue(entry.text);
    m_txFormatRadio->SetSelection(entry.format);
    ShowInputField(entry.format);
}

void VantrelTerminalPanel::OnClearSelected(wxCommandEvent&)
{
    const int index = SelectedEntry();
    if (index < 0)
        return;
    m_commands.erase(m_commands.begin() + index);
    m_commandListBox->Delete(static_cast<unsigned>(m_commandListBox->GetSelection()));
    if (!m_commands.empty())
        m_commandListBox->SetSelection(0);
}

void VantrelTerminalPanel::OnClearAll(wxCommandEvent&)
{
    m_commands.clear();
    m_commandListBox->Clear();
}

bool VantrelTerminalPanel::IsWorkingDatabase(const wxString& path) const
{
    std::error_code ec;
    return std::filesystem::equivalent(path.utf8_string(), m_workingDbPath.utf8_string(), ec);
}

void VantrelTerminalPanel::OnImportExport(wxCommandEvent& event)
{
    if (event.GetId() == ID_TERM_EXPORT_LIST)
        ExportCommands();
    else if (event.GetId() == ID_TERM_IMPORT_LIST)
        ImportCommands();
}

void VantrelTerminalPanel::ExportCommands()
{
    wxString path;
    {
        ModalScope scope(this);
        wxFileDialog dialog(this, "Export Command List to file", wxEmptyString, wxEmptyString, "*.sqlite",
                            wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
        if (dialog.ShowModal() != wxID_OK)
            return;
        path = ChosenPath(dialog);
    }
    DbCommands* db = DbCommands::GetInstance();
    try {
        // The working database passes exactly the list shown: rows an earlier
        // import left there are not exported again.
        db->DeleteAll();
        for (const TerminalCommandEntry& entry : m_commands)
            db->Insert(entry.text, entry.format);
        if (!IsWorkingDatabase(path)) {
            db->BackupTo(path);
            db->DeleteAll();
        }
    } catch (const wxSQLite3Exception& e) {
        ReportError(e.GetMessage());
    }
}

void VantrelTerminalPanel::ImportCommands()
{
    wxString path;
    {
        ModalScope scope(this);
        wxFileDialog dialog(this, "Import file", wxEmptyString, wxEmptyString, "*.sqlite",
                            wxFD_OPEN | wxFD_FILE_MUST_EXIST);
        if (dialog.ShowModal() != wxID_OK)
            return;
        path = ChosenPath(dialog);
    }
    DbCommands* db = DbCommands::GetInstance();
    int unknown = 0;
    try {
        if (!IsWorkingDatabase(path)) {
            // Checked first: a file without the list would leave the working
            // database without its table.
            wxSQLite3Database chosen;
            chosen.Open(path, wxEmptyString, WXSQLITE_OPEN_READONLY);
            const bool hasList = chosen.TableExists("commandList");
            chosen.Close();
            if (!hasList) {
                ReportError("No command list in " + path);
                return;
            }
            db->RestoreFrom(path);
        }
        wxSQLite3ResultSet rows = db->GetAll();
        while (rows.NextRow()) {
            uint64_t format = 0;
            if (!ReadDecimal(rows.GetAsString("type"), TerminalFormatCount - 1, &format)) {
                ++unknown;
                continue;
            }
            const TerminalCommandEntry entry{rows.GetAsString("cmd"), static_cast<int>(format)};
            m_commandListBox->Insert(CommandRowText(entry), 0);
            m_commands.push_back(entry);
        }
        rows.Finalize();
    } catch (const wxSQLite3Exception& e) {
        ReportError(e.GetMessage());
    }
    if (!m_commands.empty())
        m_commandListBox->SetSelection(0);
    if (unknown > 0)
        ReportError(wxString::Format("%d commands of an unknown format were not imported", unknown));
}
