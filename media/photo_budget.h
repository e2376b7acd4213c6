#pragma once
// How much memory one photo may take while it is decoded, and whether a file
// whose header declares its size stays within it. A photo too large for the
// process is skipped like a damaged one instead of exhausting memory.

#include <cstddef>
#include <cstdint>

// One decode may use a quarter of the address space and memory free now, all
// its holders together: the decoder's working memory and the decoded pixels
// each get the share returned here, the filter's output for the largest
// surface the rest. On the 32-bit saver that keeps a photo from taking half
// of what is free.
size_t PhotoMemoryBudget();
// The share for `freeBytes` free; 0 when the filter alone would not fit.
size_t PhotoShareOf(uint64_t freeBytes);

// False only when the file's header declares more pixels than the budget
// holds at 32 bits each; files whose size cannot be read are left to the
// decoder.
bool PhotoFitsMemory(const wchar_t* path);
