#include "VantrelAdvancedPanel.h"

#include <wx/combobox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "Common.h"
#include "MainWindow.h"

namespace {

uint16_t NumberValue(const AdvancedConfig& c, AdvancedField field)
{
    switch (field) {
        case ADV_UART_PORT:
            return c.uart_port;
        case ADV_CAN_PORT:
            return c.can_port;
        case ADV_DIGITAL_IO_PORT:
            return c.digital_io_port;
        case ADV_ANALOGIC_INPUT_PORT:
            return c.analogic_input_port;
        case ADV_MIN_DATA:
            return c.min_data;
        case ADV_MAX_WAIT_TIME:
            return c.max_wait_time;
        case ADV_DIGITAL_IO_POLLING:
            return c.digital_io_polling;
        case ADV_ANALOGIC_INPUT_POLLING:
            return c.analogic_input_polling;
        case ADV_TASK_PERIOD:
            return c.task_period;
        default:
            return 0;
    }
}

}  // namespace

VantrelAdvancedPanel::VantrelAdvancedPanel(const wxString& ip, const wxString& port, char type, int firmware)
    : ConfigPage(
          "VantrelAdvancedPanel", ip, port, type, firmware,
          ConfigPageTexts(
              "Are you sure to update module configuration?",
              "Please pay attention to your Advanced Configuration.\nAll changes will be irreversible!")
              .OtherBackTips()
              .SaveRefused("Error on ADVANCED conf update. Configuration not saved!")
              .LastErrorOnNetworkDown(),
          ChecksOnEveryEdit)
{
    m_read = DecodeAdvanced(ReadBlocks(AdvancedReadBlocks(type, firmware)), type, firmware);
    BuildForm();
}

void VantrelAdvancedPanel::BuildForm()
{
    BuildHeader(" Advanced Configuration", "Please fill Advanced configuration parameters.");
    const wxTextValidator digits = DigitsValidator();
    int y = m_posY + 40;
    for (const AdvancedRow& row : AdvancedRows(m_type, m_firmware)) {
        y += 30;
        auto* label = new wxStaticText(this, wxID_ANY, row.label, wxPoint(m_posX, y), wxSize(120, -1));
        label->SetFont(FontBold8);
        const wxPoint at(m_posX + 290, y);
        const wxSize size(170, -1);
        if (row.control == AdvancedControl::Choice) {
            const uint8_t value = row.field == ADV_FILTER_TYPE ? m_read.filter_type : m_read.auto_reboot;
            const wxArrayString choices(2,
                                        row.field == ADV_FILTER_TYPE ? FilterTypeChoices : AutoRebootChoices);
            // A value outside the list selects nothing, and is written back as read.
            const int index = ChoiceIndex(value);
            auto* combo = new wxComboBox(this, wxID_ANY, index >= 0 ? choices[size_t(index)] : wxString(), at,
                                         size, choices, wxCB_READONLY);
            if (index >= 0)
                combo->SetSelection(index);
            m_controls[row.field] = combo;
        } else if (row.field == ADV_INIT_STRING) {
            auto* text = new wxTextCtrl(this, wxID_ANY, m_read.init_string, at, size);
            text->SetMaxLength(long(InitStringRoom(m_firmware)));
            m_controls[row.field] = text;
        } else {
            const wxString value = wxString::Format("%u", unsigned(NumberValue(m_read, row.field)));
            auto* text = row.control == AdvancedControl::Number
                             ? new wxTextCtrl(this, wxID_ANY, value, at, size, 0, digits)
                             : new wxTextCtrl(this, wxID_ANY, value, at, size);
            if (row.control == AdvancedControl::Number)
                text->SetMaxLength(5);
            m_controls[row.field] = text;
        }
    }
    PlaceButtons(wxPoint(m_posX, y + 40));
}

wxTextCtrl* VantrelAdvancedPanel::TextField(AdvancedField field) const
{
    return dynamic_cast<wxTextCtrl*>(m_controls[field]);
}

wxComboBox* VantrelAdvancedPanel::ChoiceField(AdvancedField field) const
{
    return dynamic_cast<wxComboBox*>(m_controls[field]);
}

AdvancedForm VantrelAdvancedPanel::Form() const
{
    AdvancedForm form;
    for (int f = 0; f < ADV_FIELD_COUNT; ++f) {
        if (const wxTextCtrl* text = TextField(AdvancedField(f)))
            form.text[f] = text->GetValue();
        else if (const wxComboBox* combo = ChoiceField(AdvancedField(f)))
            form.selection[f] = combo->GetSelection();
    }
    return form;
}

bool VantrelAdvancedPanel::CheckForm()
{
    const std::optional<AdvancedRefusal> refusal = CheckAdvancedForm(Form(), m_firmware);
    if (!refusal)
        return true;
    ShowCheckFailure(refusal->message, refusal->caption);
    return false;
}

void VantrelAdvancedPanel::EnableForm(bool editable)
{
    for (wxWindow* control : m_controls)
        if (control)
            control->Enable(editable);
}

bool VantrelAdvancedPanel::CollectWrite(std::vector<BlockValue>* blocks)
{
    const AdvancedConfig config = AdvancedFromForm(Form(), m_read);
    if (AdvancedWriteBlocks(config, m_type, m_firmware, blocks))
        return true;
    MainWindow::GetInstance()->ReportError(m_texts.notSaved, false);
    return false;
}
