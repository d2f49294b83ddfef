// The JIX-Terminal page: a raw TCP client to one module's data port. It is
// built connected (or not at all), receives on a worker thread and renders
// what arrives on the GUI thread, and stops every worker before it goes.
#pragma once

#include <wx/bitmap.h>
#include <wx/panel.h>
#include <wx/string.h>
#include <wx/timer.h>

#include <memory>
#include <string>
#include <vector>

#include "ReceiveLog.h"
#include "RingBuffer.h"
#include "TerminalLogic.h"
#include "sock.h"

class wxBitmapButton;
class wxCheckBox;
class wxCloseEvent;
class wxComboBox;
class wxFileDialog;
class wxFocusEvent;
class wxListBox;
class wxRadioBox;
class wxStaticText;
class wxTextCtrl;
class ConnectJob;
class PeriodicJob;
struct ReceivedChunk;
class DataConnection;
class ReceiveJob;
class WatchdogJob;
class WorkerLink;
class TerminalView;

// Window ids of the page.
enum TerminalId {
    ID_TERM_INPUT = 38,
    ID_TERM_RX_FORMAT = 41,
    ID_TERM_TX_FORMAT = 42,
    ID_TERM_CLEAR_RECEIVED = 43,
    ID_TERM_STOP_LOG = 44,
    ID_TERM_START_LOG = 45,
    ID_TERM_PERIODIC_START = 46,
    ID_TERM_PERIODIC_STOP = 47,
    ID_TERM_PERIODIC_CHECK = 48,
    ID_TERM_EXPORT_VIEW = 49,
    ID_TERM_EDIT = 52,
    ID_TERM_CLEAR_SELECTED = 53,
    ID_TERM_EXPORT_LIST = 54,
    ID_TERM_IMPORT_LIST = 55,
    ID_TERM_CLEAR_ALL = 60,
    ID_TERM_TIMER = 100,
    ID_TERM_RENDER_TIMER = 101,
    ID_TERM_SEND = 5003,
    ID_TERM_ADD = 5118,
};

class VantrelTerminalPanel : public wxPanel {
public:
    // Builds the page on the main window's frame, opens the command list and
    // connects to ip:dataPort under the progress wait. Returns connected with
    // the receive worker running; otherwise throws the error text (a
    // wxString) with no worker left and no socket open.
    VantrelTerminalPanel(const wxString& ip, const wxString& configPort, const wxString& dataPort, char type);
    ~VantrelTerminalPanel() override;

    // Stops the workers and lets the main window destroy the page.
    void OnClose(wxCloseEvent& event);
    void OnBack(wxCommandEvent& event);
    void OnThreadEvent(wxCommandEvent& event);
    void OnConnectionLost(wxCommandEvent& event);
    void OnDataReady(wxCommandEvent& event);
    void OnPeriodicFailed(wxCommandEvent& event);
    void OnSetFocus(wxFocusEvent& event);
    void OnTimer(wxTimerEvent& event);
    void OnRenderTimer(wxTimerEvent& event);

    // The send path.
    void OnSendMessage(wxCommandEvent& event);
    void OnPeriodicButton(wxCommandEvent& event);
    // Sends the bytes of a command now (once), or starts the periodic sender
    // with the periodic settings. False after a reported failure.
    bool SendMessage(const wxString& text, int format, bool once);

    // The receive path and the views.
    void OnClearReceived(wxCommandEvent& event);
    void OnLogging(wxCommandEvent& event);
    void OnRxFormat(wxCommandEvent& event);
    void OnTxFormat(wxCommandEvent& event);
    void OnExportView(wxCommandEvent& event);
    // Renders received chunks, in order, into the four views.
    void AppendReceived(const std::vector<ReceivedChunk>& chunks);

    // The command list.
    void OnAddMessage(wxCommandEvent& event);
    void OnInputEnter(wxCommandEvent& event);
    void OnEditSelected(wxCommandEvent& event);
    void OnClearSelected(wxCommandEvent& event);
    void OnClearAll(wxCommandEvent& event);
    void OnImportExport(wxCommandEvent& event);

    // State, for the main window and the tests.
    int GetConnected() const { return m_connected; }
    // The data socket, or SOCK_INVALID (-1) when there is none.
    sock_t GetSocket() const;
    uint16_t GetDataPort() const { return m_dataPort; }
    bool IsReceiving() const;
    TerminalView* GetReceiveView(int format) const;
    wxTextCtrl* GetInputField(int format) const;
    wxListBox* GetCommandList() const { return m_commandListBox; }
    const std::vector<TerminalCommandEntry>& GetCommands() const { return m_commands; }
    bool IsSendingPeriodically() const { return m_periodicJob != nullptr; }
    // Received bytes taken into the views so far.
    uint64_t RenderedBytes() const { return m_renderedBytes; }
    const ReceiveLog& GetReceiveLog() const { return m_log; }

private:
    void BuildControls(const wxString& title);
    void BindPageHandlers();
    void Connect();
    void StartReceiving();
    // The close sequence: idempotent, bounded, leaves no worker that can
    // reach the page.
    void StopWorkers();
    void ReportConnectionLost();

