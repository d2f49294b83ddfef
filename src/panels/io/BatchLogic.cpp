#include "BatchLogic.h"

#include <cmath>

#include "AdvancedLogic.h"
#include "CanLogic.h"
#include "HubLogic.h"
#include "I2cLogic.h"
#include "IoLogic.h"
#include "ModelNames.h"
#include "PowersaveLogic.h"
#include "SocketLogic.h"

namespace {

wxString SectionName(int hubId)
{
    switch (hubId) {
        case ID_HUB_NETWORK:
            return "Network";
        case ID_HUB_SOCKET:
        case ID_HUB_SOCKET_NEW:
            return "Socket";
        case ID_HUB_ADVANCED:
            return "Advanced";
        case ID_HUB_UART:
            return "UART";
        case ID_HUB_CANBUS:
            return "CAN bus";
        case ID_HUB_CANBUS_ACTUATION:
            return "CAN actuation";
        case ID_HUB_I2C:
            return "I2C sensor";
        case ID_HUB_IO:
            return "Digital I/O";
        case ID_HUB_ADC:
            return "Analog input";
        case ID_HUB_POWERSAVE:
            return "Power save";
        default:
            return wxString();
    }
}

// A list read as its page reads it: `bound` elements in commands of `chunk`.
void AddChunks(std::vector<std::vector<BlockRef>>* reads, uint16_t id, uint8_t chunk, uint8_t bound)
{
    for (unsigned start = 0; start < bound; start += chunk)
        reads->push_back({BlockRef{id, chunk, uint8_t(start)}});
}

std::vector<BlockRef> Flatten(const std::vector<std::vector<BlockRef>>& reads)
{
    std::vector<BlockRef> refs;
    for (const std::vector<BlockRef>& read : reads)
        refs.insert(refs.end(), read.begin(), read.end());
    return refs;
}

// The bytes of every ref in order; false at the first one the file lacks.
bool TakeRecords(const BatchRecords& records, const std::vector<BlockRef>& refs,
                 std::vector<BlockBytes>* values)
{
    std::vector<BlockBytes> taken;
    for (const BlockRef& ref : refs) {
        const BlockValue* record = FindRecord(records, ref);
        if (!record)
            return false;
        taken.push_back(record->bytes);
    }
    *values = std::move(taken);
    return true;
}

// The saved values of a section, read as the module's firmware laid them out.
bool SectionValues(int hubId, const BatchConfig& config, std::vector<BlockBytes>* values)
{
    const int firmware = FirmwareVersionNumber(config.firmware);
    return TakeRecords(config.records, Flatten(SectionReads(hubId, config.type, firmware)), values);
}

BlockBytes Joined(const std::vector<BlockBytes>& values, size_t first, size_t count)
{
    BlockBytes bytes;
    for (size_t i = first; i < first + count && i < values.size(); ++i)
        bytes.insert(bytes.end(), values[i].begin(), values[i].end());
    return bytes;
}

size_t ChunkCount(uint8_t chunk, uint8_t bound)
{
    return (size_t(bound) + chunk - 1) / chunk;
}

// Byte 9 of the CAN settings as the CAN bus page writes it back: the
// selection and output type its lists show for the code read.
bool AcquisitionAsWritten(uint8_t code, int firmware, uint8_t* out)
{
    const bool native = OutputTypeCount(firmware) == 3;
    return AcquisitionCode(SelectionFromCode(code), OutputFromCode(code, native), out);
}

void AddList(std::vector<BatchCommand>* commands, uint16_t id, uint8_t chunk, const BlockBytes& bytes)
{
    for (BlockValue& block : ListChunkBlocks(id, chunk, bytes))
        commands->push_back({{std::move(block)}, NoSection});
}

// The lists' save alone, then the settings with theirs, as both CAN pages end.
void AddCanSettings(std::vector<BatchCommand>* commands, const CanSettings& settings)
{
    commands->push_back({{}, CONF_SECTION_CAN_MESSAGES});
    commands->push_back(
        {{MakeBlock(DATABLOCK_CAN_SETTINGS, EncodeCanSettings(settings))}, CONF_SECTION_CAN_SETTINGS});
}

const wxString kCanNativeRefusal = "Impossible to apply SIGNALS Selection + Canbus Native messages format!";

}  // namespace

