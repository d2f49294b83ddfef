#include "ConfigPage.h"

#include <wx/bmpbuttn.h>
#include <wx/frame.h>
#include <wx/msgdlg.h>
#include <wx/statline.h>
#include <wx/stattext.h>

#include <memory>

#include "CommandProgressWait.h"
#include "Common.h"
#include "HubLogic.h"
#include "MainWindow.h"
#include "NumberText.h"
#include "SendCommandThread.h"
#include "sock.h"

const wxString NetworkDownText =
    "Network down. Configuration not saved! Please check your Wi-Fi connection and Vantrel module connection";

namespace {

constexpr int kButtonGap = 143;
const wxSize kButtonSize(133, 38);

// About 131 KB each: off the GUI thread's stack.
std::unique_ptr<VEMTOR_COMMAND_MSG> NewMessage()
{
    auto msg = std::make_unique<VEMTOR_COMMAND_MSG>();
    cmd_msg_clear(msg.get());
    return msg;
}

}  // namespace

ConfigPage::ConfigPage(const wxString& windowName, const wxString& ip, const wxString& port, char type,
                       int firmware, const ConfigPageTexts& texts, const ConfigPageRules& rules)
    : wxPanel(MainWindow::GetInstance()->frame, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL,
              windowName),
      m_ip(ip),
      m_port(port),
      m_type(type),
      m_firmware(firmware),
      m_texts(texts),
      m_rules(rules)
{
    MainWindow* main = MainWindow::GetInstance();
    if (!CopyAddressText(ip, m_ipText))
        main->ReportError("Invalid Vantrel module address: " + ip, true);
    if (!ParsePortText(port, &m_portNumber))
        main->ReportError("Invalid Vantrel module port: " + port, true);

    Bind(wxEVT_BUTTON, &ConfigPage::OnBackCommand, this, ID_BACK);
    Bind(wxEVT_MENU, &ConfigPage::OnBackCommand, this, ID_BACK);
    Bind(wxEVT_BUTTON, &ConfigPage::OnEdit, this, ID_PAGE_EDIT);
    Bind(wxEVT_BUTTON, &ConfigPage::OnEdit, this, ID_PAGE_GO_BACK);
    Bind(wxEVT_BUTTON, &ConfigPage::OnUpdate, this, ID_PAGE_CONFIRM);
    if (m_rules.backToEditAfterFailedWrite)
        Bind(wxEventTypeTag<wxCommandEvent>(EVT_PANEL_BACK_TO_EDIT), &ConfigPage::OnEdit, this);
}

ConfigPage::~ConfigPage() = default;

void ConfigPage::ShowCheckFailure(const wxString& message, const wxString& caption)
{
    wxMessageDialog(nullptr, message, caption, wxOK | wxICON_ERROR).ShowModal();
}

wxTextValidator ConfigPage::DigitsValidator()
{
    wxTextValidator digits(wxFILTER_INCLUDE_CHAR_LIST);
    digits.SetCharIncludes("0123456789");
    return digits;
}

std::vector<BlockBytes> ConfigPage::ReadBlocks(const std::vector<BlockRef>& blocks,
                                               const std::vector<BlockRef>& alsoAsked)
{
    MainWindow* main = MainWindow::GetInstance();
    auto msg = NewMessage();
    std::vector<BlockRef> request = blocks;
    request.insert(request.end(), alsoAsked.begin(), alsoAsked.end());
    if (!BuildReadRequest(msg.get(), request))
        main->ReportError(wxEmptyString, true);

    Bind(wxEventTypeTag<wxCommandEvent>(EVT_COMMAND_SUCCEEDED), &ConfigPage::OnCommandDone, this);
    Bind(wxEventTypeTag<wxCommandEvent>(EVT_COMMAND_FAILED), &ConfigPage::OnCommandFailed, this);
    const int flag = CommandProgressWait(this, msg.get(), m_ipText, m_portNumber, m_waitFlag);
    if (flag == 0)
        main->ReportError("Connection aborted by user", true);
    if (flag < 0)
        main->ReportError(wxEmptyString, true);

    std::vector<BlockBytes> values;
    if (!TakeBlocks(msg.get(), blocks, &values))
        main->ReportError(wxEmptyString, true);
    return values;
}

void ConfigPage::BuildHeader(const wxString& title, const wxString& hint)
{
    auto* titleText = new wxStaticText(this, wxID_ANY, MainWindow::GetModelName(m_type) + title,
                                       wxPoint(m_posX, m_posY), wxSize(800, -1));
    titleText->SetFont(FontBold11);
    new wxStaticLine(this, wxID_ANY, wxPoint(0, m_posY + 20), wxSize(800, -1));
    auto* hintText = new wxStaticText(this, wxID_ANY, hint, wxPoint(m_posX, m_posY + 40), wxSize(800, -1));
    hintText->SetFont(FontBold9);
    hintText->SetForegroundColour(wxColour(255, 0, 0));
}

void ConfigPage::PlaceButtons(const wxPoint& left, int firstLeftId)
{
    m_buttonsAt = left;
    m_backBitmap = IconBitmap("backbtn.jpg");
    m_editBitmap = IconBitmap("editbtn.jpg");
    ShowButtons(false, firstLeftId);
}

