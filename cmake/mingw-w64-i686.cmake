# Cross toolchain: 32-bit Windows, DWARF-2 exception tables (nothing is
# registered at run time, so a structured exception may skip GCC frames).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(ZT_TRIPLE i686-w64-mingw32)
set(ZT_WIDL_ARCH --win32)
# The Wine prefix is a 64-bit Windows too: 32-bit programs run there as on
# most terminals today, through WoW64, with the 32-bit registry view, and
# the 32-bit Windows tools are those of SysWOW64.
set(ZT_WINE_SYSDIR "C:\\windows\\syswow64")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