std::vector<std::vector<BlockRef>> SectionReads(int hubId, char type, int firmware)
{
    std::vector<std::vector<BlockRef>> reads;
    switch (hubId) {
        case ID_HUB_NETWORK:
            reads.push_back(NetReadBlocks());
            break;
        case ID_HUB_SOCKET:
            reads.push_back(SocketReadBlocks(SocketPageKind::Older));
            break;
        case ID_HUB_SOCKET_NEW:
            reads.push_back(SocketReadBlocks(SocketPageKind::Newer));
            break;
        case ID_HUB_ADVANCED:
            reads.push_back(AdvancedReadBlocks(type, firmware));
            break;
        case ID_HUB_UART:
            reads.push_back(UartReadBlocks());
            break;
        case ID_HUB_CANBUS:
            // Both lists: the page shows the one its selection names, and
            // a module set up alike holds both.
            reads.push_back({BlockRef{DATABLOCK_CAN_SETTINGS}});
            AddChunks(&reads, DATABLOCK_CAN_SIGNALS, CanSignalChunk, CanSignalRows);
            AddChunks(&reads, DATABLOCK_CAN_MESSAGES, CanMessageChunk, CanMessageRows);
            break;
        case ID_HUB_CANBUS_ACTUATION:
            reads.push_back({BlockRef{DATABLOCK_CAN_SETTINGS}});
            AddChunks(&reads, DATABLOCK_CAN_EXEC_MESSAGES, CanMessageChunk, CanMessageRows);
            break;
        case ID_HUB_I2C:
            reads.push_back({BlockRef{DATABLOCK_I2C}});
            break;
        case ID_HUB_IO:
            reads.push_back({IoReadBlock(IoLineCount(type))});
            break;
        case ID_HUB_ADC:
            reads.push_back({AdcReadBlock()});
            break;
        case ID_HUB_POWERSAVE:
            reads.push_back({BlockRef{DATABLOCK_POWERSAVE}});
            break;
        default:
            break;
    }
    return reads;
}

std::vector<BatchSection> BatchSections(char type, int firmware)
{
    std::vector<BatchSection> sections;
    // The batch page itself is shown only to a logged-in user.
    for (const HubButton& button : HubButtons(type, firmware, true)) {
        std::vector<std::vector<BlockRef>> reads = SectionReads(button.id, type, firmware);
        if (!reads.empty())
            sections.push_back({button.id, SectionName(button.id), std::move(reads)});
    }
    return sections;
}

const BlockValue* FindRecord(const BatchRecords& records, const BlockRef& ref)
{
    for (const BlockValue& r : records)
        if (r.id == ref.id && r.count == ref.count && r.index == ref.index)
            return &r;
    return nullptr;
}

std::vector<BlockRef> MissingRefs(const BatchRecords& records, const std::vector<BlockRef>& read)
{
    std::vector<BlockRef> missing;
    for (const BlockRef& ref : read)
        if (!FindRecord(records, ref))
            missing.push_back(ref);
    return missing;
}

std::vector<BlockValue> RecordsOf(const std::vector<BlockRef>& refs, const std::vector<BlockBytes>& values)
{
    std::vector<BlockValue> records;
    for (size_t i = 0; i < refs.size() && i < values.size(); ++i)
        records.push_back(MakeBlock(refs[i].id, values[i], refs[i].count, refs[i].index));
    return records;
}

wxString RecordFault(const BlockValue& r)
{
    if (r.id > DATABLOCK_MAX_ID || datablock_table[r.id].size == 0)
        return wxString::Format("datablock %u is not a module datablock", unsigned(r.id));
    if (r.count == 0)
        return wxString::Format("datablock %u at index %u holds no elements", unsigned(r.id),
                                unsigned(r.index));
    const unsigned max = datablock_table[r.id].max;
    if (unsigned(r.index) + r.count > max)
        return wxString::Format("datablock %u at index %u goes past its %u elements", unsigned(r.id),
                                unsigned(r.index), max);
    const size_t size = BlockSize(r.id, r.count);
    if (r.bytes.size() != size)
        return wxString::Format("datablock %u at index %u holds %u bytes, not %u", unsigned(r.id),
                                unsigned(r.index), unsigned(r.bytes.size()), unsigned(size));
    return wxString();
}

