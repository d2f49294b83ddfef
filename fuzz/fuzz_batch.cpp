// Fuzz target over a batch configuration file as the batch page loads it:
// the check of the file, the question before the load, and the commands of
// every section for a module of the file's own type and firmware.
#include <wx/log.h>

#include <cstddef>
#include <cstdint>

#include "BatchFile.h"
#include "BatchLogic.h"
#include "HubLogic.h"
#include "file_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    AbortOnToolkitAssert();
    wxLogNull quiet;
    const wxString path = WriteFuzzFile(data, size, "module.db");
    BatchConfig config;
    wxString error;
    if (!ReadBatchFile(path, &config, &error))
        return 0;
    const int firmware = FirmwareVersionNumber(config.firmware);
    if (!CheckForModule(config, config.type, firmware, path).empty())
        return 0;
    LoadQuestion(path, config, config.type, "127.0.0.2");
    const BlockBytes ownIp = {127, 0, 0, 2};
    for (const BatchSection& section : BatchSections(config.type, firmware)) {
        std::vector<BatchCommand> commands;
        wxString refusal;
        if (!SectionCommands(section.hubId, config, config.type, firmware, ownIp, &commands, &refusal))
            continue;
        for (const BatchCommand& command : commands) {
            VEMTOR_COMMAND_MSG msg;
            BuildWriteRequest(&msg, command.blocks, command.section);
        }
    }
    return 0;
}
