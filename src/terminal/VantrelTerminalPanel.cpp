// The terminal page: construction, the connection and its wait, the
// connection events, Back and the close sequence.
#include "VantrelTerminalPanel.h"

#include <wx/bmpbuttn.h>
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/filename.h>
#include <wx/frame.h>
#include <wx/listbox.h>
#include <wx/msgdlg.h>
#include <wx/radiobox.h>
#include <wx/statline.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/valtext.h>
#include <wx/wxsqlite3.h>

#include "CommandProgressWait.h"
#include "Common.h"
#include "DbCommands.h"
#include "MainWindow.h"
#include "NumberText.h"
#include "TerminalThreads.h"
#include "TerminalView.h"
#include "TestConnection.h"

namespace {

// Longest close: the workers are told to stop at once and normally end
// within milliseconds; past this the page goes without them (they hold
// nothing of it).
constexpr int kCloseTimeoutMs = 3000;
// How long the first chunk of a rendering waits for more to come.
constexpr int kRenderDelayMs = 10;

const wxString kFormatNames[4] = {"ASCII", "Hex", "Binary", "Decimal"};
const wxString kInputHints[4] = {
    "Insert ASCII characters",
    "Insert group of hex (max 2 digits) separated by blank",
    "Insert group of binary (max 8 digits) separated by blank",
    "Insert group of decimal (max 255) separated by blank",
};
// Characters each input field admits (empty: any).
const char* const kInputChars[4] = {"", "0123456789abcdef ", "01 ", "0123456789 "};

wxBitmap LoadIcon(const wxString& name)
{
    return wxBitmap(IconsDir + name, wxBITMAP_TYPE_JPEG);
}

}  // namespace

VantrelTerminalPanel::VantrelTerminalPanel(const wxString& ip, const wxString& configPort,
                                           const wxString& dataPort, char type)
    : wxPanel(MainWindow::GetInstance()->frame, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL,
              "terminalPanel"),
      m_ip(ip),
      m_configPort(configPort),
      m_timer(this, ID_TERM_TIMER),
      m_renderTimer(this, ID_TERM_RENDER_TIMER)
{
    MainWindow* main = MainWindow::GetInstance();
    // A port that is not a whole number from 1 to 65535 would reach
    // another port: no connection is tried.
    if (!ParsePortText(dataPort, &m_dataPort))
        main->ReportError("Invalid Port", true);

    try {
        DbCommands::GetInstance()->Open(m_commandDbFile);
    } catch (const wxSQLite3Exception& e) {
        main->ReportError(e.GetMessage(), true);
    }
    m_workingDbPath = wxFileName(m_commandDbFile).GetAbsolutePath();
    Bind(wxEVT_CLOSE_WINDOW, &VantrelTerminalPanel::OnClose, this, GetId());
    RingBufferInit(&m_ringBuffer, RING_BUFFER_CAPACITY_MAX);

    BuildControls(MainWindow::GetModelName(type) + " JIX-Terminal");
    Bind(wxEVT_SET_FOCUS, &VantrelTerminalPanel::OnSetFocus, this);
    Bind(wxEVT_BUTTON, &VantrelTerminalPanel::OnBack, this, ID_BACK);
    Bind(wxEVT_MENU, &VantrelTerminalPanel::OnBack, this, ID_BACK);
    Bind(wxEventTypeTag<wxCommandEvent>(EVT_CONNECTION_ESTABLISHED), &VantrelTerminalPanel::OnThreadEvent,
         this);
    Bind(wxEventTypeTag<wxCommandEvent>(EVT_CONNECTION_LOST), &VantrelTerminalPanel::OnConnectionLost, this);
    Bind(wxEVT_TIMER, &VantrelTerminalPanel::OnTimer, this, ID_TERM_TIMER);
    Bind(wxEVT_TIMER, &VantrelTerminalPanel::OnRenderTimer, this, ID_TERM_RENDER_TIMER);
    BindPageHandlers();

    Connect();
    StartReceiving();
    m_timer.Stop();
}

VantrelTerminalPanel::~VantrelTerminalPanel() = default;

VantrelTerminalPanel::WorkerGuard::~WorkerGuard()
{
    page->StopWorkers();
}

VantrelTerminalPanel::ModalScope::~ModalScope()
{
    if (--page_->m_modalDepth == 0 && page_->m_lostPending) {
        page_->m_lostPending = false;
        page_->CallAfter(&VantrelTerminalPanel::ReportConnectionLost);
    }
}