wxString CheckForModule(const BatchConfig& config, char type, int firmware, const wxString& file)
{
    const wxString quoted = "\"" + file + "\"";
    if (config.type != type)
        return wxString::Format(
            "%s holds the configuration of a %s module (type %c); this module is a %s "
            "(type %c). Nothing was sent.",
            quoted, GetModelName(config.type), config.type, GetModelName(type), type);
    std::vector<BlockBytes> values;
    for (const BatchSection& section : BatchSections(type, firmware))
        if (!SectionValues(section.hubId, config, &values))
            return quoted + " lacks the " + section.name + " settings of this module. Nothing was sent.";
    return wxString();
}

bool BatchNetForm(const BatchConfig& config, const BlockBytes& ownIp, NetForm* form, NetFormValues* read)
{
    std::vector<BlockBytes> values;
    if (ownIp.size() != 4 || !SectionValues(ID_HUB_NETWORK, config, &values))
        return false;
    *read = DecodeNet(values, FirmwareVersionNumber(config.firmware));
    *form = FormFromValues(*read);
    form->ip = DottedText(ownIp.data());
    return true;
}

bool BatchUart(const BatchConfig& config, UartSettings* uart)
{
    std::vector<BlockBytes> values;
    if (!SectionValues(ID_HUB_UART, config, &values))
        return false;
    *uart = DecodeUart(values);
    return true;
}

