#!/bin/bash
# The window's controls under Wine on a private display (Xvfb, openbox): the GoogleTest program
# that makes them in its own process, in a Wine prefix of its own with a drive N: that Wine
# takes for a network drive, where Windows has no Recycle Bin.
# Usage: gui_test.sh GUI_TESTS_EXE OUTPUT_FOLDER  (the Wine prefix goes there)
set -u
exe=$1
out=$2
source "$(dirname "$0")/../desktop/desktop_lib.sh"
need_tools wine wineserver Xvfb openbox xprop
export TMPDIR=$work
export WINEPREFIX=$out/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
stop_others() { wineserver -k 2>/dev/null; }

mkdir -p "$out"
start_x
wineboot -i >"$work/wineboot.log" 2>&1 || die "wineboot could not make the prefix"
# Wine reads a drive's kind when its mount manager starts: the server starts again after it.
mkdir -p "$work/share"
ln -sfn "$work/share" "$WINEPREFIX/dosdevices/n:"
wine reg add 'HKLM\Software\Wine\Drives' /v n: /d network /f >/dev/null 2>&1 ||
  die "the network drive could not be described"
# Wine's Recycle Bin is the session's trash folder: the one of this test's own HOME.
mkdir -p "$HOME/.local/share/Trash/files" "$HOME/.local/share/Trash/info"
wineserver -k
wineserver -w
LPTSPOOL_TEST_NETWORK_FOLDER='N:\' wine "$exe"