void VantrelTerminalPanel::BindPageHandlers()
{
    Bind(wxEVT_BUTTON, &VantrelTerminalPanel::OnSendMessage, this, ID_TERM_SEND);
    Bind(wxEVT_BUTTON, &VantrelTerminalPanel::OnPeriodicButton, this, ID_TERM_PERIODIC_START);
    Bind(wxEVT_BUTTON, &VantrelTerminalPanel::OnPeriodicButton, this, ID_TERM_PERIODIC_STOP);
    Bind(wxEVT_CHECKBOX, &VantrelTerminalPanel::OnPeriodicButton, this, ID_TERM_PERIODIC_CHECK);
    Bind(wxEVT_BUTTON, &VantrelTerminalPanel::OnClearReceived, this, ID_TERM_CLEAR_RECEIVED);
    Bind(wxEVT_BUTTON, &VantrelTerminalPanel::OnLogging, this, ID_TERM_STOP_LOG);
    Bind(wxEVT_BUTTON, &VantrelTerminalPanel::OnLogging, this, ID_TERM_START_LOG);
    Bind(wxEVT_RADIOBOX, &VantrelTerminalPanel::OnRxFormat, this, ID_TERM_RX_FORMAT);
    Bind(wxEVT_RADIOBOX, &VantrelTerminalPanel::OnTxFormat, this, ID_TERM_TX_FORMAT);
    Bind(wxEVT_BUTTON, &VantrelTerminalPanel::OnExportView, this, ID_TERM_EXPORT_VIEW);
    Bind(wxEVT_BUTTON, &VantrelTerminalPanel::OnAddMessage, this, ID_TERM_ADD);
    Bind(wxEventTypeTag<wxCommandEvent>(ID_TERM_ADD), &VantrelTerminalPanel::OnAddMessage, this);
    Bind(wxEVT_TEXT_ENTER, &VantrelTerminalPanel::OnInputEnter, this, ID_TERM_INPUT);
    Bind(wxEVT_BUTTON, &VantrelTerminalPanel::OnEditSelected, this, ID_TERM_EDIT);
    Bind(wxEVT_BUTTON, &VantrelTerminalPanel::OnClearSelected, this, ID_TERM_CLEAR_SELECTED);
    Bind(wxEVT_BUTTON, &VantrelTerminalPanel::OnClearAll, this, ID_TERM_CLEAR_ALL);
    Bind(wxEVT_BUTTON, &VantrelTerminalPanel::OnImportExport, this, ID_TERM_EXPORT_LIST);
    Bind(wxEVT_BUTTON, &VantrelTerminalPanel::OnImportExport, this, ID_TERM_IMPORT_LIST);
}

void VantrelTerminalPanel::ReportError(const wxString& message)
{
    ModalScope scope(this);
    MainWindow::GetInstance()->ReportError(message, false);
}