void ConfigPage::ShowButtons(bool confirmView, int leftId)
{
    // The old pair may be the one whose click is being handled.
    DestroyLater(m_leftButton);
    DestroyLater(m_rightButton);
    const wxPoint right(m_buttonsAt.x + kButtonGap, m_buttonsAt.y);
    if (confirmView) {
        m_leftButton =
            new wxBitmapButton(this, ID_PAGE_GO_BACK, m_backBitmap, m_buttonsAt, kButtonSize, wxBU_AUTODRAW);
        m_leftButton->SetToolTip(m_texts.goBackTip);
        m_rightButton = new wxBitmapButton(this, ID_PAGE_CONFIRM, IconBitmap("confirmbtn.jpg"), right,
                                           kButtonSize, wxBU_AUTODRAW);
    } else {
        m_leftButton =
            new wxBitmapButton(this, leftId, m_backBitmap, m_buttonsAt, kButtonSize, wxBU_AUTODRAW);
        m_rightButton =
            new wxBitmapButton(this, ID_PAGE_EDIT, m_editBitmap, right, kButtonSize, wxBU_AUTODRAW);
        if (leftId == ID_BACK)
            m_leftButton->SetToolTip(m_texts.backTip);
    }
    if (confirmView || leftId == ID_BACK)
        m_rightButton->SetToolTip(m_texts.warning);
    m_confirmView = confirmView;
}

void ConfigPage::OnCommandDone(wxCommandEvent&)
{
    m_waitFlag = 1;
}

void ConfigPage::OnCommandFailed(wxCommandEvent&)
{
    m_waitFlag = -1;
}

void ConfigPage::OnBackCommand(wxCommandEvent& event)
{
    // What the newest binding of the Back command would do in each view.
    if (m_confirmView)
        OnEdit(event);
    else
        OnBack(event);
}

void ConfigPage::OnBack(wxCommandEvent& event)
{
    if (event.GetId() != ID_BACK)
        return;
    // Copies: the show operation replaces this page.
    const wxString ip = m_ip;
    const wxString port = m_port;
    MainWindow::GetInstance()->ShowModulePanel(ip, port);
}

void ConfigPage::OnEdit(wxCommandEvent& event)
{
    TakeForm();
    if (m_rules.checksOnEveryEdit && !CheckForm())
        return;
    switch (event.GetId()) {
        case ID_PAGE_EDIT:
            if (m_confirmView || (!m_rules.checksOnEveryEdit && !CheckForm()))
                return;
            EnableForm(false);
            ShowButtons(true);
            break;
        case ID_PAGE_GO_BACK:
        case ID_BACK:
            if (!m_confirmView)
                return;
            EnableForm(true);
            ShowButtons(false);
            break;
        default:
            break;
    }
}

void ConfigPage::OnUpdate(wxCommandEvent&)
{
    if (!m_confirmView)
        return;
    wxMessageDialog question(nullptr, m_texts.question, "Update configuration?",
                             wxYES_NO | wxNO_DEFAULT | wxICON_QUESTION);
    if (question.ShowModal() != wxID_YES)
        return;
    if (!UpdateConfiguration()) {
        wxCommandEvent back(EVT_PANEL_BACK_TO_EDIT, ID_PAGE_GO_BACK);
        back.SetInt(1);
        back.StopPropagation();
        GetEventHandler()->ProcessEvent(back);
        return;
    }
    AfterWrite();
    ShowAfterWrite();
}

void ConfigPage::ShowAfterWrite()
{
    // Copies: the prompt replaces this page.
    const wxString model = MainWindow::GetModelName(m_type);
    const wxString ip = m_ip;
    const wxString port = m_port;
    MainWindow::AskConfigureMore(model, ip, port, AskMore());
}

bool ConfigPage::CollectWrite(std::vector<BlockValue>*)
{
    return false;
}

bool ConfigPage::UpdateConfiguration()
{
    std::vector<BlockValue> blocks;
    if (!CollectWrite(&blocks))
        return false;
    return WriteBlocks(blocks, Section()) != WriteOutcome::NotSaved;
}

int ConfigPage::EchoMismatch(const VEMTOR_COMMAND_MSG* reply, const std::vector<BlockValue>& blocks,
                             uint8_t section)
{
    return FirstEchoMismatch(reply, blocks, section);
}

wxString ConfigPage::EchoErrorText(const VEMTOR_COMMAND_MSG* reply, const std::vector<BlockValue>& blocks,
                                   uint8_t section)
{
    return EchoMismatch(reply, blocks, section) >= 0 ? m_texts.savedWithErrors : wxString();
}

ConfigPage::WriteOutcome ConfigPage::WriteBlocks(const std::vector<BlockValue>& blocks, uint8_t section)
{
    MainWindow* main = MainWindow::GetInstance();
    auto msg = NewMessage();
    if (!BuildWriteRequest(msg.get(), blocks, section)) {
        // Only the save order did not fit when the blocks alone do.
        auto blocksOnly = NewMessage();
        const bool saveRefused = !m_texts.saveRefused.empty() && section != NoSection &&
                                 BuildWriteRequest(blocksOnly.get(), blocks, NoSection);
        main->ReportError(saveRefused ? m_texts.saveRefused : m_texts.notSaved, false);
        return WriteOutcome::NotSaved;
    }
    if (!cmd_msg_transact(msg.get(), m_ipText, m_portNumber)) {
        main->ReportError(m_texts.networkDown, false);
        return WriteOutcome::NotSaved;
    }
    const wxString echoError = EchoErrorText(msg.get(), blocks, section);
    if (!echoError.empty()) {
        main->ReportError(echoError, false);
        return WriteOutcome::SavedWithErrors;
    }
    return WriteOutcome::Saved;
}