bool SectionCommands(int hubId, const BatchConfig& config, char type, int firmware, const BlockBytes& ownIp,
                     std::vector<BatchCommand>* commands, wxString* refusal)
{
    std::vector<BlockBytes> values;
    if (!SectionValues(hubId, config, &values)) {
        *refusal = "the file lacks these settings";
        return false;
    }
    const int saved = FirmwareVersionNumber(config.firmware);
    std::vector<BatchCommand> out;
    switch (hubId) {
        case ID_HUB_NETWORK: {
            NetForm form;
            NetFormValues read;
            std::vector<BlockValue> blocks;
            if (!BatchNetForm(config, ownIp, &form, &read)) {
                *refusal = "the module's own address could not be read";
                return false;
            }
            const NetRefusal refused = NetWriteBlocks(form, read, &blocks);
            if (refused != NetRefusal::None) {
                *refusal = NetRefusalText(refused);
                return false;
            }
            out.push_back({std::move(blocks), CONF_SECTION_NETWORK});
            break;
        }
        case ID_HUB_SOCKET:
        case ID_HUB_SOCKET_NEW: {
            const SocketPageKind kind =
                hubId == ID_HUB_SOCKET ? SocketPageKind::Older : SocketPageKind::Newer;
            std::vector<ServiceChannel> channels;
            if (kind == SocketPageKind::Newer)
                channels = ServiceChannelList(type, ServicePorts(values.at(1), saved), firmware);
            // The grid as the page fills it, passed back unchanged.
            const SocketGridSource source = FillSocketGrid(DecodeSocketTable(values.at(0)), kind, channels);
            const SocketPass pass = ValidateSocketTable(source.shown, source, kind, channels);
            if (pass.refusal) {
                *refusal = pass.refusal->message;
                return false;
            }
            BlockValue sockets;
            if (!SocketWriteBlock(pass.records, kind, &sockets)) {
                *refusal = "Error on socket update. Configuration not saved!";
                return false;
            }
            out.push_back({{std::move(sockets)}, CONF_SECTION_SOCKETS});
            break;
        }
        case ID_HUB_ADVANCED: {
            std::vector<BlockValue> blocks;
            // Read in the saved firmware's layout, written in this module's.
            if (!AdvancedWriteBlocks(DecodeAdvanced(values, type, saved), type, firmware, &blocks)) {
                *refusal = wxString::Format("the init string does not fit the %u characters of this firmware",
                                            unsigned(InitStringRoom(firmware)));
                return false;
            }
            out.push_back({std::move(blocks), CONF_SECTION_ADVANCED});
            break;
        }
        case ID_HUB_UART:
            out.push_back({UartWriteBlocks(DecodeUart(values)), CONF_SECTION_UART});
            break;
        case ID_HUB_CANBUS: {
            CanSettings settings = DecodeCanSettings(values.at(0));
            if (!AcquisitionAsWritten(settings.acquisition, firmware, &settings.acquisition)) {
                *refusal = kCanNativeRefusal;
                return false;
            }
            const size_t signalChunks = ChunkCount(CanSignalChunk, CanSignalRows);
            const size_t messageChunks = ChunkCount(CanMessageChunk, CanMessageRows);
            AddList(&out, DATABLOCK_CAN_SIGNALS, CanSignalChunk,
                    EncodeSignals(DecodeSignals(Joined(values, 1, signalChunks))));
            // The grid shows an id type above 1 as not enabled, which it writes as 2.
            std::vector<CanMessage> messages =
                DecodeMessages(Joined(values, 1 + signalChunks, messageChunks), false);
            for (CanMessage& m : messages)
                if (m.idType > 1)
                    m.idType = 2;
            AddList(&out, DATABLOCK_CAN_MESSAGES, CanMessageChunk, EncodeMessages(messages));
            AddCanSettings(&out, settings);
            break;
        }
        case ID_HUB_CANBUS_ACTUATION: {
            // Byte 9 as the CAN bus section has just written it.
            CanSettings settings = DecodeCanSettings(values.at(0));
            if (!AcquisitionAsWritten(settings.acquisition, firmware, &settings.acquisition)) {
                *refusal = kCanNativeRefusal;
                return false;
            }
            settings.actuation =
                uint8_t(ExecSelectionFromByte(settings.actuation, ExecSelectionTypeCount(firmware) == 5));
            const BlockBytes list = Joined(values, 1, ChunkCount(CanMessageChunk, CanMessageRows));
            AddList(&out, DATABLOCK_CAN_EXEC_MESSAGES, CanMessageChunk,
                    EncodeMessages(DecodeMessages(list, true)));
            AddCanSettings(&out, settings);
            break;
        }
        case ID_HUB_I2C: {
            const I2cConfig i2c = DecodeI2c(values.at(0));
            // What the page would refuse to send is refused (an offset past
            // the bound would go out cut to it).
            if (i2c.polling < PollingMin) {
                *refusal = PollingTooSmallText;
                return false;
            }
            if (std::fabs(i2c.offset) > OffsetLimit) {
                *refusal = OffsetRangeText;
                return false;
            }
            out.push_back(
                {{I2cWriteBlock(i2c.polling, i2c.outputType, OffsetWord(i2c.offset))}, CONF_SECTION_I2C});
            break;
        }
        case ID_HUB_IO:
            out.push_back({{IoWriteBlock(DecodeIo(values.at(0), IoLineCount(type)))}, CONF_SECTION_IO});
            break;
        case ID_HUB_ADC:
            out.push_back({{AdcWriteBlock(DecodeAdc(values.at(0)))}, CONF_SECTION_ADC});
            break;
        case ID_HUB_POWERSAVE:
            out.push_back({{PowersaveBlock(DecodePowersave(values.at(0)))}, CONF_SECTION_POWERSAVE});
            break;
        default:
            *refusal = "no settings";
            return false;
    }
    *commands = std::move(out);
    return true;
}

wxString LoadSummary(const wxString& file, const wxString& module, const std::vector<SectionReport>& reports)
{
    wxString text = "Configuration \"" + file + "\" sent to " + module + ":\n";
    for (const SectionReport& r : reports) {
        text += "\n" + r.name + ": ";
        switch (r.outcome) {
            case SectionOutcome::Written:
                text += "written";
                break;
            case SectionOutcome::SavedWithErrors:
                text += "saved with errors";
                break;
            case SectionOutcome::Failed:
                text += "failed (" + r.reason + ")";
                break;
            case SectionOutcome::NotSent:
                text += "not sent";
                break;
        }
    }
    return text;
}

wxString LoadQuestion(const wxString& file, const BatchConfig& config, char type, const wxString& ip)
{
    return wxString::Format(
        "Send the configuration in \"%s\" (saved from the %s module %s, firmware %s) to the %s module at "
        "%s?\n\nThe module keeps its own IP address and alias.",
        file, GetModelName(config.type), config.mac, config.firmware, GetModelName(type), ip);
}

wxString SaveFailureText(const wxString& what, const wxString& reason)
{
    return "Configuration not saved to file: the " + what + " could not be read.\n\n" + reason;
}