void VantrelTerminalPanel::BuildControls(const wxString& title)
{
    // The transmit side on the left, the receive side on the right, below
    // the frame's logo.
    const int left = m_posX;
    const int right = m_posX + 406;
    const int viewsY = 58;
    int y = 8;

    m_titleLabel = new wxStaticText(this, wxID_ANY, title, wxPoint(left, y), wxSize(380, -1));
    m_titleLabel->SetFont(FontBold11);
    y += 22;
    new wxStaticLine(this, wxID_ANY, wxPoint(0, y), wxSize(560, -1));
    y += 6;

    wxArrayString formats;
    for (const wxString& name : kFormatNames)
        formats.Add(name);
    m_txFormatRadio = new wxRadioBox(this, ID_TERM_TX_FORMAT, "Transmission type", wxPoint(left, y),
                                     wxSize(370, -1), formats, 4, wxRA_SPECIFY_COLS);
    m_txFormatRadio->SetToolTip("Select tranmission format");
    m_rxFormatRadio = new wxRadioBox(this, ID_TERM_RX_FORMAT, "Read type", wxPoint(left, y + 48),
                                     wxSize(370, -1), formats, 4, wxRA_SPECIFY_COLS);
    m_rxFormatRadio->SetToolTip("Select visualization format for received data");
    y += 98;

    for (int i = 0; i < 4; ++i) {
        m_inputHints[i] = new wxStaticText(this, wxID_ANY, kInputHints[i], wxPoint(left, y), wxSize(380, -1));
        m_inputHints[i]->SetFont(FontBold8);
        m_inputHints[i]->Show(i == 0);
    }
    // The receive views' backdrop, behind the views.
    auto* backdrop =
        new wxStaticText(this, wxID_ANY, wxEmptyString, wxPoint(right, viewsY), wxSize(320, 300), 0,
                         "BackgroundPicture");
    backdrop->SetBackgroundColour(*wxBLACK);
    backdrop->Enable(false);

    y += 18;
    for (int i = 0; i < 4; ++i) {
        wxTextValidator filter(kInputChars[i][0] ? wxFILTER_INCLUDE_CHAR_LIST : wxFILTER_NONE);
        if (kInputChars[i][0])
            filter.SetCharIncludes(kInputChars[i]);
        m_inputFields[i] = new wxTextCtrl(this, ID_TERM_INPUT, wxEmptyString, wxPoint(left, y),
                                          wxSize(270, -1), wxTE_PROCESS_ENTER, filter);
        m_inputFields[i]->SetMaxLength(128);
        m_inputFields[i]->Show(i == 0);
        // Cursor up and down end here: they neither move nor leave the field.
        m_inputFields[i]->Bind(wxEVT_KEY_DOWN, [](wxKeyEvent& e) {
            if (e.GetKeyCode() != WXK_UP && e.GetKeyCode() != WXK_DOWN)
                e.Skip();
        });
    }
    m_addButton = new wxBitmapButton(this, ID_TERM_ADD, LoadIcon("addbtn.jpg"), wxPoint(left + 282, y - 1),
                                     wxSize(88, 29), wxBU_AUTODRAW);
    m_addButton->SetToolTip("Add message and prepare it to send");
    y += 34;

    m_commandListBox =
        new wxListBox(this, wxID_ANY, wxPoint(left, y), wxSize(270, 260), 0, nullptr, wxLB_SINGLE);
    struct Button {
        wxBitmapButton** button;
        int id;
        const char* image;  // null: the periodic send picture
        const char* tip;
    };
    const Button listButtons[] = {
        {&m_sendButton, ID_TERM_SEND, "sendbtn.jpg", "Send message"},
        {&m_periodicButton, ID_TERM_PERIODIC_START, nullptr, "Send message periodically"},
        {&m_editButton, ID_TERM_EDIT, "editbtn2.jpg", "Edit selected message"},
        {&m_clearSelectedButton, ID_TERM_CLEAR_SELECTED, "clearbtn.jpg", "Clear selected message"},
        {&m_clearAllButton, ID_TERM_CLEAR_ALL, "clearallbtn88.jpg", "Clear all"},
        {&m_importButton, ID_TERM_IMPORT_LIST, "loadbtn.jpg", "Import command List"},
        {&m_exportButton, ID_TERM_EXPORT_LIST, "savebtn.jpg", "Export command List"},
    };
    m_sendPeriodBitmap = LoadIcon("sendperiodbtn.jpg");
    m_stopPeriodBitmap = LoadIcon("stopsendperiodbtn.jpg");
    const auto makeButton = [this](const Button& b, int x, int by) {
        *b.button = new wxBitmapButton(this, b.id, b.image ? LoadIcon(b.image) : m_sendPeriodBitmap,
                                       wxPoint(x, by), wxSize(88, 29), wxBU_AUTODRAW);
        (*b.button)->SetToolTip(b.tip);
    };
    for (size_t i = 0; i < sizeof listButtons / sizeof listButtons[0]; ++i)
        makeButton(listButtons[i], left + 282, y + static_cast<int>(i) * 37);
    m_periodicButton->Enable(false);

    // The display options under the list; they apply to every line the
    // views show.
    const int optionsY = y + 268;
    m_timestampCheck = new wxCheckBox(this, wxID_ANY, "Write Timestamp", wxPoint(left, optionsY));
    m_wrapCheck = new wxCheckBox(this, wxID_ANY, "Wrap packets", wxPoint(left + 150, optionsY));

    // The receive side; the logging buttons are made last, so they come
    // last in the Tab order.
    int ry = viewsY + 304;
    const Button receiveButtons[] = {
        {&m_clearReceiveButton, ID_TERM_CLEAR_RECEIVED, "clearallbtn88.jpg", "Clear receive buffer"},
        {&m_stopLogButton, ID_TERM_STOP_LOG, "stoplogbtn.jpg", "Stop logging received messages"},
        {&m_startLogButton, ID_TERM_START_LOG, "runbtn.jpg", "Start logging received messages"},
        {&m_exportViewButton, ID_TERM_EXPORT_VIEW, "exportbtn.jpg", "Export view of received messages"},
    };
    makeButton(receiveButtons[3], right + 3 * 91, ry);
    for (int i = 0; i < 4; ++i) {
        m_receiveViews[i] = new TerminalView(this, i, wxPoint(right, viewsY), wxSize(320, 300), m_log, i);
        m_receiveViews[i]->OnPlainClick([this] { FocusInputField(); });
    }

    ry += 34;
    m_periodicCheck =
        new wxCheckBox(this, ID_TERM_PERIODIC_CHECK, "Send periodically every", wxPoint(right, ry));
    m_periodicCheck->SetToolTip("Enable/disable periodical send");
    m_periodText = new wxTextCtrl(this, wxID_ANY, wxEmptyString, wxPoint(right + 185, ry - 4), wxSize(50, -1),
                                  0, wxTextValidator(wxFILTER_NUMERIC));
    m_periodText->SetMaxLength(3);
    m_periodText->SetToolTip("Set frequency interval of periodical send");
    const wxString units[2] = {"ms", "s"};
    m_periodUnitCombo = new wxComboBox(this, wxID_ANY, units[0], wxPoint(right + 240, ry - 4), wxSize(80, -1),
                                       2, units, wxCB_READONLY);
    m_periodUnitCombo->SetSelection(0);

    ry += 30;
    const wxString sizeTip = "Define a fixed total message size (leave empty to ignore)";
    m_totalSizeLabel = new wxStaticText(this, wxID_ANY, "Total size (byte)", wxPoint(right, ry));
    m_totalSizeText = new wxTextCtrl(this, wxID_ANY, wxEmptyString, wxPoint(right + 115, ry - 4),
                                     wxSize(50, -1), 0, wxTextValidator(wxFILTER_NUMERIC));
    m_totalSizeText->SetMaxLength(3);
    m_paddingLabel = new wxStaticText(this, wxID_ANY, "(use padding)", wxPoint(right + 170, ry));
    m_counterCheck = new wxCheckBox(this, wxID_ANY, "Use msg counter", wxPoint(right, ry + 28));
    m_counterCheck->SetToolTip("Append a message counter in first two bytes");
    for (wxWindow* w : {static_cast<wxWindow*>(m_totalSizeLabel), static_cast<wxWindow*>(m_totalSizeText),
                        static_cast<wxWindow*>(m_paddingLabel)})
        w->SetToolTip(sizeTip);
    for (wxWindow* w : {static_cast<wxWindow*>(m_periodText), static_cast<wxWindow*>(m_periodUnitCombo),
                        static_cast<wxWindow*>(m_totalSizeLabel), static_cast<wxWindow*>(m_totalSizeText),
                        static_cast<wxWindow*>(m_paddingLabel), static_cast<wxWindow*>(m_counterCheck)})
        w->Enable(false);
    for (size_t i = 0; i < 3; ++i)
        makeButton(receiveButtons[i], right + static_cast<int>(i) * 91, viewsY + 304);

    m_inputFields[0]->SetFocus();
}

