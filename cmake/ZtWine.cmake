# Running Windows programs of this build under Wine, in the build tree's own
# prefix, and registering the build's components in that prefix.

set(ZT_WINE_RUN ${CMAKE_BINARY_DIR}/wine-run.sh)

# Debian's `wine` takes the 32-bit loader whenever wine32 is installed, even
# where the kernel cannot run it; a 64-bit tree names the 64-bit loader
# itself (`wine`, and `wine-stable` for wineboot, winepath and the like).
set(ZT_WINE_PATH "")
set(ZT_WINE64_LOADER /usr/lib/wine/wine64)
if(CMAKE_SIZEOF_VOID_P EQUAL 8 AND EXISTS ${ZT_WINE64_LOADER})
  foreach(tool wine wine-stable)
    file(WRITE ${CMAKE_BINARY_DIR}/wine-bin/${tool}
      "#!/bin/sh\nexport WINELOADER=${ZT_WINE64_LOADER}\nexec ${ZT_WINE64_LOADER} \"$@\"\n")
    file(CHMOD ${CMAKE_BINARY_DIR}/wine-bin/${tool} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
      GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  endforeach()
  set(ZT_WINE_PATH "export PATH='${CMAKE_BINARY_DIR}/wine-bin':\"$PATH\"\n")
endif()
file(WRITE ${ZT_WINE_RUN}
"#!/bin/sh
# Runs a command in this build tree's private, headless Wine prefix.
#
# Without address-space randomisation, for the command and all it starts:
# Debian's 64-bit Wine loader has no preloader to keep the low 2 GiB free,
# so a randomised heap of the loader now and then covers the page where
# Wine maps the shared user data (0x7ffe0000), and the program ends with
# status 1 before it starts, saying why only when WINEDEBUG shows errors
# (\"failed to map the shared user data\"). About one Wine start in 1,500;
# a suite starts some two hundred.
if [ $((0x$(cat /proc/self/personality 2>/dev/null || echo 40000) & 0x40000)) -eq 0 ] &&
    setarch \"$(uname -m)\" -R true 2>/dev/null; then
  exec setarch \"$(uname -m)\" -R '${ZT_WINE_RUN}' \"$@\"
fi
export WINEPREFIX='${CMAKE_BINARY_DIR}/wineprefix'
export WINEDEBUG=-all
export WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d'
export WINEARCH=win64
# The programs of this tree are ${CMAKE_SYSTEM_PROCESSOR}; Windows' own tools of that
# architecture (a 32-bit OCX needs the 32-bit regsvr32 and cscript).
export ZT_ARCH='${CMAKE_SYSTEM_PROCESSOR}'
export ZT_WINE_SYSDIR='${ZT_WINE_SYSDIR}'
export ZT_CSCRIPT='${ZT_WINE_SYSDIR}\\cscript.exe'
${ZT_WINE_PATH}unset DISPLAY WAYLAND_DISPLAY
case \"$1\" in
  *.exe) exec wine \"$@\" ;;
  *) exec \"$@\" ;;
esac
")
file(CHMOD ${ZT_WINE_RUN} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${ZT_WINE_RUN})

# The steps that register this build's components in the prefix before the
# tests run. Each runs the tool of this tree's architecture, which writes
# that architecture's registry view.
set_property(GLOBAL PROPERTY ZT_PREFIX_STEPS "")

# zt_prefix_cmd(FILE): a batch file run by this architecture's cmd.
function(zt_prefix_cmd file)
  set_property(GLOBAL APPEND PROPERTY ZT_PREFIX_STEPS "wine \"$ZT_WINE_SYSDIR\\\\cmd.exe\" /c \"$(winepath -w '${file}')\" >/dev/null")
endfunction()

# zt_prefix_regsvr32(TARGET): a COM server registered with regsvr32.
function(zt_prefix_regsvr32 target)
  set_property(GLOBAL APPEND PROPERTY ZT_PREFIX_STEPS "wine \"$ZT_WINE_SYSDIR\\\\regsvr32.exe\" /s \"$(winepath -w '$<TARGET_FILE:${target}>')\"")
endfunction()

function(zt_write_prefix_registration)
  get_property(steps GLOBAL PROPERTY ZT_PREFIX_STEPS)
  set(body "#!/bin/sh\n# Registers this build's components in its Wine prefix (generated).\nset -e\n")
  foreach(step IN LISTS steps)
    string(APPEND body "${step}\n")
  endforeach()
  file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/register-prefix.sh CONTENT "${body}")
endfunction()
