#!/usr/bin/env bash
# Plays someone who has the backup disk and not the password. qtrpack.exe
# backs up a few files encrypted ("SetPassword" "1") onto a mapped drive;
# then no byte of the store may give a file away (its SHA-256 in hex or in
# binary, or a marker string of its text), and a swap of two encrypted
# files, a rollback to an older copy and a plain file planted in the store
# must each give a failure line on restore and change no file on the PC.
#   thief_test.sh BUILD_FOLDER      (the win64 build holding qtrpack.exe)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$1" && pwd)
export QTR_WINE_TESTS=1
source "$root/scripts/wine-env"
wine_server_up

work=$(mktemp -d "$build/thief-test.XXXXXX")
drives=(p s t)
cleanup() {
  local d
  for d in "${drives[@]}"; do rm -f "$WINEPREFIX/dosdevices/$d:"; done
  rm -rf "$work"
  wine_server_down
}
trap cleanup EXIT
failures=0
check() {  # check DESCRIPTION COMMAND...
  if "${@:2}"; then echo "ok: $1"; else echo "FAIL: $1"; failures=$((failures + 1)); fi
}

# P: the program folder, S: the person's files, T: the backup disk.
mkdir -p "$work/prog" "$work/pc/docs" "$work/usb"
ln -sfn "$work/prog" "$WINEPREFIX/dosdevices/p:"
ln -sfn "$work/pc" "$WINEPREFIX/dosdevices/s:"
ln -sfn "$work/usb" "$WINEPREFIX/dosdevices/t:"
password="a thief does not know this"
marker="THIEF-MARKER-c41e"
printf '<?xml version="1.0" encoding="UTF-8"?>\r\n<Setting><BackupStatus>0</BackupStatus><CompressFile>0</CompressFile><SetPassword>1</SetPassword></Setting>' \
  >"$work/prog/init.xml"
select_paths() {  # select_paths FILE PATH...
  local file=$1 xml='<?xml version="1.0" encoding="UTF-8"?>'$'\r\n''<Path>' p
  shift
  for p in "$@"; do xml+="<path path=\"$p\"/>"; done
  printf '%s</Path>' "$xml" >"$work/prog/$file"
}
qtrpack() {  # qtrpack COMMAND: the password on standard input, all output in $work/out
  printf '%s\n' "$password" | wine "$build/src/tools/qtrpack.exe" "$1" --target T: --program 'P:\' \
    >"$work/out" 2>&1
}

printf 'salary: 123456 %s\n' "$marker" >"$work/pc/docs/salary.txt"
printf 'read me first %s\n' "$marker" >"$work/pc/docs/readme.txt"
printf 'PIN=4711' >"$work/pc/docs/pin.txt"
select_paths backupfullpath.xml 'S:\docs'
check "the first encrypted backup succeeds" qtrpack backup
stored="$work/usb/QTRPMB/S/docs"
cp -p "$stored/salary.txt.qtrx" "$work/older-salary"
printf 'salary: 234567 %s\n' "$marker" >"$work/pc/docs/salary.txt"
check "the second encrypted backup succeeds" qtrpack backup
check "every file is stored encrypted" test -f "$stored/salary.txt.qtrx" -a -f "$stored/readme.txt.qtrx" \
  -a -f "$stored/pin.txt.qtrx"

# Nothing under the target gives a file away: no SHA-256 of any file, in hex
# (either case) or binary, of either salary, and no marker.
printf 'salary: 123456 %s\n' "$marker" >"$work/salary-before"
for file in "$work/pc/docs/salary.txt" "$work/pc/docs/readme.txt" "$work/pc/docs/pin.txt" "$work/salary-before"; do
  hex=$(sha256sum "$file" | cut -d' ' -f1)
  check "no hex SHA-256 of $(basename "$file")" bash -c "! grep -rqiF '$hex' '$work/usb'"
  check "no binary SHA-256 of $(basename "$file")" python3 - "$work/usb" "$hex" <<'PY'
import os, sys
digest = bytes.fromhex(sys.argv[2])
for folder, _, names in os.walk(sys.argv[1]):
    for name in names:
        with open(os.path.join(folder, name), 'rb') as f:
            if digest in f.read():
                sys.exit(1)
PY
done
check "no marker string in the store" bash -c "! grep -rqaF '$marker' '$work/usb'"
check "no PIN in the store" bash -c "! grep -rqaF 'PIN=4711' '$work/usb'"

# The person's files as they are now; no tampered restore may change them.
for name in salary readme pin; do printf 'the person'"'"'s own %s\n' "$name" >"$work/pc/docs/$name.txt"; done
pc_unchanged() {
  local name
  for name in salary readme pin; do
    [ "$(cat "$work/pc/docs/$name.txt")" = "the person's own $name" ] || return 1
  done
  [ ! -e "$work/pc/docs/planted.txt" ] && ! ls "$work/pc/docs" | grep -q '~qtr'
}
restore_fails_with() {  # restore_fails_with TEXT: the restore failed, saying TEXT
  ! qtrpack restore && grep -qF "$1" "$work/out"
}

# A swap of two encrypted files.
mv "$stored/readme.txt.qtrx" "$work/swap"
mv "$stored/pin.txt.qtrx" "$stored/readme.txt.qtrx"
mv "$work/swap" "$stored/pin.txt.qtrx"
select_paths restoreTempPath.xml 'T:\QTRPMB\S\docs\readme.txt.qtrx' 'T:\QTRPMB\S\docs\pin.txt.qtrx'
check "a swap is a failure line" restore_fails_with "moved or swapped"
check "a swap changes no file on the PC" pc_unchanged
mv "$stored/readme.txt.qtrx" "$work/swap"
mv "$stored/pin.txt.qtrx" "$stored/readme.txt.qtrx"
mv "$work/swap" "$stored/pin.txt.qtrx"

# An older copy put back.
cp -p "$stored/salary.txt.qtrx" "$work/newer-salary"
cp -p "$work/older-salary" "$stored/salary.txt.qtrx"
select_paths restoreTempPath.xml 'T:\QTRPMB\S\docs\salary.txt.qtrx'
check "a rollback is a failure line" restore_fails_with "an older copy than the store last recorded"
check "a rollback changes no file on the PC" pc_unchanged
cp -p "$work/newer-salary" "$stored/salary.txt.qtrx"

# A plain file planted in the store.
printf 'planted by the thief\n' >"$stored/planted.txt"
select_paths restoreTempPath.xml 'T:\QTRPMB\S\docs\planted.txt'
check "a planted plain file is a failure line" restore_fails_with "stored readable in an encrypted store"
check "a planted plain file changes no file on the PC" pc_unchanged
rm -f "$stored/planted.txt"

# With everything put back, the store restores as it was backed up.
select_paths restoreTempPath.xml 'T:\QTRPMB\S\docs'
check "the untouched store restores" qtrpack restore
check "the restore gives the last salary back" grep -qF "salary: 234567" "$work/pc/docs/salary.txt"

[ "$failures" -eq 0 ] || { cat "$work/out"; exit 1; }
