// Model names by the module type character of a module's identity.
#pragma once

#include <wx/string.h>

#include <cstddef>

struct ModuleModel {
    char type;
    const char* name;
};

constexpr size_t ModuleModelCount = 27;
extern const ModuleModel ModuleModelTable[ModuleModelCount];

// The model name of a type character (case matters), or "Unknown".
wxString GetModelName(char type);
