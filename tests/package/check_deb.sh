#!/usr/bin/env bash
# The Debian package as Debian's own tools judge it, then unpacked and run:
#   check_deb.sh PATH/TO/dorurura_VERSION_ARCH.deb
# lintian may warn (the README lists each warning and why) but reports no error; the desktop
# entry, the AppStream metadata and both manual pages validate without a word.
set -euo pipefail
deb=$1
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
version=$(dpkg-deb -f "$deb" Version)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "lintian $(basename "$deb"):"
lintian_status=0
lintian --fail-on error --tag-display-limit 0 "$deb" > "$work/lintian.txt" 2>&1 || lintian_status=$?
grep -v 'running with root privileges' "$work/lintian.txt" || true
((lintian_status == 0)) || { echo "FAIL: lintian reports errors" >&2; exit 1; }

dpkg-deb -x "$deb" "$work/root"
desktop-file-validate "$work/root/usr/share/applications/org.dorurura.dorurura.desktop"
appstreamcli validate --no-net --pedantic "$work/root/usr/share/metainfo/org.dorurura.dorurura.metainfo.xml" \
    > "$work/appstream.txt" || { cat "$work/appstream.txt"; exit 1; }
for page in dorurura dorurura-par; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$work/root/usr/share/man/man6/$page.6.gz" 2>&1 >/dev/null)
    [[ -z $warnings ]] || { echo "FAIL: $page.6: $warnings" >&2; exit 1; }
done
bash "$here/layout.sh" "$work/root/usr" "$version"
