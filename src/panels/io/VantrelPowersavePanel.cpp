#include "VantrelPowersavePanel.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/msgdlg.h>
#include <wx/statline.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <memory>

#include "Common.h"
#include "MainWindow.h"
#include "sock.h"

namespace {

const wxString kWarning =
    "Please pay attention to your Powersave Configuration.\nAll changes will be irreversible!";

void RowLabel(wxWindow* page, const wxString& text, int y)
{
    auto* label = new wxStaticText(page, wxID_ANY, text, wxPoint(30, y), wxSize(120, -1));
    label->SetFont(FontBold8);
}

// Only digits can be typed; pasted text is checked when it is used.
wxTextCtrl* DigitField(wxWindow* page, wxWindowID id, const wxString& value, int y)
{
    return new wxTextCtrl(page, id, value, wxPoint(200, y), wxSize(170, -1), 0,
                          ConfigPage::DigitsValidator());
}

}  // namespace

VantrelPowersavePanel::VantrelPowersavePanel(const wxString& ip, const wxString& port, char type,
                                             int firmware)
    : ConfigPage("VantrelPowersavePanel", ip, port, type, firmware,
                 ConfigPageTexts("Are you sure to update module configuration?", kWarning)
                     .OtherBackTips()
                     .NotSaved("Error on POWERSAVE conf update. Configuration not saved!")
                     .LastErrorOnNetworkDown())
{
    if (!PowersaveSupported(firmware))
        MainWindow::GetInstance()->ReportError(PowersaveFirmwareText, true);
    m_read = DecodePowersave(ReadBlocks({BlockRef{DATABLOCK_POWERSAVE}}).at(0));
    BuildForm();
}

void VantrelPowersavePanel::BuildForm()
{
    BuildHeader(" Powersave Configuration", "Please fill Powersave configuration parameters.");

    RowLabel(this, "Sleep type", 100);
    const wxArrayString types(2, SleepTypes);
    const int sleepType = SleepTypeIndex(m_read.sleepType);
    // A sleep type the list lacks shows nothing and is written back as read.
    m_sleepTypeCombo = new wxComboBox(this, wxID_ANY, sleepType >= 0 ? types[sleepType] : wxString(),
                                      wxPoint(200, 100), wxSize(170, -1), types, wxCB_READONLY);
    if (sleepType >= 0)
        m_sleepTypeCombo->SetSelection(sleepType);

    RowLabel(this, "Boot Delay Time (s)", 130);
    m_bootDelayField = DigitField(this, wxID_ANY, wxString::Format("%u", unsigned(m_read.bootDelay)), 130);
    m_bootDelayField->SetMaxLength(5);
    m_randomBox = new wxCheckBox(this, wxID_ANY, "Random Gen?", wxPoint(385, 130), wxSize(170, -1));
    m_randomBox->SetValue(true);

    RowLabel(this, "Running Time (s)", 160);
    m_runningTimeField =
        DigitField(this, wxID_ANY, wxString::Format("%u", unsigned(m_read.runningTime)), 160);
    RowLabel(this, "Sleep Time (s)", 190);
    m_sleepTimeField = DigitField(this, wxID_ANY, wxString::Format("%u", unsigned(m_read.sleepTime)), 190);

    PlaceButtons(wxPoint(30, 230));

    new wxStaticLine(this, wxID_ANY, wxPoint(0, 280), wxSize(800, -1));
    RowLabel(this, "Sleep Now Time (s)", 310);
    m_sleepNowField = DigitField(this, ID_SLEEP_NOW_TIME, "0", 310);
    m_sleepNowButton =
        new wxButton(this, ID_SLEEP_NOW, SleepNowLabel("0"), wxPoint(385, 305), wxSize(170, -1));

    new wxStaticLine(this, wxID_ANY, wxPoint(0, 360), wxSize(800, -1));
    RowLabel(this, "Set Running Counter (s)", 390);
    m_counterField = DigitField(this, ID_RUNNING_COUNTER_TIME, "0", 390);
    // Its label is longer than the sleep button's: wide enough for ten digits.
    const int counterWidth = GetTextExtent(RunningCounterLabel(wxString('0', 10))).x + 12;
    m_counterButton = new wxButton(this, ID_SET_RUNNING_COUNTER, RunningCounterLabel("0"), wxPoint(385, 385),
                                   wxSize(std::max(170, counterWidth), -1));

    Bind(wxEVT_BUTTON, &VantrelPowersavePanel::OnSleepNow, this, ID_SLEEP_NOW);
    Bind(wxEVT_TEXT, &VantrelPowersavePanel::OnSleepNow, this, ID_SLEEP_NOW_TIME);
    Bind(wxEVT_BUTTON, &VantrelPowersavePanel::OnSetRunningCounter, this, ID_SET_RUNNING_COUNTER);
    Bind(wxEVT_TEXT, &VantrelPowersavePanel::OnSetRunningCounter, this, ID_RUNNING_COUNTER_TIME);
}

