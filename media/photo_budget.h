#pragma once
// How much memory one photo may take while it is decoded, and whether a file
// whose header declares its size stays within it. A photo too large for the
// process is skipped like a damaged one instead of exhausting memory.

#include <cstddef>

// Bytes one decode may use: a quarter of the address space and memory that are
// free now (the decoders hold up to three copies of a picture).
size_t PhotoMemoryBudget();

// False only when the file's header declares more pixels than the budget
// holds at 32 bits each; files whose size cannot be read are left to the
// decoder.
bool PhotoFitsMemory(const wchar_t* path);
