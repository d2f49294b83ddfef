// The scan page: probes one class C range for modules on the configuration
// port, lists and stores every module that answers, and connects to a
// module chosen from the list. GUI thread only.
#pragma once

#include <wx/arrstr.h>
#include <wx/bitmap.h>
#include <wx/panel.h>

#include <memory>

class ScanJob;
class wxBitmapButton;
class wxCommandEvent;
class wxIPCtrl;
class wxListBox;
class wxStaticText;

class VantrelScanPanel : public wxPanel {
public:
    // Child of the main window's frame.
    VantrelScanPanel();
    // Stops a running scan at once (the worker ends by itself).
    ~VantrelScanPanel() override;
    // The main window hides a page as it takes it away, and may destroy it
    // only later: a scan stops as soon as its page is hidden.
    bool Show(bool show = true) override;

    void OnStartScan(wxCommandEvent& event);
    void OnScanProgress(wxCommandEvent& event);
    void OnDeviceFound(wxCommandEvent& event);
    void OnScanFinished(wxCommandEvent& event);
    void OnConnectToFound(wxCommandEvent& event);
    void OnBack(wxCommandEvent& event);

    // Read access for the tests.
    bool IsScanning() const { return m_scanning; }
    wxIPCtrl* StartControl() const { return m_startCtrl.get(); }
    wxIPCtrl* EndControl() const { return m_endCtrl.get(); }
    wxListBox* FoundList() const { return m_foundList; }
    const wxArrayString& FoundAddresses() const { return m_foundAddresses; }
    wxStaticText* StatusLabel() const { return m_statusLabel; }
    // The running scan's shared state; null when none runs.
    std::shared_ptr<ScanJob> Job() const { return m_job; }

private:
    void StopScan();
    // Tells the worker to stop; it posts nothing to this page afterwards.
    void DropJob();
    // Events from a scan that is no longer this page's current one.
    bool IsStale(const wxCommandEvent& event) const;

    std::shared_ptr<ScanJob> m_job;
    int m_posX = 30;
    int m_posY = 30;
    // Not windows of their own: their fields are this page's children.
    std::unique_ptr<wxIPCtrl> m_startCtrl;
    std::unique_ptr<wxIPCtrl> m_endCtrl;
    wxBitmap m_startImage;
    wxBitmap m_stopImage;
    wxBitmapButton* m_startStopButton = nullptr;
    bool m_scanning = false;
    wxListBox* m_foundList = nullptr;
    wxArrayString m_foundAddresses;
    wxStaticText* m_statusLabel = nullptr;
    // Serial number of the scan whose events this page takes.
    int m_scanId = 0;
};
