#!/usr/bin/env bash
# Turns the UTF-8 texts of ui_texts.txt into a C++ header of their code page
# 950 bytes:  gen_ui_texts.sh IN OUT
# Every byte outside plain printable ASCII is written as an octal escape.
# Octal, not hex: a hex escape would swallow a following letter. And a Big5
# trail byte may be 0x5C, a backslash: the conversion works on the bytes that
# iconv produced, never on characters, so such a byte is escaped like any other.
set -euo pipefail
in=$1 out=$2

literal() { # text -> "C string literal" of its CP950 bytes
  local bytes
  bytes=$(printf '%s' "$1" | iconv -f UTF-8 -t CP950 | od -An -v -tu1) ||
    { echo "$in: not representable in code page 950: $1" >&2; return 1; }
  printf '%s\n' "$bytes" | awk '
    { for (i = 1; i <= NF; i++) {
        b = $i + 0
        if (b >= 32 && b < 127 && b != 34 && b != 92 && b != 63) printf "%c", b
        else printf "\\%03o", b
    } }
    BEGIN { printf "\"" } END { printf "\"" }'
}

{
  echo "// Generated from app/ui_texts.txt by app/gen_ui_texts.sh. Do not edit."
  echo "// Code page 950 bytes of every text the program shows."
  echo "#pragma once"
  echo
  echo "namespace ui_text {"
  list=""
  while IFS= read -r line || [ -n "$line" ]; do
    case "$line" in '#'* | '') continue ;; esac
    name=${line%%|*}
    rest=${line#*|}
    if [ "$name" = "$line" ] || [ "${rest%|}" = "$rest" ]; then
      echo "$in: not NAME|text|: $line" >&2; exit 1
    fi
    text=${rest%|}
    text=${text//\\n/$'\n'}
    if [ "${name%\[\]}" != "$name" ]; then
      name=${name%\[\]}
      if [ "$list" != "$name" ]; then
        [ -n "$list" ] && echo "};"
        echo "inline constexpr const char* $name[] = {"
        list=$name
      fi
      echo "    $(literal "$text"),"
    else
      [ -n "$list" ] && echo "};"
      list=""
      echo "inline constexpr char $name[] = $(literal "$text");"
    fi
  done < "$in"
  [ -n "$list" ] && echo "};"
  echo "} // namespace ui_text"
} > "$out.tmp"
mv "$out.tmp" "$out"
