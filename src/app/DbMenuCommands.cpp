// The "DB Function" menu: import, export and revert of the module registry.
// Every database failure ends in the "Error" dialog; none ends the program.
#include <wx/filedlg.h>
#include <wx/frame.h>
#include <wx/msgdlg.h>
#include <wx/wxsqlite3.h>

#include "Db.h"
#include "Files.h"
#include "MainWindow.h"
#include "StartPanel.h"
#include "VantrelMenuBar.h"

namespace {

void Tell(const wxString& message, const wxString& caption)
{
    wxMessageDialog box(nullptr, message, caption, wxOK);
    box.ShowModal();
}

void RefreshStartPage(MainWindow* main)
{
    // The kept start page, whichever page is shown now.
    if (main->startPanel)
        main->startPanel->RefreshModuleList();
}

}  // namespace

void VantrelMenuBar::OnMenuImportDb(wxCommandEvent&)
{
    MainWindow* main = MainWindow::GetInstance();
    wxFileDialog dialog(main->frame, wxS("Import file"), wxEmptyString, wxEmptyString, wxS("*.db"),
                        wxFD_OPEN);
    if (dialog.ShowModal() != wxID_OK)
        return;
    try {
        const wxString path = ChosenPath(dialog);
        Db* db = Db::GetInstance();
        if (!Db::HasBackupSupport())
            return;
        db->RestoreFrom(path);
        RefreshStartPage(main);
        Tell(wxS("DB Restore completed"), wxS("Restore completed"));
    } catch (const wxSQLite3Exception& e) {
        main->ReportError(e.GetMessage(), false);
    }
}

void VantrelMenuBar::OnMenuExportDb(wxCommandEvent&)
{
    MainWindow* main = MainWindow::GetInstance();
    wxFileDialog dialog(main->frame, wxS("Export to file"), wxEmptyString, wxEmptyString, wxS("*.db"),
                        wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    if (dialog.ShowModal() != wxID_OK)
        return;
    try {
        wxString path = ChosenPath(dialog);
        if (!path.EndsWith(wxS(".db")))
            path += wxS(".db");
        Db::GetInstance()->BackupTo(path);
        Tell(wxS("DB Export completed"), wxS("Export completed"));
    } catch (const wxSQLite3Exception& e) {
        main->ReportError(e.GetMessage(), false);
    }
}

void VantrelMenuBar::OnMenuRevertDb(wxCommandEvent&)
{
    MainWindow* main = MainWindow::GetInstance();
    try {
        Db* db = Db::GetInstance();
        if (!Db::HasBackupSupport())
            return;
        wxMessageDialog question(nullptr, wxS("Are you sure to revert database to last access?"),
                                 wxS("Revert DB?"), wxYES_NO | wxNO_DEFAULT | wxICON_QUESTION);
        if (question.ShowModal() != wxID_YES)
            return;
        // Without this run's copy (or the earlier one kept when the registry
        // was found empty), "last_backup.db" is an unknown older state or
        // missing: restoring it would silently lose this run's start state.
        if (!db->CanRevert()) {
            main->ReportError(
                wxS("DB Revert failed: no copy of the database was taken when it was opened (") +
                    db->BackupError() + wxS(")."),
                false);
            return;
        }
        db->RestoreFrom(Db::BackupName);
        RefreshStartPage(main);
        Tell(wxS("DB Revert completed"), wxS("Revert completed"));
    } catch (const wxSQLite3Exception& e) {
        main->ReportError(e.GetMessage(), false);
    }
}