    // Shows a failure in the "Error" dialog. While any modal dialog of the
    // page is open, a lost connection waits until it is closed.
    void ReportError(const wxString& message);
    // The entry of the selected row (the list shows the newest first), or -1.
    int SelectedEntry() const;
    // Appends one line of the send path to the view of a format.
    void WriteLogLine(int format, LogColour colour, const wxString& text, bool showChosenView);
    // The views learn what the log gained; hidden ones ignore it.
    void ViewsGrew();
    void ShowChosenView();
    void ShowInputField(int format);
    // The focus to the input field of the chosen transmission format.
    void FocusInputField();
    void RenderPending();
    void StopPeriodic();
    // Whether a chosen file is the working command-list database itself.
    bool IsWorkingDatabase(const wxString& path) const;
    void ExportCommands();
    void ImportCommands();

    int m_posX = 30;
    int m_posY = 30;
    int m_connected = 0;  // 0 connecting, 1 connected, -1 failed
    uint16_t m_dataPort = 0;
    wxString m_ip;
    wxString m_configPort;
    wxString m_connectError;
    wxString m_commandDbFile = "localcmd.sqlite";
    bool m_stopped = false;
    bool m_lostReported = false;
    bool m_lostPending = false;
    int m_modalDepth = 0;
    unsigned m_packetCount = 0;
    uint64_t m_renderedBytes = 0;
    bool m_atLineStart = true;
    std::vector<TerminalCommandEntry> m_commands;
    // Everything the four views show.
    ReceiveLog m_log;
    wxString m_workingDbPath;
    RingBuffer m_ringBuffer;

    std::shared_ptr<ConnectJob> m_connectJob;
    std::shared_ptr<DataConnection> m_connection;
    std::shared_ptr<ReceiveJob> m_readJob;
    std::shared_ptr<PeriodicJob> m_periodicJob;
    std::shared_ptr<WatchdogJob> m_watchdogJob;  // never started by the page

    wxTimer m_timer;
    // Renders what arrived a moment after the first chunk: the window handles
    // its input and paints between two renderings, however fast the peer.
    wxTimer m_renderTimer;
    wxBitmap m_sendPeriodBitmap;
    wxBitmap m_stopPeriodBitmap;

    wxStaticText* m_titleLabel = nullptr;
    wxRadioBox* m_txFormatRadio = nullptr;
    wxRadioBox* m_rxFormatRadio = nullptr;
    wxStaticText* m_inputHints[4] = {};
    wxTextCtrl* m_inputFields[4] = {};
    wxBitmapButton* m_addButton = nullptr;
    wxListBox* m_commandListBox = nullptr;
    wxBitmapButton* m_sendButton = nullptr;
    wxBitmapButton* m_periodicButton = nullptr;
    wxBitmapButton* m_editButton = nullptr;
    wxBitmapButton* m_clearSelectedButton = nullptr;
    wxBitmapButton* m_clearAllButton = nullptr;
    wxBitmapButton* m_importButton = nullptr;
    wxBitmapButton* m_exportButton = nullptr;
    wxCheckBox* m_timestampCheck = nullptr;
    wxCheckBox* m_wrapCheck = nullptr;
    wxBitmapButton* m_exportViewButton = nullptr;
    TerminalView* m_receiveViews[4] = {};
    wxCheckBox* m_periodicCheck = nullptr;
    wxTextCtrl* m_periodText = nullptr;
    wxComboBox* m_periodUnitCombo = nullptr;
    wxStaticText* m_totalSizeLabel = nullptr;
    wxTextCtrl* m_totalSizeText = nullptr;
    wxStaticText* m_paddingLabel = nullptr;
    wxCheckBox* m_counterCheck = nullptr;
    wxBitmapButton* m_clearReceiveButton = nullptr;
    wxBitmapButton* m_stopLogButton = nullptr;
    wxBitmapButton* m_startLogButton = nullptr;

    // Counts the page's open modal dialogs; a connection lost meanwhile is
    // reported once the last one has closed.
    class ModalScope {
    public:
        explicit ModalScope(VantrelTerminalPanel* page) : page_(page) { ++page_->m_modalDepth; }
        ~ModalScope();
        ModalScope(const ModalScope&) = delete;
        ModalScope& operator=(const ModalScope&) = delete;

    private:
        VantrelTerminalPanel* page_;
    };

    // Last member, so first to go: whether the page is destroyed or its
    // constructor throws, no worker outlives the members it may report to.
    struct WorkerGuard {
        VantrelTerminalPanel* page;
        ~WorkerGuard();
    } m_guard{this};
};
