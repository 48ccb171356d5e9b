# Cross toolchain: 64-bit Windows with mingw-w64's posix thread model
# (GoogleTest's threading needs it).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ZT_TRIPLE x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${ZT_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZT_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ZT_TRIPLE}-windres)
set(ZT_WIDL ${ZT_TRIPLE}-widl)
# Type libraries describe the target's pointer size and calling convention.
set(ZT_WIDL_ARCH --win64)
# The Windows tools (regsvr32, regedit, cscript) of this architecture.
set(ZT_WINE_SYSDIR "C:\\windows\\system32")

set(CMAKE_FIND_ROOT_PATH /usr/${ZT_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
