#include "PowersaveLogic.h"

#include "ByteOrder.h"
#include "NumberText.h"

const wxString PowersaveFirmwareText = "Powersave modes are supported only on firmware >= 1.4.0";
const wxString SleepTypes[2] = {"Deep Sleep", "Only Wi-Fi Sleep"};

bool PowersaveSupported(int firmware)
{
    return firmware >= PowersaveMinFirmware;
}

PowersaveConfig DecodePowersave(const BlockBytes& b)
{
    PowersaveConfig config;
    if (b.size() < 12)
        return config;
    config.sleepType = b[0];
    config.bootDelay = uint16_t(BytesToU16(b[1], b[2]));
    config.sleepTime = BytesToU32(b[3], b[4], b[5], b[6]);
    config.runningTime = BytesToU32(b[7], b[8], b[9], b[10]);
    config.reserved = b[11];
    return config;
}

BlockValue PowersaveBlock(const PowersaveConfig& c)
{
    BlockBytes bytes = {c.sleepType, uint8_t(c.bootDelay >> 8), uint8_t(c.bootDelay & 0xFF)};
    const uint8_t* sleep = U32ToBytes(c.sleepTime);
    bytes.insert(bytes.end(), sleep, sleep + 4);
    const uint8_t* running = U32ToBytes(c.runningTime);
    bytes.insert(bytes.end(), running, running + 4);
    bytes.push_back(0);
    return MakeBlock(DATABLOCK_POWERSAVE, std::move(bytes));
}

int SleepTypeIndex(uint8_t sleepType)
{
    return sleepType < 2 ? sleepType : -1;
}

PowersaveField PowersaveFromForm(int sleepTypeIndex, const wxString& bootDelay, const wxString& runningTime,
                                 const wxString& sleepTime, const PowersaveConfig& read, PowersaveConfig* out)
{
    uint64_t boot = 0, running = 0, sleep = 0;
    if (!ReadDecimal(bootDelay, UINT16_MAX, &boot))
        return PowersaveField::BootDelay;
    if (!ReadDecimal(runningTime, UINT32_MAX, &running))
        return PowersaveField::RunningTime;
    if (!ReadDecimal(sleepTime, UINT32_MAX, &sleep))
        return PowersaveField::SleepTime;
    PowersaveConfig config = read;
    if (sleepTypeIndex == 0 || sleepTypeIndex == 1)
        config.sleepType = uint8_t(sleepTypeIndex);
    config.bootDelay = uint16_t(boot);
    config.runningTime = uint32_t(running);
    config.sleepTime = uint32_t(sleep);
    *out = config;
    return PowersaveField::None;
}

wxString PowersaveRefusal(PowersaveField field, const wxString& text)
{
    switch (field) {
        case PowersaveField::BootDelay:
            return "Invalid Boot Delay Time \"" + text +
                   "\": please enter a number of seconds from 0 to 65535";
        case PowersaveField::RunningTime:
            return "Invalid Running Time \"" + text +
                   "\": please enter a number of seconds from 0 to 4294967295";
        case PowersaveField::SleepTime:
            return "Invalid Sleep Time \"" + text +
                   "\": please enter a number of seconds from 0 to 4294967295";
        case PowersaveField::None:
            break;
    }
    return wxString();
}

bool ReadSeconds(const wxString& text, uint32_t* seconds)
{
    uint64_t value = 0;
    if (!ReadDecimal(text, UINT32_MAX, &value))
        return false;
    *seconds = uint32_t(value);
    return true;
}

wxString SleepNowRefusal(const wxString& text)
{
    return "Invalid Sleep Now Time \"" + text + "\": please enter a number of seconds from 0 to 4294967295";
}

wxString RunningCounterRefusal(const wxString& text)
{
    return "Invalid Running Counter \"" + text + "\": please enter a number of seconds from 0 to 4294967295";
}

BlockValue SleepNowBlock(uint32_t seconds)
{
    const uint8_t* s = U32ToBytes(seconds);
    return MakeBlock(DATABLOCK_SLEEP_NOW, {1, s[0], s[1], s[2], s[3]});
}

BlockValue RunningCounterBlock(uint32_t seconds)
{
    const uint8_t* s = U32ToBytes(seconds);
    return MakeBlock(DATABLOCK_RUNNING_COUNTER, {s[0], s[1], s[2], s[3]});
}

wxString SleepNowLabel(const wxString& text)
{
    return "Sleep Now for " + text + " s";
}

wxString RunningCounterLabel(const wxString& text)
{
    return "Set Running counter to " + text + " s";
}

wxString SleepNowDoneText(uint32_t seconds)
{
    return wxString::Format("Module put in Sleep for %u seconds", unsigned(seconds));
}

wxString RunningCounterDoneText(uint32_t seconds)
{
    return wxString::Format("Running counter reset to %u seconds", unsigned(seconds));
}
