#!/usr/bin/env bash
# The installed layout, the same from `cmake --install --prefix P` and from the Debian package:
#   layout.sh PREFIX VERSION
# checks every installed file, then runs the installed program headless and asks its version.
set -euo pipefail
p=$1 version=$2
fail() { echo "FAIL: $*" >&2; exit 1; }

for f in games/dorurura games/dorurura-par; do [[ -x $p/$f ]] || fail "$f is not an installed program"; done
desktop=$p/share/applications/org.dorurura.dorurura.desktop
grep -q '^Exec=dorurura$' "$desktop" || fail "the desktop entry does not start dorurura"
grep -q '^Categories=Game;' "$desktop" || fail "the desktop entry is not in the Game category"
for s in 32 64 128; do
    [[ -s $p/share/icons/hicolor/${s}x$s/apps/dorurura.png ]] || fail "no ${s}px icon"
done
metainfo=$p/share/metainfo/org.dorurura.dorurura.metainfo.xml
grep -q "<release version=\"$version\"" "$metainfo" || fail "the metadata does not name release $version"
for page in dorurura dorurura-par; do
    gzip -t "$p/share/man/man6/$page.6.gz" || fail "$page.6.gz is not gzipped"
    zcat "$p/share/man/man6/$page.6.gz" | grep -q "$version" || fail "$page.6 does not name version $version"
done
grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
    "$p/share/doc/dorurura/copyright" || fail "the copyright file is not machine-readable"
zcat "$p/share/doc/dorurura/changelog.gz" | head -n1 | grep -q "^dorurura ($version)" ||
    fail "the changelog's first entry is not version $version"

[[ $("$p/games/dorurura" --version) == "dorurura $version" ]] || fail "dorurura --version is not $version"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'until Idle\ntap 170 253\nuntil Spinning\nuntil Idle\nstate\n' > "$work/spin.txt"
(cd "$work" && "$p/games/dorurura" --headless --script spin.txt) | grep -q '"state":"Idle"' ||
    fail "the installed dorurura did not play a spin headless"
"$p/games/dorurura-par" --machine 0 | grep -q 'Reriv Eduvud' || fail "the installed dorurura-par printed no sheet"
echo "1 passed, 0 failed"
