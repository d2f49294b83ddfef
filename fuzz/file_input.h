// Fuzz inputs that a reader takes as a file: each is written to a folder of
// the process's own, made on first use and removed at exit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

const std::string& FuzzFolder();
// The path of the file written.
std::string WriteFuzzFile(const uint8_t* data, size_t size, const char* name);
