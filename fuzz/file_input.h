// Fuzz inputs that a reader takes as a file: each is written to a file of
// its own folder, made once per process.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The folder (the working folder is moved there) and the file written.
const std::string& FuzzFolder();
std::string WriteFuzzFile(const uint8_t* data, size_t size, const char* name);
