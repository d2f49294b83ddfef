// The batch configuration file and commands without a window.
#include <gtest/gtest.h>
#include <wx/wxsqlite3.h>

#include <algorithm>

#include "AdvancedLogic.h"
#include "BatchFile.h"
#include "BatchLogic.h"
#include "HubLogic.h"
#include "panel_test_util.h"

namespace {

// Every record the sections of a module read, each of zeros.
BatchConfig FullConfig(char type, const char* firmware)
{
    BatchConfig config{type, firmware, "00:1e:c0:12:34:56", {}};
    for (const BatchSection& section : BatchSections(type, FirmwareVersionNumber(firmware)))
        for (const std::vector<BlockRef>& read : section.reads)
            for (const BlockRef& ref : MissingRefs(config.records, read))
                config.records.push_back(
                    MakeBlock(ref.id, BlockBytes(BlockSize(ref.id, ref.count)), ref.count, ref.index));
    return config;
}

void SetRecord(BatchConfig* config, uint16_t id, uint8_t index, const BlockBytes& bytes)
{
    for (BlockValue& r : config->records)
        if (r.id == id && r.index == index)
            r.bytes = bytes;
}

}  // namespace

// The pages with settings among a logged-in user's hub buttons, in their
// order; the CAN bus page reads both lists, a chunk per exchange.
TEST(BatchLogic, SectionsFollowTheHubButtons)
{
    // type, the sections' buttons, their names as the summary gives them.
    const std::tuple<char, std::vector<int>, const char*> cases[] = {
        {'A',
         {ID_HUB_NETWORK, ID_HUB_SOCKET_NEW, ID_HUB_ADVANCED, ID_HUB_CANBUS, ID_HUB_CANBUS_ACTUATION,
          ID_HUB_IO, ID_HUB_POWERSAVE},
         "Network,Socket,Advanced,CAN bus,CAN actuation,Digital I/O,Power save"},
        {'I',
         {ID_HUB_NETWORK, ID_HUB_SOCKET_NEW, ID_HUB_I2C, ID_HUB_POWERSAVE},
         "Network,Socket,I2C sensor,Power save"},
        {'4',
         {ID_HUB_NETWORK, ID_HUB_SOCKET_NEW, ID_HUB_ADVANCED, ID_HUB_IO, ID_HUB_ADC, ID_HUB_POWERSAVE},
         "Network,Socket,Advanced,Digital I/O,Analog input,Power save"},
    };
    for (const auto& [type, ids, names] : cases) {
        std::vector<int> shown;
        wxString named;
        for (const BatchSection& s : BatchSections(type, 145)) {
            shown.push_back(s.hubId);
            named += (named.empty() ? "" : ",") + s.name;
        }
        EXPECT_EQ(shown, ids) << type;
        EXPECT_EQ(named, names) << type;
    }
    // "id/count/index" of each block, exchanges apart by '|'.
    std::string reads;
    for (const std::vector<BlockRef>& read : SectionReads(ID_HUB_CANBUS, 'A', 145)) {
        reads += reads.empty() ? "" : "|";
        for (const BlockRef& r : read)
            reads += wxString::Format("%d/%d/%d", r.id, r.count, r.index);
    }
    EXPECT_EQ(reads, "44/1/0|41/7/0|41/7/7|40/8/0|40/8/8|40/8/16|40/8/24");
}

// A record's elements must lie within the datablock's and its bytes be the
// element size times the count.
TEST(BatchLogic, RecordFaults)
{
    // id, count, index, bytes, what is wrong.
    const std::tuple<uint16_t, uint8_t, uint8_t, size_t, const char*> cases[] = {
        {37, 8, 0, 144, ""},
        {37, 8, 1, 144, "datablock 37 at index 1 goes past its 8 elements"},
        {41, 7, 7, 56, ""},
        {46, 0, 0, 0, "datablock 46 at index 0 holds no elements"},
        {46, 1, 0, 45, "datablock 46 at index 0 holds 45 bytes, not 44"},
        {56, 1, 0, 0, "datablock 56 is not a module datablock"},
    };
    for (const auto& [id, count, index, size, fault] : cases)
        EXPECT_EQ(RecordFault(MakeBlock(id, BlockBytes(size, 0xA5), count, index)), fault) << id;
}

