#include "ModelNames.h"

const ModuleModel ModuleModelTable[ModuleModelCount] = {
    {'S', "Vantrel-S-UART"}, {'C', "Vantrel-CS-UART"}, {'s', "KOB-F-RS232-S"},  {'c', "KOB-F-RS232-CS"},
    {'A', "Vantrel-S-CAN"},  {'B', "Vantrel-CS-CAN"},  {'a', "KOB-F-CAN-S"},    {'b', "KOB-F-CAN-CS"},
    {'D', "Vantrel-S-D4IO"}, {'E', "Vantrel-CS-D4IO"}, {'d', "KOB-F-D4IO-BO"},  {'e', "KOB-F-D4IO-BI"},
    {'F', "Vantrel-S-485"},  {'G', "Vantrel-CS-485"},  {'f', "KOB-F-RS485-S"},  {'g', "KOB-F-RS485-CS"},
    {'I', "Vantrel-I2C-TH"}, {'0', "QEMLIX-232-S"},    {'1', "QEMLIX-232-CS"},  {'2', "QEMLIX-CAN-S"},
    {'3', "QEMLIX-CAN-CS"},  {'4', "QEMLIX-D4IO-S"},   {'5', "QEMLIX-D4IO-CS"}, {'6', "QEMLIX-485-S"},
    {'7', "QEMLIX-485-CS"},  {'8', "KOB-F-D8IO-BO"},   {'9', "KOB-F-D8IO-BI"},
};

wxString GetModelName(char type)
{
    for (const ModuleModel& model : ModuleModelTable)
        if (model.type == type)
            return wxString::FromAscii(model.name);
    return wxS("Unknown");
}
