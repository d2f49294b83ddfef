// Fuzz target over a command list file as the terminal imports it: the file
// replaces the working list, every row becomes an entry, and each entry is
// turned into the bytes a send would take.
#include <wx/log.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "DbCommands.h"
#include "NumberText.h"
#include "TerminalLogic.h"
#include "file_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    AbortOnToolkitAssert();
    wxLogNull quiet;
    DbCommands* list = DbCommands::GetInstance();
    if (!list->IsOpen()) {
        // The working list's copy is written to the working folder: there,
        // not in the one the fuzzer runs in.
        const std::filesystem::path here = std::filesystem::current_path();
        std::filesystem::current_path(FuzzFolder());
        list->Open("localcmd.sqlite");
        std::filesystem::current_path(here);
    }
    const wxString path = WriteFuzzFile(data, size, "import.sqlite");
    try {
        list->RestoreFrom(path);
        wxSQLite3ResultSet rows = list->GetAll();
        while (rows.NextRow()) {
            uint64_t format = 0;
            if (!ReadDecimal(rows.GetAsString("type"), TerminalFormatCount - 1, &format))
                continue;
            const TerminalCommandEntry entry{rows.GetAsString("cmd"), static_cast<int>(format)};
            CommandRowText(entry);
            CheckCommandInput(entry.text, entry.format);
            std::vector<uint8_t> bytes;
            CommandBytes(entry.text, entry.format, &bytes);
        }
        rows.Finalize();
        list->DeleteAll();
    } catch (const wxSQLite3Exception&) {
        // Refused or damaged: the import reports it.
    }
    return 0;
}
