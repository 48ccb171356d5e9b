# Cross toolchain: 64-bit Windows.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ZT_TRIPLE x86_64-w64-mingw32)
# Type libraries describe the target's pointer size and calling convention.
set(ZT_WIDL_ARCH --win64)
# The Windows tools (regsvr32, regedit, cscript) of this architecture.
set(ZT_WINE_SYSDIR "C:\\windows\\system32")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
