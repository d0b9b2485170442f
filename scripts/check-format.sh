#!/usr/bin/env bash
# Fails when a tracked C++ file differs from .clang-format (clang-format 14)
# or the client logs without a category.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$here"
tool="$(command -v clang-format-14 || command -v clang-format || true)"
if [ -z "$tool" ]; then
  echo "check-format: clang-format is not installed" >&2
  exit 1
fi
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ ${#files[@]} -eq 0 ]; then
  # Not a git checkout: every source file below the tree.
  mapfile -t files < <(find . -path ./build -prune -o \( -name '*.cpp' -o -name '*.h' \) -print | grep -v '^./build')
fi
bad=()
for f in "${files[@]}"; do
  "$tool" --dry-run --Werror "$f" >/dev/null 2>&1 || bad+=("$f")
done
if [ ${#bad[@]} -gt 0 ]; then
  echo "check-format: ${#bad[@]} file(s) differ from .clang-format (run: $tool -i FILE):" >&2
  printf '  %s\n' "${bad[@]}" >&2
  exit 1
fi
# The client's lines carry their folder's category (<folder>/logcategory.h).
product=(app calendar http login meeting meetings program reminders sdk session update widgets)
if bare=$(git grep -nE '\bq(Debug|Info|Warning|Critical)\(\)' -- "${product[@]/%//*.cpp}" "${product[@]/%//*.h}" 2>/dev/null); then
  echo "check-format: log lines without a category (use qCDebug(lc<Folder>)):" >&2
  echo "$bare" | sed 's/^/  /' >&2
  exit 1
fi
echo "check-format: ${#files[@]} files formatted, every log line with its category"
