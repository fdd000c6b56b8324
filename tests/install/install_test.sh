#!/usr/bin/env bash
# The installer under Wine: a silent install into the user's local programs
# folder, the installed program starting and writing its default settings
# beside itself, and a silent uninstall that removes what was installed and
# the autostart value while the settings and a backup store stay.
#   install_test.sh BUILD_FOLDER      (the win64 build holding the program and help)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$1" && pwd)
export QTR_WINE_TESTS=1
source "$root/scripts/wine-env"
wine_server_up

work=$(mktemp -d "$build/install-test.XXXXXX")
program_pid=""
cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
  rm -f "$WINEPREFIX/dosdevices/u:"
  rm -rf "$work"
}
trap cleanup EXIT
failures=0
check() {  # check DESCRIPTION COMMAND...
  if "${@:2}"; then echo "ok: $1"; else echo "FAIL: $1"; failures=$((failures + 1)); fi
}

# The installer from the build's files, as scripts/package makes it.
stage="$work/stage"
mkdir -p "$stage/Language"
cp "$build/src/shell/QtrBackup.exe" "$build/src/tools/qtrpack.exe" "$build/help/XVQ.chm" "$build/help/XVQ_0x0804.chm" "$stage/"
cp "$root"/resources/Language/*.xml "$stage/Language/"
cp "$root/installer/first-use.txt" "$stage/First use.txt"
version=$(sed -n 's/^#define QTR_VERSION_TEXT "\(.*\)"$/\1/p' "$build/generated/Version.h")
makensis -V1 -DVERSION="$version" -DSTAGE="$stage" -DOUTFILE="$work/setup.exe" "$root/installer/XVQ.nsi" >/dev/null

local_app=$(wine cmd /c echo %LOCALAPPDATA% 2>/dev/null | tr -d '\r')
folder="$(winepath -u "$local_app" 2>/dev/null)/Programs/XVQ Backup"
menu="$(winepath -u "$(wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')" 2>/dev/null)/Microsoft/Windows/Start Menu/Programs/XVQ Backup"
rm -rf "$folder" "$menu"
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\QtrXvqBackup'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'

# A backup store on a mapped drive, which the uninstaller must leave alone.
mkdir -p "$work/usb/QTRPMB/C/Users"
printf 'kept\n' > "$work/usb/QTRPMB/C/Users/a.txt"
ln -sfn "$work/usb" "$WINEPREFIX/dosdevices/u:"

wine "$work/setup.exe" /S
for f in QtrBackup.exe qtrpack.exe XVQ.chm XVQ_0x0804.chm "First use.txt" Language/0x0409.xml Uninstall.exe; do
  check "installed $f" test -f "$folder/$f"
done
check "Start-menu shortcut" test -f "$menu/XVQ Backup.lnk"
check "uninstaller registered for the user" wine reg query "$uninstall_key" /v UninstallString

# The installed program starts and writes its default settings beside itself.
wine "$folder/QtrBackup.exe" &
program_pid=$!
for _ in $(seq 1 100); do [ -f "$folder/init.xml" ] && break; sleep 0.2; done
check "the installed program wrote init.xml in its folder" test -s "$folder/init.xml"
kill "$program_pid" 2>/dev/null || true
wait "$program_pid" 2>/dev/null || true
program_pid=""
wine reg add "$run_key" /v VaRuriZeRed /d "$local_app\\Programs\\XVQ Backup\\QtrBackup.exe" /f >/dev/null

# The uninstaller copies itself away and returns at once: wait for its last
# step, the removal of its registration.
wine "$folder/Uninstall.exe" /S
for _ in $(seq 1 60); do wine reg query "$uninstall_key" >/dev/null 2>&1 || break; sleep 0.5; done
for f in QtrBackup.exe qtrpack.exe XVQ.chm XVQ_0x0804.chm "First use.txt" Language Uninstall.exe; do
  check "removed $f" test ! -e "$folder/$f"
done
check "settings kept by the silent uninstall" test -f "$folder/init.xml"
check "Start-menu folder removed" test ! -e "$menu"
check "autostart value removed" bash -c "! wine reg query '$run_key' /v VaRuriZeRed >/dev/null 2>&1"
check "uninstaller unregistered" bash -c "! wine reg query '$uninstall_key' >/dev/null 2>&1"
check "the backup store is untouched" grep -qx kept "$work/usb/QTRPMB/C/Users/a.txt"
rm -rf "$folder"
[ "$failures" -eq 0 ]
