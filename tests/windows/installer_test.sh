#!/usr/bin/env bash
# The Windows installer under Wine, as a player's machine takes it: a silent install puts the game in
# Program Files with a Start-menu shortcut and an Add/Remove Programs entry; the installed game
# plays a spin exactly as the native one does; a silent uninstall leaves no file and no key.
#   installer_test.sh SETUP.exe NATIVE-dorurura
# Wine's prefix comes from WINEPREFIX (the build tree's); exit 77 when Wine is missing.
set -uo pipefail
setup=$(readlink -f "$1") native=$(readlink -f "$2")
command -v wine > /dev/null || { echo "no wine: skipped"; exit 77; }
[[ -n ${WINEPREFIX:-} ]] || { echo "WINEPREFIX is not set: Wine would use ~/.wine" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
drive=$WINEPREFIX/drive_c folder="C:\\Program Files\\Dorurura"
uninstallKey='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Dorurura'
fail() { echo "FAIL: $*" >&2; exit 1; }
# Everything of the game's in the prefix: files and folders (named below the drive, whose own path
# may hold the name), then registry keys.
traces() {
    (cd "$drive" && find . -ipath '*dorurura*' 2> /dev/null)
    wine reg query 'HKLM\Software' 2> /dev/null | grep -i dorurura
    wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' 2> /dev/null | grep -i dorurura
}

[[ -z $(traces) ]] || fail "the prefix holds the game before the install: $(traces)"
wine "$setup" /S || fail "the installer ended with $?"
for file in dorurura.exe dorurura-par.exe README.txt LICENSE.txt Uninstall.exe; do
    [[ -f "$drive/Program Files/Dorurura/$file" ]] || fail "no $file in Program Files\\Dorurura"
done
[[ -f "$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/Dorurura/Dorurura.lnk" ]] ||
    fail "no Start-menu shortcut"
entry=$(wine reg query "$uninstallKey" 2> /dev/null | tr -d '\r')
for value in "DisplayName    REG_SZ    Dorurura" "UninstallString    REG_SZ    \"$folder\\Uninstall.exe\""; do
    [[ $entry == *"$value"* ]] || fail "the Add/Remove Programs entry lacks '$value': $entry"
done

# The installed game, headless: a loan, a bet and a spin, as the native program plays them.
printf 'until Idle\nmenu 40012\ntap 60 253\ntap 170 253\npasses 2\nuntil Idle\nstate\n' > "$work/spin.txt"
(cd "$work" && wine "$folder\\dorurura.exe" --headless --script spin.txt > windows.out) ||
    fail "the game ended with $?"
(cd "$work" && "$native" --headless --script spin.txt > native.out)
cmp -s "$work/windows.out" "$work/native.out" ||
    fail "the installed game's spin differs: $(cat "$work/windows.out")"
grep -q '"state":"Idle"' "$work/windows.out" || fail "no spin ended: $(cat "$work/windows.out")"

wine "$folder\\Uninstall.exe" /S || fail "the uninstaller ended with $?"
# It goes on in a copy of itself: at most 30 s.
for ((tenth = 0; tenth < 300; ++tenth)); do
    [[ -z $(traces) ]] && break
    sleep 0.1
done
[[ -z $(traces) ]] || fail "the uninstall left behind: $(traces)"
echo "installed, played and uninstalled without a trace"
