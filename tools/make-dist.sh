#!/bin/sh
# make-dist.sh OUT_DIR BUILD_DIR
# Gathers what a terminal needs from one build tree into OUT_DIR: the
# control, the trace library, the optional XFS manager and virtual panel
# with its INI file and registration script, the script event helper, and
# INSTALL.txt on putting them in place.
set -eu
out=$1
build=$2
bin=$build/bin
arch=$(sed -n "s/^export ZT_ARCH='\(.*\)'$/\1/p" "$build/wine-run.sh")
case $arch in
x86_64) format=pei-x86-64 bits=64 ;;
i686) format=pei-i386 bits=32 ;;
*) echo "make-dist: $build is of no known architecture" >&2; exit 1 ;;
esac

rm -rf "$out"
mkdir -p "$out/panel"
for file in ZTOperatorPanel30.ocx TrcUtil30.dll ZTScriptEvents.dll msxfs.dll \
    panel/ttusim.dll panel/ttupanel.exe panel/panel.ini panel/register-panel.cmd; do
    src=$bin/$(basename "$file")
    [ -f "$src" ] || { echo "make-dist: $src was not built" >&2; exit 1; }
    case $src in
    *.ocx | *.dll | *.exe)
        "$arch-w64-mingw32-objdump" -f "$src" | grep -q "file format $format\$" ||
            { echo "make-dist: $src is not $format" >&2; exit 1; }
        ;;
    esac
    cp "$src" "$out/$file"
done
# The virtual panel's programs need the trace library beside them.
cp "$bin/TrcUtil30.dll" "$out/panel/"

if [ "$bits" = 32 ]; then
    sys64="C:\\Windows\\SysWOW64 (on a 32-bit Windows: C:\\Windows\\System32)"
    regsvr64="C:\\Windows\\SysWOW64\\regsvr32.exe (on a 32-bit Windows: regsvr32.exe)"
    hosts="32-bit applications (VB6, MFC, Delphi, scripts run by the 32-bit
cscript/wscript); on a 32-bit Windows, every application"
else
    sys64="C:\\Windows\\System32"
    regsvr64="C:\\Windows\\System32\\regsvr32.exe"
    hosts="64-bit applications only; a 32-bit application needs the i686 build"
fi

sed 's/$/\r/' >"$out/INSTALL.txt" <<EOF
ZTOperatorPanelX, $arch build ($bits-bit): installing on a terminal
=======================================================

This folder serves $hosts.
Both builds can be installed side by side on a 64-bit Windows.

Files
  ZTOperatorPanel30.ocx  the ActiveX control
  TrcUtil30.dll          the trace library (WriteTrace = ordinal 10,
                         WriteErrorCode = ordinal 13)
  ZTScriptEvents.dll     optional: events and message pumping for scripts
  msxfs.dll              optional: our XFS manager, only where the terminal
                         has none of its own
  panel\\                 optional: the virtual operator panel (ttusim.dll,
                         ttupanel.exe, panel.ini, register-panel.cmd)

1. Put ZTOperatorPanel30.ocx in a folder of the application or in
   $sys64.
   It imports msxfs.dll and TrcUtil30.dll: the terminal's own $bits-bit ones
   serve as they are. Copy ours beside the OCX only where there is none.
2. Configure the logical service OperatorPanel (class TTU) in the maker's
   XFS configuration, HKLM\\SOFTWARE\\XFS\\LOGICAL_SERVICES\\OperatorPanel.
3. As administrator:
     $regsvr64 <folder>\\ZTOperatorPanel30.ocx
   (and the same for ZTScriptEvents.dll if scripts use it).
   On a 64-bit Windows, C:\\Windows\\System32\\regsvr32.exe registers a
   64-bit control, C:\\Windows\\SysWOW64\\regsvr32.exe a 32-bit one, each in
   its own registry view. regsvr32 /u removes the registration.
4. Optional settings: HKLM\\SOFTWARE\\Zentrik (SrvMode, ErrHandle) and
   HKLM\\SOFTWARE\\Zentrik\\Trace (Folder, MaxLevel), in the same registry
   view ($bits-bit) as the application.

Without a device: the virtual panel
  Copy panel\\ somewhere, then as administrator run panel\\register-panel.cmd
  (register-panel.cmd /u removes it). It makes ttusim.dll, configured by
  panel.ini, the service OperatorPanel for $bits-bit XFS managers.
  panel\\ttupanel.exe show | watch | press ... shows and drives the panel.
EOF
echo "make-dist: $out ($arch)"