// What is written comes back byte for byte and in order.
TEST(BatchFile, RecordsComeBackByteForByte)
{
    paneltest::TempDir dir;
    const wxString path = dir.File("module.db");
    BatchConfig config = FullConfig('A', "1.4.5");
    config.firmware = wxString(L"1.4.5-\u00e9");  // a Latin-1 character
    BlockBytes pattern(56);
    for (size_t i = 0; i < pattern.size(); ++i)
        pattern[i] = uint8_t(i * 37);  // zeros and 0xFF among them
    SetRecord(&config, 41, 7, pattern);
    wxString error;
    ASSERT_TRUE(WriteBatchFile(path, config, &error)) << error;
    BatchConfig back;
    ASSERT_TRUE(ReadBatchFile(path, &back, &error)) << error;
    EXPECT_EQ(back.type, 'A');
    EXPECT_EQ(back.firmware, config.firmware);
    EXPECT_EQ(back.mac, config.mac);
    EXPECT_EQ(paneltest::Tuples(back.records), paneltest::Tuples(config.records));
}

// Files that are not whole configurations of this program are refused with
// what is wrong, and nothing is taken from them.
TEST(BatchFile, RefusesWhatItDidNotWrite)
{
    paneltest::TempDir dir;
    const wxString path = dir.File("conf.db");
    const wxString quoted = "\"" + path + "\"";
    const BatchConfig good = FullConfig('S', "1.4.5");
    // what is done to a good file, what is told.
    const std::pair<const char*, wxString> cases[] = {
        {"DROP TABLE vantrel_batch_module", " is not a module configuration file of Vantrel Glimra"},
        {"UPDATE vantrel_batch_datablocks SET value = zeroblob(43) WHERE datablock = 46",
         " is damaged: datablock 46 at index 0 holds 43 bytes, not 44"},
        {"INSERT INTO vantrel_batch_datablocks SELECT NULL, datablock, element_count, start_index, value "
         "FROM vantrel_batch_datablocks WHERE datablock = 35",
         " is damaged: datablock 35 at index 0 appears twice"},
        {"DELETE FROM vantrel_batch_module", " is damaged: it names no module"},
        {"UPDATE vantrel_batch_module SET format = 2", " was saved by another version of Vantrel Glimra"},
        {"INSERT INTO vantrel_batch_module SELECT * FROM vantrel_batch_module",
         " is damaged: it names more than one module"},
        {"UPDATE vantrel_batch_module SET module_type = 'SS'",
         " is damaged: its module type is not one character"},
        {"UPDATE vantrel_batch_datablocks SET start_index = 256 WHERE datablock = 46",
         " is damaged: a datablock record is out of range"},
    };
    for (const auto& [sql, told] : cases) {
        SCOPED_TRACE(sql);
        wxString error;
        ASSERT_TRUE(WriteBatchFile(path, good, &error)) << error;
        wxSQLite3Database db;
        db.Open(path);
        db.ExecuteUpdate(sql);
        db.Close();
        BatchConfig config{'x', "kept", "", {}};
        EXPECT_FALSE(ReadBatchFile(path, &config, &error));
        EXPECT_EQ(error.utf8_string(), (quoted + told).utf8_string());
        EXPECT_EQ(config.type, 'x');
    }

    // Bytes that are no database, or a database whose pages are spoilt.
    wxString error;
    BatchConfig config;
    std::ofstream(path.ToStdString(), std::ios::trunc) << "ip;mac\n127.0.0.1;00:1e:c0:00:00:01\n";
    EXPECT_FALSE(ReadBatchFile(path, &config, &error));
    EXPECT_NE(error.Find(quoted + " is not a valid database"), wxNOT_FOUND) << error;
    ASSERT_TRUE(WriteBatchFile(path, good, &error));
    {
        std::fstream file(path.ToStdString(), std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(4096 + 8);  // the records table's first page
        file.write("\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF", 8);
    }
    EXPECT_FALSE(ReadBatchFile(path, &config, &error));
    EXPECT_TRUE(error.StartsWith(quoted + " is damaged")) << error;
}

// A configuration goes only to a module of its own type, the letter case
// included (another case is another model), and only with the records of
// every section the module has.
TEST(BatchLogic, FileForAnotherModuleIsRefused)
{
    // type saved, type of the module, what is told.
    const std::tuple<char, char, const char*> cases[] = {
        {'A', 'A', ""},
        {'S', 's',
         "\"f.db\" holds the configuration of a Vantrel-S-UART module (type S); this module is a "
         "KOB-F-RS232-S (type s). Nothing was sent."},
        {'s', 'S',
         "\"f.db\" holds the configuration of a KOB-F-RS232-S module (type s); this module is a "
         "Vantrel-S-UART (type S). Nothing was sent."},
    };
    for (const auto& [saved, type, told] : cases)
        EXPECT_EQ(CheckForModule(FullConfig(saved, "1.4.5"), type, 145, "f.db").utf8_string(), told)
            << saved << type;
    BatchConfig partial = FullConfig('S', "1.4.5");
    partial.records.erase(partial.records.begin() + 11);  // the socket table follows the 11 network blocks
    ASSERT_EQ(partial.records[10].id, DATABLOCK_KEY);
    EXPECT_EQ(CheckForModule(partial, 'S', 145, "s.db"),
              "\"s.db\" lacks the Socket settings of this module. Nothing was sent.");
}

// The CAN sections go as the CAN pages write: each list in its chunks with no
// save, the lists' save alone, then the settings with theirs; values as the
// pages' lists show them.
TEST(BatchLogic, CanSectionsWriteTheirListsThenTheSaves)
{
    BatchConfig config = FullConfig('A', "1.4.5");
    // 250000 bps, an acquisition code no list has, an actuation byte beyond its list.
    SetRecord(&config, 44, 0, {0x00, 0x03, 0xD0, 0x90, 9, 9, 9, 9, 9, 9, 7});
    BlockBytes signals(56, 0);
    signals[4] = 5, signals[7] = 3;  // id type and byte order outside their lists
    signals[8 * 6 + 3] = 0x42;       // the chunk's last signal's id
    SetRecord(&config, 41, 0, signals);
    BlockBytes messages(40, 0);
    messages[4] = 3;  // not enabled: written as 2
    messages[9] = 1;
    SetRecord(&config, 40, 0, messages);
    SetRecord(&config, 47, 0, messages);
    std::vector<BatchCommand> commands;
    wxString refusal;
    ASSERT_TRUE(SectionCommands(ID_HUB_CANBUS, config, 'A', 145, {}, &commands, &refusal)) << refusal;
    // "id/count/index" of each command's first block, ":" and its section.
    std::string layout;
    for (const BatchCommand& c : commands) {
        const BlockValue b = c.blocks.empty() ? BlockValue{0, 0, 0, {}} : c.blocks[0];
        layout += wxString::Format(" %d/%d/%d:%d", b.id, b.count, b.index, c.section);
    }
    EXPECT_EQ(layout,
              wxString::Format(" 41/7/0:0 41/7/7:0 40/8/0:0 40/8/8:0 40/8/16:0 40/8/24:0 0/0/0:%d 44/1/0:%d",
                               CONF_SECTION_CAN_MESSAGES, CONF_SECTION_CAN_SETTINGS));
    BlockBytes shownSignals = signals;
    shownSignals[4] = 0, shownSignals[7] = 0;  // as the signal list shows them
    EXPECT_EQ(commands[0].blocks[0].bytes, shownSignals);
    BlockBytes written = messages;
    written[4] = 2;
    EXPECT_EQ(commands[2].blocks[0].bytes, written);
    EXPECT_EQ(commands[7].blocks[0].bytes, (BlockBytes{0x00, 0x03, 0xD0, 0x90, 3, 2, 1, 1, 1, 0, 7}))
        << "bit timing of the speed, the acquisition as its lists show it, the actuation as read";
    ASSERT_TRUE(SectionCommands(ID_HUB_CANBUS_ACTUATION, config, 'A', 145, {}, &commands, &refusal));
    ASSERT_EQ(commands.size(), 6u);
    written[4] = 0;  // the actuation list has no "not enabled"
    EXPECT_EQ(commands[0].blocks[0].bytes, written);
    EXPECT_EQ(commands[5].blocks[0].bytes, (BlockBytes{0x00, 0x03, 0xD0, 0x90, 3, 2, 1, 1, 1, 0, 0}));
}

// The advanced record is read in the saved firmware's layout and written in
// the module's.
TEST(BatchLogic, AdvancedRecordTakesTheModulesLayout)
{
    BatchConfig config = FullConfig('S', "1.4.2");
    AdvancedConfig advanced;
    advanced.init_string = "AT";
    BlockBytes shortLayout;
    ASSERT_TRUE(EncodeAdvanced(advanced, 142, &shortLayout));
    SetRecord(&config, DATABLOCK_ADVANCED, 0, shortLayout);
    std::vector<BatchCommand> commands;
    wxString refusal;
    ASSERT_TRUE(SectionCommands(ID_HUB_ADVANCED, config, 'S', 145, {}, &commands, &refusal)) << refusal;
    ASSERT_EQ(commands.size(), 1u);
    BlockBytes longLayout;
    ASSERT_TRUE(EncodeAdvanced(advanced, 145, &longLayout));
    EXPECT_EQ(commands[0].blocks.at(0).bytes, longLayout);
    EXPECT_EQ(commands[0].section, CONF_SECTION_ADVANCED);
}

// The I2C, I/O, analog input and power-save sections send what their pages
// send for the values read, under their own sections.
TEST(BatchLogic, SingleRecordSectionsWriteAsTheirPages)
{
    // section, module type, saved record (count, bytes), record sent, section byte.
    const std::tuple<int, char, uint8_t, BlockBytes, BlockBytes, uint8_t> cases[] = {
        {ID_HUB_I2C,
         'I',
         1,
         {0, 0, 0x03, 0xE8, 2, 0x80, 0x19},
         {0, 0, 0x03, 0xE8, 2, 0x80, 0x19},
         CONF_SECTION_I2C},
        {ID_HUB_I2C,
         'I',
         1,
         {0x80, 0, 0, 0, 3, 0x00, 0x0D},
         {0x80, 0, 0, 0, 3, 0x00, 0x0D},
         CONF_SECTION_I2C},
        {ID_HUB_IO,
         '9',
         8,
         {7, 1, 0, 6, 0, 1, 5, 2, 2, 4, 0, 0, 3, 1, 1, 2, 0, 0, 1, 1, 0, 0, 0, 9},
         {0, 1, 0, 1, 0, 1, 2, 1, 1, 3, 0, 0, 4, 1, 1, 5, 0, 0, 6, 1, 0, 7, 0, 1},
         CONF_SECTION_IO},
        {ID_HUB_ADC, '4', 4, {3, 5, 2, 0, 1, 1, 0, 0xFF}, {0, 1, 1, 0, 2, 1, 3, 1}, CONF_SECTION_ADC},
        {ID_HUB_POWERSAVE,
         'S',
         1,
         {1, 0x01, 0x2C, 0, 0, 0x0E, 0x10, 0, 0, 0, 0x3C, 0x55},
         {1, 0x01, 0x2C, 0, 0, 0x0E, 0x10, 0, 0, 0, 0x3C, 0},
         CONF_SECTION_POWERSAVE},
    };
    for (const auto& [hubId, type, count, saved, sent, section] : cases) {
        SCOPED_TRACE(testing::Message() << hubId << type);
        BatchConfig config = FullConfig(type, "1.4.5");
        const uint16_t id = SectionReads(hubId, type, 145).at(0).at(0).id;
        // The record as the module gave it, in place of what the reads ask.
        config.records.erase(std::remove_if(config.records.begin(), config.records.end(),
                                            [id = id](const BlockValue& r) { return r.id == id; }),
                             config.records.end());
        config.records.push_back(MakeBlock(id, saved, count));
        std::vector<BatchCommand> commands;
        wxString refusal;
        ASSERT_TRUE(SectionCommands(hubId, config, type, 145, {}, &commands, &refusal)) << refusal;
        ASSERT_EQ(commands.size(), 1u);
        EXPECT_EQ(paneltest::Tuples(commands[0].blocks), (paneltest::BlockList{{id, count, 0, sent}}));
        EXPECT_EQ(commands[0].section, section);
    }
}

// An I2C record its page would refuse to send is refused with the page's words.
TEST(BatchLogic, I2cRecordThePageWouldRefuse)
{
    // saved record, what is told (empty: sent).
    const std::pair<BlockBytes, const char*> cases[] = {
        {{0, 0, 0x03, 0xE7, 0, 0, 0}, "You must specify a valid Polling TIME greater than 1000 ms"},
        {{0, 0, 0x03, 0xE8, 0, 0x75, 0x30}, ""},
        {{0, 0, 0x03, 0xE8, 0, 0xF5, 0x30}, ""},
        {{0, 0, 0x03, 0xE8, 0, 0x75, 0x31}, "You must specify a valid offset between -3000 and 3000"},
        {{0, 0, 0x03, 0xE8, 0, 0xF5, 0x31}, "You must specify a valid offset between -3000 and 3000"},
    };
    for (const auto& [saved, told] : cases) {
        BatchConfig config = FullConfig('I', "1.4.5");
        SetRecord(&config, DATABLOCK_I2C, 0, saved);
        std::vector<BatchCommand> commands;
        wxString refusal;
        EXPECT_EQ(SectionCommands(ID_HUB_I2C, config, 'I', 145, {}, &commands, &refusal), !*told);
        EXPECT_EQ(refusal, told);
        if (!*told) {
            EXPECT_EQ(commands.at(0).blocks.at(0).bytes, saved);
        }
    }
}

TEST(BatchLogic, LoadSummaryLinePerSection)
{
    using O = SectionOutcome;
    const std::vector<SectionReport> reports = {{"Network", O::Written, ""},
                                                {"Socket", O::SavedWithErrors, ""},
                                                {"UART", O::Failed, "socket reciv timeout"},
                                                {"Power save", O::NotSent, ""}};
    EXPECT_EQ(LoadSummary("f.db", "the Vantrel-S-UART module at 127.0.0.1", reports),
              "Configuration \"f.db\" sent to the Vantrel-S-UART module at 127.0.0.1:\n\nNetwork: written\n"
              "Socket: saved with errors\nUART: failed (socket reciv timeout)\nPower save: not sent");
}