void VantrelTerminalPanel::Connect()
{
    const std::string ip = m_ip.utf8_string();
    ReportRelay relay;
    m_connectJob = ConnectThread::Start(&relay, ip, m_dataPort);
    // A worker that never started cannot report: the wait runs out as for a
    // module that never answers.
    int flag = 0;
    if (m_connectJob)
        flag = ProgressWait(this, *m_connectJob, relay, m_connected);
    MainWindow* main = MainWindow::GetInstance();
    if (flag == 0)
        main->ReportError("Connection aborted by user", true);
    if (flag < 0)
        main->ReportError(m_connectError, true);
    const sock_t socket = m_connectJob->TakeSocket();
    m_connectJob.reset();
    if (socket == SOCK_INVALID)
        main->ReportError("Connection aborted by user", true);
    m_connection = std::make_shared<DataConnection>(socket);
}

void VantrelTerminalPanel::StartReceiving()
{
    Bind(wxEventTypeTag<wxCommandEvent>(EVT_UART_DATA_READY), &VantrelTerminalPanel::OnDataReady, this);
    Bind(wxEventTypeTag<wxCommandEvent>(EVT_UART_READ_FAILED), &VantrelTerminalPanel::OnConnectionLost, this);
    Bind(wxEventTypeTag<wxCommandEvent>(EVT_PERIODIC_SEND_FAILED), &VantrelTerminalPanel::OnPeriodicFailed, this);
    m_readJob = std::make_shared<ReceiveJob>(this, m_connection);
    switch (ReadUartThread::Start(m_readJob)) {
        case ThreadStart::Started:
            return;
        case ThreadStart::CreateFailed:
            m_readJob.reset();
            MainWindow::GetInstance()->ReportError("Thread creation error", true);
            break;
        case ThreadStart::RunFailed:
            m_readJob.reset();
            MainWindow::GetInstance()->ReportError("Thread run error", true);
            break;
    }
}

