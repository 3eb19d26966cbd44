#!/usr/bin/env bash
# Checks the tables of a built spoolhook.dll: its exports are exactly the library's eight
# entry points under their plain names, and it imports from system DLLs only (no runtime DLL
# of the compiler, which the spooler's machine does not have).
#
#   check_dll_tables.sh OBJDUMP SPOOLHOOK_DLL
set -euo pipefail

objdump=$1 library=$2
tables=$("$objdump" -p "$library")

exports=$(sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$tables" |
  awk '/^\t\[/ {print $NF}' | sort)
expected_exports=$(printf '%s\n' DllMain DrvSplAbort DrvSplClose DrvSplEndDoc DrvSplEndPage \
  DrvSplStartDoc DrvSplStartPage DrvSplWritePrinter | sort)

imports=$(awk '/DLL Name:/ {print $3}' <<<"$tables" | sort -u)
system_dll='^(kernel32\.dll|advapi32\.dll|user32\.dll|winspool\.drv|msvcrt\.dll|ntdll\.dll|api-ms-win-[a-z0-9-]+\.dll)$'

status=0
if [[ "$exports" != "$expected_exports" ]]; then
  echo "exports differ from the eight entry points:" >&2
  diff <(echo "$expected_exports") <(echo "$exports") >&2 || true
  status=1
fi
if [[ -z "$imports" ]]; then
  echo "no import table found" >&2
  status=1
fi
for dll in $imports; do
  if ! grep -Eiq "$system_dll" <<<"$dll"; then
    echo "imports a DLL that is not a system DLL: $dll" >&2
    status=1
  fi
done
echo "exports: $(echo $exports)"
echo "imports: $(echo $imports)"
exit $status
