#include "TerminalLogic.h"

#include <cstdlib>
#include <string>

#include "HubLogic.h"
#include "NumberText.h"

namespace {

// The blank-separated tokens of a text (runs of blanks give no empty token).
std::vector<std::string> Tokens(const std::string& text)
{
    std::vector<std::string> tokens;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && text[i] == ' ')
            ++i;
        size_t end = i;
        while (end < text.size() && text[end] != ' ')
            ++end;
        if (end > i)
            tokens.push_back(text.substr(i, end - i));
        i = end;
    }
    return tokens;
}

}  // namespace

wxString FormatSuffix(int format)
{
    static const char* const suffixes[TerminalFormatCount] = {" (ASCII)", " (Hex)", " (Binary)",
                                                              " (Decimal)"};
    return IsTerminalFormat(format) ? wxString(suffixes[format]) : wxString();
}

wxString CommandRowText(const TerminalCommandEntry& entry)
{
    return entry.text + FormatSuffix(entry.format);
}

wxString CheckCommandInput(const wxString& text, int format)
{
    const std::string utf8 = text.utf8_string();
    if (utf8.size() > MaxInputBytes)
        return "Max 128 bytes";
    const std::vector<std::string> tokens = Tokens(utf8);
    if (tokens.empty())
        return "Invalid blank input";
    for (const std::string& token : tokens) {
        uint64_t value = 0;
        if (format == FORMAT_HEX && token.size() > 2)
            return "Hex can be length max 2 digits";
        if (format == FORMAT_BINARY && token.size() > 8)
            return "Binary can be length max 8 digits";
        if (format == FORMAT_DECIMAL && !ReadDecimal(wxString::FromUTF8(token), 255, &value))
            return "Decimal value max 255";
    }
    return IsTerminalFormat(format) ? wxString() : wxString("Unknown message format");
}

wxString CommandBytes(const wxString& text, int format, std::vector<uint8_t>* bytes)
{
    bytes->clear();
    if (format == FORMAT_ASCII) {
        if (text.length() > MaxMessageBytes)
            return wxString::Format("Message longer than %zu bytes", MaxMessageBytes);
        std::vector<uint8_t> out(text.length());
        if (!ModuleTextToBytes(text, out.data(), out.size()))
            return "The message holds a character that has no 8-bit form";
        *bytes = std::move(out);
        return wxString();
    }
    static const int bases[TerminalFormatCount] = {0, 16, 2, 10};
    if (!IsTerminalFormat(format))
        return "Unknown message format";
    const std::string utf8 = text.utf8_string();
    if (utf8.size() > MaxNumericTextBytes)
        return wxString::Format("Message longer than %zu characters", MaxNumericTextBytes);
    for (const std::string& token : Tokens(utf8))
        bytes->push_back(static_cast<uint8_t>(std::strtol(token.c_str(), nullptr, bases[format]) & 0xFF));
    return wxString();
}

std::vector<uint8_t> PadMessage(const std::vector<uint8_t>& message, int totalSize)
{
    if (totalSize <= 0)
        return message;
    std::vector<uint8_t> out(static_cast<size_t>(totalSize));
    for (size_t p = 0; p < out.size(); ++p)
        out[p] = p < message.size() ? message[p] : static_cast<uint8_t>(p % 256);
    return out;
}

uint16_t NextMessageCounter(uint16_t counter)
{
    return static_cast<uint16_t>(counter + 1);
}

std::vector<uint8_t> CounterFrame(const std::vector<uint8_t>& message, uint16_t counter)
{
    std::vector<uint8_t> frame(message.size());
    if (frame.size() < MinCounterMessageBytes)
        return frame;
    frame[0] = static_cast<uint8_t>(counter >> 8);
    frame[1] = static_cast<uint8_t>(counter & 0xFF);
    std::copy(message.begin(), message.end() - 2, frame.begin() + 2);
    return frame;
}

wxString ToBinaryString(unsigned value)
{
    wxString digits;
    do {
        digits += static_cast<char>('0' + value % 2);
        value /= 2;
    } while (value > 0);
    return digits;
}

wxString TimestampText(const wxDateTime& time)
{
    const wxDateTime::TimeZone zone(wxDateTime::GMT1);
    return time.Format("%c", zone) + ":" + time.Format("%l", zone);
}

wxString ParsePeriod(const wxString& text, int unit, int* periodMs)
{
    int64_t value = 0;
    if (text.Strip(wxString::both).empty()) {
        *periodMs = 0;
        return wxString();
    }
    if (!ParseDecimal(text, 0, 999, &value))
        return "The period must be a whole number from 0 to 999";
    *periodMs = static_cast<int>(unit == 1 ? value * 1000 : value);
    return wxString();
}

wxString ParseTotalSize(const wxString& text, int* totalSize)
{
    int64_t value = 0;
    if (text.Strip(wxString::both).empty()) {
        *totalSize = 0;
        return wxString();
    }
    if (!ParseDecimal(text, -999, 999, &value))
        return "The total size must be a whole number up to 999";
    *totalSize = static_cast<int>(value < 0 ? 0 : value);
    return wxString();
}
