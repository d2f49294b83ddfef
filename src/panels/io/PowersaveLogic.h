// The power-save page's values without a window: the record of datablock 51,
// the form's numbers, and the sleep-now and running-counter commands.
#pragma once

#include <wx/string.h>

#include <cstdint>

#include "PageCycle.h"

// Firmware numbers below this have no power save.
constexpr int PowersaveMinFirmware = 140;
extern const wxString PowersaveFirmwareText;
bool PowersaveSupported(int firmware);

extern const wxString SleepTypes[2];  // "Deep Sleep", "Only Wi-Fi Sleep"

// Datablock 51, 12 bytes: sleep type; boot delay (2 bytes); sleep time
// (bytes 3-6); running time (bytes 7-10); reserved. Both directions use this
// one layout, the one modules have always been written with, so a record
// read and written back unchanged keeps its bytes.
struct PowersaveConfig {
    uint8_t sleepType = 0;
    uint16_t bootDelay = 0;    // seconds
    uint32_t sleepTime = 0;    // seconds
    uint32_t runningTime = 0;  // seconds
    uint8_t reserved = 0;      // kept as read, never written
};

PowersaveConfig DecodePowersave(const BlockBytes& bytes);
// The record with byte 11 = 0.
BlockValue PowersaveBlock(const PowersaveConfig& config);
// The list entry of a sleep type; -1 for one the list does not have.
int SleepTypeIndex(uint8_t sleepType);

// The field that a form's text cannot be sent from.
enum class PowersaveField { None, BootDelay, RunningTime, SleepTime };
// The record the form stands for: no sleep type chosen keeps the one read;
// numbers are read as atoi would. A field below zero or beyond its bytes is
// named, and `out` stays untouched.
PowersaveField PowersaveFromForm(int sleepTypeIndex, const wxString& bootDelay, const wxString& runningTime,
                                 const wxString& sleepTime, const PowersaveConfig& read,
                                 PowersaveConfig* out);
wxString PowersaveRefusal(PowersaveField field, const wxString& text);

// Seconds of the two immediate commands, read as atoi would; false below
// zero or above 32 bits.
bool ReadSeconds(const wxString& text, uint32_t* seconds);
wxString SleepNowRefusal(const wxString& text);
wxString RunningCounterRefusal(const wxString& text);

// Datablock 52: command 1, then the seconds.
BlockValue SleepNowBlock(uint32_t seconds);
// Datablock 53: the seconds.
BlockValue RunningCounterBlock(uint32_t seconds);

// The command buttons' labels with the field's text as typed.
wxString SleepNowLabel(const wxString& text);
wxString RunningCounterLabel(const wxString& text);
// The messages after each command.
wxString SleepNowDoneText(uint32_t seconds);
wxString RunningCounterDoneText(uint32_t seconds);
