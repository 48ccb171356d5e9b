# Cross toolchain: 32-bit Windows with mingw-w64's posix thread model
# (GoogleTest's threading needs it), DWARF-2 exception tables (nothing is
# registered at run time, so a structured exception may skip GCC frames).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(ZT_TRIPLE i686-w64-mingw32)

set(CMAKE_C_COMPILER ${ZT_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZT_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ZT_TRIPLE}-windres)
set(ZT_WIDL ${ZT_TRIPLE}-widl)
set(ZT_WIDL_ARCH --win32)
# The Wine prefix is a 64-bit Windows too: 32-bit programs run there as on
# most terminals today, through WoW64, with the 32-bit registry view, and
# the 32-bit Windows tools are those of SysWOW64.
set(ZT_WINE_SYSDIR "C:\\windows\\syswow64")

set(CMAKE_FIND_ROOT_PATH /usr/${ZT_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
