# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 DX470 calibrator project
# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 compilers. The
# posix variants, because only they give std::thread, std::mutex and friends.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(DX470_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${DX470_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${DX470_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${DX470_MINGW_PREFIX}-windres)

# Headers and libraries of the target only; tools of the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${DX470_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The compiler's runtime (libstdc++, libgcc, winpthread) linked in, so an .exe
# runs on a bare Windows or under Wine without DLLs copied beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
