// Fuzz inputs that a reader takes as a file: each is written to a folder of
// the process's own, made on first use and removed at exit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

const std::string& FuzzFolder();
// Makes a failed toolkit assertion end the run like a crash: in the program
// it would show a dialog.
void AbortOnToolkitAssert();
// The path of the file written.
std::string WriteFuzzFile(const uint8_t* data, size_t size, const char* name);
