# Running Windows programs of this build under Wine, in the build tree's own
# prefix, and registering the build's components in that prefix.

set(ZT_WINE_RUN ${CMAKE_BINARY_DIR}/wine-run.sh)
file(WRITE ${ZT_WINE_RUN}
"#!/bin/sh
# Runs a command in this build tree's private, headless Wine prefix.
export WINEPREFIX='${CMAKE_BINARY_DIR}/wineprefix'
export WINEDEBUG=-all
export WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d'
export WINEARCH=win64
unset DISPLAY WAYLAND_DISPLAY
case \"$1\" in
  *.exe) exec wine \"$@\" ;;
  *) exec \"$@\" ;;
esac
")
file(CHMOD ${ZT_WINE_RUN} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${ZT_WINE_RUN})

# zt_prefix_reg(FILE): a .reg file (may use generator expressions) imported
# into the prefix before the tests run. Paths to build outputs inside it are
# written as Z:\\... by zt_wine_path below.
# zt_prefix_regsvr32(TARGET): a COM server registered with regsvr32.
set_property(GLOBAL PROPERTY ZT_PREFIX_STEPS "")

function(zt_prefix_reg file)
  set_property(GLOBAL APPEND PROPERTY ZT_PREFIX_STEPS "wine regedit /S \"$(winepath -w '${file}')\"")
endfunction()

function(zt_prefix_regsvr32 target)
  set_property(GLOBAL APPEND PROPERTY ZT_PREFIX_STEPS "wine regsvr32 /s \"$(winepath -w '$<TARGET_FILE:${target}>')\"")
endfunction()

# The Windows form (Z:\\...) of a path under this build tree, escaped for a
# .reg file string value.
function(zt_wine_reg_path out path)
  string(REPLACE "/" "\\\\" p "${path}")
  set(${out} "Z:${p}" PARENT_SCOPE)
endfunction()

function(zt_write_prefix_registration)
  get_property(steps GLOBAL PROPERTY ZT_PREFIX_STEPS)
  set(body "#!/bin/sh\n# Registers this build's components in its Wine prefix (generated).\nset -e\n")
  foreach(step IN LISTS steps)
    string(APPEND body "${step}\n")
  endforeach()
  file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/register-prefix.sh CONTENT "${body}")
endfunction()
