#include "CanCsv.h"

namespace {

// A line is read through a buffer of this size, its zero byte included.
constexpr int kLineBuffer = 100;

std::vector<std::string> Fields(const std::string& line)
{
    std::vector<std::string> fields;
    std::string field;
    auto flush = [&] {
        while (!field.empty() && (field.back() == '\n' || field.back() == '\r'))
            field.pop_back();
        if (!field.empty())
            fields.push_back(field);
        field.clear();
    };
    for (char c : line) {
        if (c == ',' || c == ';')
            flush();
        else
            field += c;
    }
    flush();
    return fields;
}

// Bytes of the file as characters, one each, whatever the locale.
wxString FieldText(const std::string& field)
{
    return wxString(field.c_str(), wxConvISO8859_1, field.size());
}

// The list entry a 0 or 1 field names; the cell stays otherwise.
void SetFromList(const std::string& field, const wxString (&texts)[2], wxString* cell)
{
    const int64_t v = AtoiValue(FieldText(field));
    if (v == 0 || v == 1)
        *cell = texts[v];
}

}  // namespace

std::string SignalCsvLine(const SignalCells& row, bool hex)
{
    const wxString line =
        wxString::Format("%u,%d,%lld,%lld,%d\n", unsigned(CanIdValue(row.id, hex)),
                         row.type == CanIdTypeTexts[0] ? 0 : 1, (long long)AtoiValue(row.startBit),
                         (long long)AtoiValue(row.length), row.byteOrder == CanByteOrderTexts[0] ? 0 : 1);
    return std::string(line.mb_str(wxConvISO8859_1));
}

bool WriteSignalCsv(FILE* out, const std::vector<SignalCells>& rows, bool hex)
{
    for (const SignalCells& row : rows)
        if (fputs(SignalCsvLine(row, hex).c_str(), out) < 0)
            return false;
    return true;
}

void ApplySignalCsvLine(const std::string& line, SignalCells* row, bool hex)
{
    const std::vector<std::string> fields = Fields(line);
    for (size_t k = 0; k < fields.size() && k < 5; ++k) {
        const wxString text = FieldText(fields[k]);
        switch (k) {
            case 0:
                row->id = hex ? CanIdText(CanIdValue(text, false), true) : text;
                break;
            case 1:
                SetFromList(fields[k], CanIdTypeTexts, &row->type);
                break;
            case 2:
                row->startBit = text;
                break;
            case 3:
                row->length = text;
                break;
            case 4:
                SetFromList(fields[k], CanByteOrderTexts, &row->byteOrder);
                break;
        }
    }
}

size_t ReadSignalCsv(FILE* in, std::vector<SignalCells>* rows, bool hex)
{
    char buffer[kLineBuffer];
    size_t row = 0;
    while (row < rows->size() && fgets(buffer, sizeof buffer, in))
        ApplySignalCsvLine(buffer, &(*rows)[row++], hex);
    return row;
}
