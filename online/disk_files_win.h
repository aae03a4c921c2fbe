// The Windows handle behind a temporary file, for the download worker, which writes with WriteFile.
#pragma once

#include <windows.h>

#include <cstddef>

// As createTemporaryFile, but the file is a handle opened for writing, with
// reading and deleting shared. INVALID_HANDLE_VALUE when none can be made.
HANDLE createTemporaryHandle(const char* directory, char* path, std::size_t pathSize);
