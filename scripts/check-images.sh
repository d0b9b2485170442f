#!/usr/bin/env bash
# Checks that every ":/image/images/..." name the sources, forms and style sheet use is listed in
# resources/resources.qrc, and that every file the resource file lists exists.
# Extra files to scan may be given as arguments. Exits 1 when anything is missing.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
qrc=$root/resources/resources.qrc
status=0

listed=$(sed -n 's|.*<file>\(.*\)</file>.*|\1|p' "$qrc")
while read -r f; do
  [ -n "$f" ] || continue
  [ -f "$root/resources/$f" ] || { echo "check-images: resources.qrc lists $f, which does not exist"; status=1; }
done <<<"$listed"
images=$(sed -n 's|^images/||p' <<<"$listed")

files=$(cd "$root" && git ls-files -co --exclude-standard -- \
  '*.cpp' '*.h' '*.ui' '*.qss' | grep -v '^build' || true)
used=$(
  { for f in $files; do grep -o ':/image/images/[A-Za-z0-9_.@-]*' "$root/$f" | sed "s|^|$f: |"; done
    for f in "$@"; do grep -o ':/image/images/[A-Za-z0-9_.@-]*' "$f" | sed "s|^|$f: |"; done
  } | sed 's|:/image/images/||' | grep -v ': *$' | sort -u || true)

count=0
while read -r where name; do
  [ -n "${name:-}" ] || continue
  count=$((count + 1))
  grep -qxF "$name" <<<"$images" || { echo "check-images: ${where%:} uses :/image/images/$name, which resources.qrc does not list"; status=1; }
done <<<"$used"

[ $status -eq 0 ] && echo "check-images: $count uses checked, $(wc -l <<<"$images") images listed, none missing"
exit $status
