#include "VantrelI2CPanel.h"

#include <wx/combobox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>

#include "Common.h"
#include "MainWindow.h"

namespace {

void RowLabel(wxWindow* page, const wxString& text, int y)
{
    auto* label = new wxStaticText(page, wxID_ANY, text, wxPoint(30, y), wxSize(120, -1));
    label->SetFont(FontBold8);
}

// At most five characters are typed; a longer value read is shown whole
// (GTK would cut it to the limit, and a write would send what is left).
void LimitTyping(wxTextCtrl* field)
{
    field->SetMaxLength(std::max<unsigned long>(5, field->GetValue().length()));
}

}  // namespace

VantrelI2CPanel::VantrelI2CPanel(const wxString& ip, const wxString& port, char type, int firmware)
    : ConfigPage(
          "VantrelI2CPanel", ip, port, type, firmware,
          ConfigPageTexts(
              "Are you sure to update module configuration?",
              "Please pay attention to your I2C Sensor Configuration.\nAll changes will be irreversible!")
              .OtherBackTips()
              .LastErrorOnNetworkDown(),
          ChecksOnEveryEdit)
{
    m_read = DecodeI2c(ReadBlocks({BlockRef{DATABLOCK_I2C}}).at(0));
    BuildForm();
}

void VantrelI2CPanel::BuildForm()
{
    BuildHeader(" I2C Sensor Configuration", "Please fill I2C sensor configuration parameters.");

    RowLabel(this, "Output type", 110);
    const wxArrayString outputs(4, I2cOutputTypes);
    const int output = I2cOutputIndex(m_read.outputType);
    // An output type the list lacks shows nothing and is written back as read.
    m_outputCombo = new wxComboBox(this, wxID_ANY, output >= 0 ? outputs[output] : wxString(),
                                   wxPoint(320, 110), wxSize(210, -1), outputs, wxCB_READONLY);
    if (output >= 0)
        m_outputCombo->SetSelection(output);

    RowLabel(this, "Polling interval (ms)", 140);
    m_pollingField = new wxTextCtrl(this, wxID_ANY, wxString::Format("%u", unsigned(m_read.polling)),
                                    wxPoint(320, 140), wxSize(170, -1), 0, DigitsValidator());
    LimitTyping(m_pollingField);

    RowLabel(this, "Temperature Offset", 170);
    m_offsetField =
        new wxTextCtrl(this, wxID_ANY, OffsetText(m_read.offset), wxPoint(320, 170), wxSize(170, -1));
    LimitTyping(m_offsetField);

    PlaceButtons(wxPoint(30, 210));
}

bool VantrelI2CPanel::CheckForm()
{
    uint32_t polling = 0;
    switch (CheckPolling(m_pollingField->GetValue(), &polling)) {
        case PollingCheck::Ok:
            break;
        case PollingCheck::TooSmall:
            ShowCheckFailure(PollingTooSmallText, "Polling TIME error");
            return false;
        case PollingCheck::TooLarge:
            ShowCheckFailure(PollingTooLargeText, "Polling TIME error");
            return false;
    }
    double offset = 0;
    if (!ReadOffset(m_offsetField->GetValue(), &offset)) {
        ShowCheckFailure(OffsetRangeText, "Temperature Offset error");
        return false;
    }
    return true;
}

void VantrelI2CPanel::EnableForm(bool editable)
{
    m_outputCombo->Enable(editable);
    m_pollingField->Enable(editable);
    m_offsetField->Enable(editable);
}

bool VantrelI2CPanel::FormRecord(BlockValue* record)
{
    // Checked on the way to the confirmation view; checked again here since
    // nothing may be sent wrapped.
    uint32_t polling = 0;
    double offset = 0;
    if (CheckPolling(m_pollingField->GetValue(), &polling) != PollingCheck::Ok ||
        !ReadOffset(m_offsetField->GetValue(), &offset)) {
        MainWindow::GetInstance()->ReportError(m_texts.notSaved, false);
        return false;
    }
    const int output = m_outputCombo->GetSelection();
    const uint8_t outputType = output >= 0 && output < 4 ? uint8_t(output) : m_read.outputType;
    *record = I2cWriteBlock(polling, outputType, OffsetWord(float(offset)));
    return true;
}

bool VantrelI2CPanel::CollectWrite(std::vector<BlockValue>* blocks)
{
    BlockValue record;
    if (!FormRecord(&record))
        return false;
    *blocks = {record};
    return true;
}
