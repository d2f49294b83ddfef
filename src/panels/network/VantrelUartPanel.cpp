#include "VantrelUartPanel.h"

#include <wx/combobox.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/wxsqlite3.h>

#include "Common.h"
#include "Db.h"
#include "MainWindow.h"

namespace {

// A bold row label with the row's tool tip.
void RowLabel(wxWindow* page, const wxString& text, int y, const wxString& toolTip)
{
    auto* label = new wxStaticText(page, wxID_ANY, text, wxPoint(30, y), wxSize(120, -1));
    label->SetFont(FontBold8);
    if (!toolTip.empty())
        label->SetToolTip(toolTip);
}

wxArrayString Choices(const wxString* texts, size_t n)
{
    return wxArrayString(n, texts);
}

// A read-only list showing entry `index`, or nothing for a value outside it.
wxComboBox* ReadOnlyCombo(wxWindow* page, int y, const wxArrayString& choices, int index)
{
    auto* combo = new wxComboBox(page, wxID_ANY, index >= 0 ? choices[index] : wxString(), wxPoint(200, y),
                                 wxSize(170, -1), choices, wxCB_READONLY);
    if (index >= 0)
        combo->SetSelection(index);
    return combo;
}

}  // namespace

VantrelUartPanel::VantrelUartPanel(const wxString& ip, const wxString& port, const wxString& mac, char type,
                                   int firmware)
    : ConfigPage("VantrelUartPanel", ip, port, type, firmware,
                 ConfigPageTexts("Are you sure to update module UART/RS485/RS232 configuration?",
                                 "Please pay attention to your UART/RS485/RS232 Configuration before update!")
                     .GoBackTip("Go Back to modify configuration!")),
      m_mac(mac)
{
    m_read = DecodeUart(ReadBlocks(UartReadBlocks()));
    BuildForm();
}

void VantrelUartPanel::BuildForm()
{
    BuildHeader(" UART/RS485/RS232 Configuration", "Please fill UART/RS485/RS232 configuration parameters.");

    RowLabel(this, "Stop Bits", 100, "Select Stop Bits value of your UART/RS485/RS232 interface");
    m_stopBitsCombo = ReadOnlyCombo(this, 100, Choices(StopBitsTexts, 2), StopBitsIndex(m_read.stopBits));

    RowLabel(this, "Parity Bits", 130, "Select Parity Bits value of your UART/RS485/RS232 interface");
    m_parityBitsCombo = ReadOnlyCombo(this, 130, Choices(ParityTexts, 3), ParityIndex(m_read.parity));

    RowLabel(this, "Baud Rate", 160, "Select Baudrate value of your UART interface");
    const wxArrayString rates = Choices(BaudRateChoices, 6);
    m_baudRateCombo =
        new wxComboBox(this, wxID_ANY, rates[0], wxPoint(200, 160), wxSize(170, -1), rates, wxCB_DROPDOWN);
    const int rateIndex = BaudRateIndex(m_read.baudRate);
    if (rateIndex >= 0)
        m_baudRateCombo->SetSelection(rateIndex);
    else
        m_baudRateCombo->SetValue(wxString::Format("%u", unsigned(m_read.baudRate)));

    RowLabel(this, "Data Bits", 190, wxEmptyString);
    new wxStaticText(this, wxID_ANY, "8", wxPoint(200, 190), wxSize(120, -1));

    PlaceButtons(wxPoint(30, 230));
    new wxStaticBitmap(this, wxID_ANY, IconBitmap("vantrel_uart_bg.jpg"), wxPoint(289, 269),
                       wxSize(511, 269));
}

void VantrelUartPanel::EnableForm(bool editable)
{
    m_stopBitsCombo->Enable(editable);
    m_parityBitsCombo->Enable(editable);
    m_baudRateCombo->Enable(editable);
}

bool VantrelUartPanel::FormSettings(UartSettings* uart)
{
    const wxString rate = m_baudRateCombo->GetValue();
    if (UartFromForm(m_stopBitsCombo->GetSelection(), m_parityBitsCombo->GetSelection(), rate, m_read, uart))
        return true;
    MainWindow::GetInstance()->ReportError(BaudRateRefusal(rate), false);
    return false;
}

bool VantrelUartPanel::CollectWrite(std::vector<BlockValue>* blocks)
{
    UartSettings uart;
    if (!FormSettings(&uart))
        return false;
    *blocks = UartWriteBlocks(uart);
    return true;
}

void VantrelUartPanel::SaveToDatabase()
{
    UartSettings uart;
    if (!FormSettings(&uart))
        return;
    try {
        Db* db = Db::GetInstance();
        const wxString parity = ParityText(uart.parity);
        const wxString stopBits = StopBitsText(uart.stopBits);
        const wxString rate = m_baudRateCombo->GetValue();
        if (!db->Exists(m_mac, true).empty())
            db->UpdateUart(m_mac, parity, stopBits, rate);
        else
            db->InsertUart(m_mac, parity, stopBits, rate);
    } catch (const wxSQLite3Exception& e) {
        MainWindow::GetInstance()->ReportError(e.GetMessage(), false);
    }
}
