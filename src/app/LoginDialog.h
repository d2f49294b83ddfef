// Asks for the one built-in user name and password; a match turns the main
// window's logged-in flag on for the rest of the run. Shown without a modal
// loop and hidden, never destroyed, when done (the frame owns it).
#pragma once

#include <wx/dialog.h>

class wxCommandEvent;
class wxTextCtrl;

extern const wxString LoginUserName;
extern const wxString LoginPassword;

class LoginDialog : public wxDialog {
public:
    LoginDialog(wxWindow* parent, wxWindowID id, const wxString& title, const wxPoint& pos,
                const wxSize& size, long style);
    ~LoginDialog() override = default;

    // OK: hides the dialog and logs in on an exact match; otherwise nothing.
    void OnOk(wxCommandEvent& event);

    wxTextCtrl* UserNameCtrl() const { return userNameCtrl; }
    wxTextCtrl* PasswordCtrl() const { return passwordCtrl; }

private:
    wxTextCtrl* userNameCtrl = nullptr;
    wxTextCtrl* passwordCtrl = nullptr;
};