sock_t VantrelTerminalPanel::GetSocket() const
{
    return m_connection ? m_connection->Socket() : SOCK_INVALID;
}

bool VantrelTerminalPanel::IsReceiving() const
{
    return m_readJob && !m_readJob->IsFinished();
}

TerminalView* VantrelTerminalPanel::GetReceiveView(int format) const
{
    return format >= 0 && format < 4 ? m_receiveViews[format] : nullptr;
}

wxTextCtrl* VantrelTerminalPanel::GetInputField(int format) const
{
    return IsTerminalFormat(format) ? m_inputFields[format] : nullptr;
}

void VantrelTerminalPanel::StopWorkers()
{
    if (m_stopped)
        return;
    m_stopped = true;
    m_timer.Stop();
    m_renderTimer.Stop();
    // First nobody reports to the page any more, then the socket ends and the
    // workers are waited for.
    if (m_connectJob)
        m_connectJob->Cancel();
    std::vector<std::shared_ptr<WorkerLink>> workers;
    if (m_readJob) {
        m_readJob->Stop();
        workers.push_back(m_readJob);
    }
    if (m_periodicJob) {
        m_periodicJob->Stop();
        workers.push_back(m_periodicJob);
    }
    if (m_watchdogJob) {
        m_watchdogJob->Stop();
        workers.push_back(m_watchdogJob);
    }
    // Events the workers queued before stopping may still arrive: every
    // handler ignores them from now on. (Dropping them here would leave the
    // page on the library's list of handlers with pending events.)
    if (m_connection || !workers.empty()) {
        auto disconnect = std::make_shared<DisconnectJob>(m_connection, workers, kCloseTimeoutMs);
        if (DisconnectThread::Start(disconnect))
            disconnect->WaitFinished(kCloseTimeoutMs + 50);
        else
            disconnect->Run();
    }
    m_readJob.reset();
    m_periodicJob.reset();
    m_watchdogJob.reset();
    m_connectJob.reset();
    m_connection.reset();
}

void VantrelTerminalPanel::OnClose(wxCloseEvent&)
{
    StopWorkers();
    Hide();
}

void VantrelTerminalPanel::OnBack(wxCommandEvent& event)
{
    if (event.GetId() != ID_BACK || m_configPort.empty())
        return;
    // Copies: the show operation replaces this page.
    const wxString ip = m_ip;
    const wxString port = m_configPort;
    MainWindow::GetInstance()->ShowModulePanel(ip, port);
}

void VantrelTerminalPanel::OnThreadEvent(wxCommandEvent& event)
{
    if (event.GetEventType() == EVT_CONNECTION_ESTABLISHED)
        m_connected = 1;
}

void VantrelTerminalPanel::OnConnectionLost(wxCommandEvent& event)
{
    if (event.GetEventType() == EVT_CONNECTION_LOST) {
        m_connectError = m_connectJob ? wxString::FromUTF8(m_connectJob->ErrorText()) : wxString();
        m_connected = -1;
        return;
    }
    if (m_lostReported || m_stopped)
        return;
    // Leaving from under an open dialog of the page would destroy the page
    // while that dialog's handler still runs.
    if (m_modalDepth > 0) {
        m_lostPending = true;
        return;
    }
    ReportConnectionLost();
}

void VantrelTerminalPanel::ReportConnectionLost()
{
    if (m_lostReported || m_stopped)
        return;
    m_lostReported = true;
    // What arrived before the end is still shown.
    RenderPending();
    if (m_connection)
        m_connection->MarkLost();
    StopWorkers();
    wxMessageDialog dialog(nullptr, "Connection Lost, redirecting to Home.", "Connection Lost!",
                           wxOK | wxICON_ERROR);
    dialog.ShowModal();
    MainWindow::GetInstance()->ShowStartPanel();
}

void VantrelTerminalPanel::OnDataReady(wxCommandEvent&)
{
    if (!m_stopped && !m_renderTimer.IsRunning())
        m_renderTimer.StartOnce(kRenderDelayMs);
}

void VantrelTerminalPanel::OnRenderTimer(wxTimerEvent&)
{
    RenderPending();
}

void VantrelTerminalPanel::OnSetFocus(wxFocusEvent& event)
{
    event.Skip();
    if (event.GetEventObject() == this)
        FocusInputField();
}

void VantrelTerminalPanel::OnTimer(wxTimerEvent&)
{
    m_timer.Stop();
}
