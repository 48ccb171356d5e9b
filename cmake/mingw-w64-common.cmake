# What both cross toolchains share; the including file sets ZT_TRIPLE,
# CMAKE_SYSTEM_PROCESSOR, ZT_WIDL_ARCH and ZT_WINE_SYSDIR first.
set(CMAKE_SYSTEM_NAME Windows)

# The posix thread model: GoogleTest's threading needs it.
set(CMAKE_C_COMPILER ${ZT_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZT_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ZT_TRIPLE}-windres)
set(ZT_WIDL ${ZT_TRIPLE}-widl)

set(CMAKE_FIND_ROOT_PATH /usr/${ZT_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
