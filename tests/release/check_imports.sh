#!/usr/bin/env bash
# Reads the import table of a 32-bit Windows program and fails on a DLL that
# Windows 2000 does not ship, or on a function that Windows 2000 lacks.
set -euo pipefail
exe=$1
[ -f "$exe" ] || { echo "no such program: $exe"; exit 1; }

allowed_dlls='^(kernel32|user32|gdi32|comctl32|advapi32|msvcrt|shell32|ole32|oleaut32|comdlg32|version|winmm|uxtheme|msimg32)\.dll$'
# Later APIs that MinGW's runtime and libstdc++ are known to reach for.
denied='^(GetTickCount64|.*SRWLock.*|.*ConditionVariable.*|InitOnce.*|Fls(Alloc|Free|GetValue|SetValue)|AddVectoredExceptionHandler|RemoveVectoredExceptionHandler|GetModuleHandleEx[AW]|EncodePointer|DecodePointer|GetNativeSystemInfo|IsWow64Process|GetSystemTimePreciseAsFileTime|CreateSymbolicLink[AW]|GetFileInformationByHandleEx|SetFileInformationByHandle|GetFinalPathNameByHandle[AW]|RtlCaptureContext|RtlVirtualUnwind|RtlLookupFunctionEntry|InterlockedCompareExchange64|CompareStringEx|LCMapStringEx|GetLocaleInfoEx|WaitOnAddress|WakeByAddress.*|GetCurrentProcessorNumber|GetLogicalProcessorInformation|GetThreadId|GetProcessId|SetThreadErrorMode|GetErrorMode|CancelIoEx|CreateEventExW|CreateMutexExW|CreateSemaphoreExW|InitializeCriticalSectionEx|_gmtime64_s|_localtime64_s|_ctime64_s|_wctime64_s|_time64_s)$'

objdump=i686-w64-mingw32-objdump
command -v "$objdump" >/dev/null || objdump=objdump
table=$("$objdump" -p "$exe")

fail=0
dlls=$(printf '%s\n' "$table" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
[ -n "$dlls" ] || { echo "$exe: no import table found"; exit 1; }
for dll in $dlls; do
  if ! [[ $dll =~ $allowed_dlls ]]; then echo "not a system DLL of Windows 2000: $dll"; fail=1; fi
done
# Function lines of the import table: "<hint> <name>" after each DLL Name.
funcs=$(printf '%s\n' "$table" | awk '/DLL Name:/{d=1; next} d && NF==3 && $2 ~ /^[0-9]+$/ {print $3}' | sort -u)
for f in $funcs; do
  if [[ $f =~ $denied ]]; then echo "imports a function that Windows 2000 lacks: $f"; fail=1; fi
done
echo "$(echo "$dlls" | wc -l) DLLs, $(echo "$funcs" | wc -l) functions imported by $(basename "$exe")"
exit $fail