PowersaveField VantrelPowersavePanel::FormConfig(const wxString& bootDelay, PowersaveConfig* config,
                                                 wxString* refused) const
{
    const wxString running = m_runningTimeField->GetValue();
    const wxString sleep = m_sleepTimeField->GetValue();
    const PowersaveField field =
        PowersaveFromForm(m_sleepTypeCombo->GetSelection(), bootDelay, running, sleep, m_read, config);
    *refused = field == PowersaveField::BootDelay     ? bootDelay
               : field == PowersaveField::RunningTime ? running
                                                      : sleep;
    return field;
}

bool VantrelPowersavePanel::CheckForm()
{
    // A boot delay about to be drawn at random is not looked at.
    const wxString boot = m_randomBox->GetValue() ? wxString("0") : m_bootDelayField->GetValue();
    PowersaveConfig config;
    wxString text;
    const PowersaveField field = FormConfig(boot, &config, &text);
    if (field == PowersaveField::None)
        return true;
    MainWindow::GetInstance()->ReportError(PowersaveRefusal(field, text), false);
    return false;
}

void VantrelPowersavePanel::EnableForm(bool editable)
{
    m_bootDelayField->Enable(editable);
    m_randomBox->Enable(editable);
    m_runningTimeField->Enable(editable);
    m_sleepTimeField->Enable(editable);
    m_sleepTypeCombo->Enable(editable);
    // On the way to the confirmation view the boot delay may be drawn anew.
    if (!editable && m_randomBox->GetValue()) {
        std::srand(unsigned(std::time(nullptr)));
        m_bootDelayField->ChangeValue(wxString::Format("%d", std::rand() % 300));
    }
}

bool VantrelPowersavePanel::CollectWrite(std::vector<BlockValue>* blocks)
{
    PowersaveConfig config;
    wxString text;
    const PowersaveField field = FormConfig(m_bootDelayField->GetValue(), &config, &text);
    if (field != PowersaveField::None) {
        MainWindow::GetInstance()->ReportError(PowersaveRefusal(field, text), false);
        return false;
    }
    *blocks = {PowersaveBlock(config)};
    return true;
}

bool VantrelPowersavePanel::SendImmediate(const BlockValue& block, const wxString& echoError)
{
    MainWindow* main = MainWindow::GetInstance();
    // About 131 KB: off the GUI thread's stack.
    auto msg = std::make_unique<VEMTOR_COMMAND_MSG>();
    cmd_msg_clear(msg.get());
    const std::vector<BlockValue> blocks = {block};
    if (!BuildWriteRequest(msg.get(), blocks, NoSection) ||
        !cmd_msg_transact(msg.get(), m_ipText, m_portNumber)) {
        main->ReportError(wxEmptyString, false);
        return false;
    }
    if (FirstEchoMismatch(msg.get(), blocks, NoSection) >= 0)
        main->ReportError(echoError, false);
    return true;
}

void VantrelPowersavePanel::OnSleepNow(wxCommandEvent& event)
{
    if (event.GetId() == ID_SLEEP_NOW_TIME) {
        m_sleepNowButton->SetLabel(SleepNowLabel(m_sleepNowField->GetValue()));
        return;
    }
    if (event.GetId() != ID_SLEEP_NOW)
        return;
    const wxString text = m_sleepNowField->GetValue();
    uint32_t seconds = 0;
    if (!ReadSeconds(text, &seconds)) {
        MainWindow::GetInstance()->ReportError(SleepNowRefusal(text), false);
        return;
    }
    if (seconds == 0 || !SendImmediate(SleepNowBlock(seconds), "Sleep now error!"))
        return;
    wxMessageDialog done(nullptr, SleepNowDoneText(seconds), "Module Sleeping", wxOK | wxICON_INFORMATION);
    done.ShowModal();
    // The start page replaces this one.
    MainWindow::GetInstance()->ShowStartPanel();
}

void VantrelPowersavePanel::OnSetRunningCounter(wxCommandEvent& event)
{
    if (event.GetId() == ID_RUNNING_COUNTER_TIME) {
        m_counterButton->SetLabel(RunningCounterLabel(m_counterField->GetValue()));
        return;
    }
    if (event.GetId() != ID_SET_RUNNING_COUNTER)
        return;
    const wxString text = m_counterField->GetValue();
    uint32_t seconds = 0;
    if (!ReadSeconds(text, &seconds)) {
        MainWindow::GetInstance()->ReportError(RunningCounterRefusal(text), false);
        return;
    }
    if (!SendImmediate(RunningCounterBlock(seconds), "Set Running counter error!"))
        return;
    wxMessageDialog done(nullptr, RunningCounterDoneText(seconds), "Module running",
                         wxOK | wxICON_INFORMATION);
    done.ShowModal();
}
