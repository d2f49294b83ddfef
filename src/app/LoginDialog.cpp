#include "LoginDialog.h"

#include <wx/button.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "Common.h"
#include "CompactStyle.h"
#include "MainWindow.h"

const wxString LoginUserName = wxS("kestru");
const wxString LoginPassword = wxS("plovik#7");

LoginDialog::LoginDialog(wxWindow* parent, wxWindowID id, const wxString& title, const wxPoint& pos,
                         const wxSize& size, long style)
    : wxDialog(parent, id, title, pos, size, style)
{
    auto* heading = new wxStaticText(this, wxID_ANY, wxS("Login"), wxPoint(10, 20));
    heading->SetFont(FontBold10);
    new wxStaticText(this, wxID_ANY, wxS("Username"), wxPoint(10, 58), wxSize(120, 25));
    userNameCtrl = new wxTextCtrl(this, wxID_ANY, wxEmptyString, wxPoint(140, 55), wxSize(150, 25));
    new wxStaticText(this, wxID_ANY, wxS("Password"), wxPoint(10, 90), wxSize(120, 25));
    passwordCtrl =
        new wxTextCtrl(this, wxID_ANY, wxEmptyString, wxPoint(140, 90), wxSize(150, 25), wxTE_PASSWORD);
    new wxButton(this, wxID_OK, _("OK"), wxPoint(210, 140), wxSize(120, -1));
    new wxButton(this, wxID_CANCEL, _("Cancel"), wxPoint(80, 140), wxSize(120, -1));
    Bind(wxEVT_BUTTON, &LoginDialog::OnOk, this, wxID_OK);
    Show();
    FitTexts(this);
}

void LoginDialog::OnOk(wxCommandEvent&)
{
    // Not skipped: the library's own OK handling would close the dialog even
    // on a wrong pair.
    if (userNameCtrl->GetValue() != LoginUserName || passwordCtrl->GetValue() != LoginPassword)
        return;
    Hide();
    MainWindow::GetInstance()->OnLoggedIn();
}
