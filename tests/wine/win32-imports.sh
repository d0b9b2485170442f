#!/usr/bin/env bash
# Every program and DLL of the Windows program folder imports only DLLs that
# are beside the program or part of Windows itself.
#   win32-imports.sh <program folder>
set -uo pipefail
dir=${1:?program folder missing}
[ -f "$dir/VeskMeeting.exe" ] || { echo "SKIP: no Windows build in $dir"; exit 77; }
objdump=i686-w64-mingw32-objdump
# Windows' own DLLs the program and Qt may use (api-ms-win-* are its API sets).
system="advapi32 bcrypt comctl32 comdlg32 crypt32 d3d9 dbghelp dnsapi dwmapi dwrite gdi32 iphlpapi imm32
kernel32 mpr msvcrt netapi32 ntdll ole32 oleaut32 secur32 setupapi shell32 shlwapi user32 userenv
uxtheme version winmm winspool.drv wintrust ws2_32 wtsapi32 d2d1 d3d11 dxgi shcore"
beside="$(cd "$dir" && ls -- *.dll 2>/dev/null | tr 'A-Z' 'a-z')"
failures=0 checked=0
while IFS= read -r -d '' file; do
  checked=$((checked + 1))
  imports="$("$objdump" -p "$file" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')" ||
    { echo "FAIL: $objdump cannot read $file"; failures=$((failures + 1)); continue; }
  for dll in $imports; do
    base="${dll%.dll}"
    case "$base" in api-ms-win-*) continue ;; esac
    grep -qxF "$base" <<<"$(tr ' ' '\n' <<<"$system")" && continue
    grep -qxF "$dll" <<<"$beside" && continue
    echo "FAIL: ${file#"$dir"/} imports $dll, neither beside the program nor part of Windows"
    failures=$((failures + 1))
  done
done < <(find "$dir" -type f \( -iname '*.exe' -o -iname '*.dll' \) -print0)
echo "$checked programs and DLLs checked, $failures unresolved imports"
[ $failures -eq 0 ]
