// The first page: add a module by address and port, start the scan, and the
// list of configured modules kept in the registry. Created once by the main
// window and kept for the whole run. GUI thread only.
#pragma once

#include <wx/arrstr.h>
#include <wx/panel.h>

class wxCommandEvent;
class wxIPCtrl;
class wxListBox;
class wxStaticText;
class wxTextCtrl;

class StartPanel : public wxPanel {
public:
    // Child of the main window's frame; fills the list from the registry.
    StartPanel();
    ~StartPanel() override;

    // Rereads every registry row into the list. Never throws: a database
    // failure is reported in the "Error" dialog and the rows read before it
    // stay listed.
    void RefreshModuleList();

    // Read access for the main window and the tests.
    wxListBox* ModuleList() const { return m_moduleList; }
    wxIPCtrl* IpCtrl() const { return m_ipCtrl; }
    wxTextCtrl* PortCtrl() const { return m_portCtrl; }
    const wxArrayString& IpAddresses() const { return m_ipAddresses; }
    const wxArrayString& MacAddresses() const { return m_macAddresses; }

    void OnConnect(wxCommandEvent& event);
    void OnScan(wxCommandEvent& event);
    void OnViewDetails(wxCommandEvent& event);
    void OnEditModule(wxCommandEvent& event);
    void OnDeleteModule(wxCommandEvent& event);
    void OnClearModules(wxCommandEvent& event);

private:
    // The list row selected, or -1 when none is (or the row has no entry).
    int SelectedRow() const;

    int m_posX = 30;
    int m_posY = 30;
    wxListBox* m_moduleList = nullptr;
    wxArrayString m_ipAddresses;
    wxArrayString m_macAddresses;
    wxIPCtrl* m_ipCtrl = nullptr;
    wxStaticText* m_ipLabel = nullptr;
    wxTextCtrl* m_portCtrl = nullptr;
    wxStaticText* m_portLabel = nullptr;
};
