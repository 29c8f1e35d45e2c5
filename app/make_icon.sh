#!/usr/bin/env bash
# Writes the window icon, 32 x 32 pixels in 16 colours, as a .ico file:
#   make_icon.sh OUT
# The picture is below, one letter a pixel; '.' is transparent.
set -euo pipefail
out=$1

# letter  colour (RRGGBB)
palette='
k 0B2A5C
b 1C58B8
B 3A7FE0
c 7DB8F5
w FFFFFF
g 9AA6B2
d 3C4650
G 2FA52A
y 9BE58A
s BFE3FF
'
picture='
................................
.....kkkkkkkkkkkkkkkkkkkkkk.....
....kkcccccccccccccccccccckk....
...kcccccccccccccccccccccccck...
..kcccccccccccccccccccccccccck..
.kkcccccdddddddddcccccccccccckk.
.kcccccdwwwgggwwwdcccccccccccck.
.kcccccdwwwwwwwwwdcccccccccccck.
.kcccccdwssssssswdccccyGGGGccck.
.kcccccdwssssssswdccccyGGGGccck.
.kcccccdwssssssswdccccyGGGGccck.
.kBBBBBdwssssssswdBBBByGGGGBBBk.
.kBBBBBdwssssssswdBBBByGGGGBBBk.
.kBBBBBdwssssssswdBBBByGGGGBBBk.
.kBBBBBdwssssssswdBBBByGGGGBBBk.
.kBBBBBdwssssssswdBBBByGGGGBBBk.
.kBBBBBdwssssssswdBBBByGGGGBBBk.
.kBBBBBdwwwwwwwwwdBBBByGGGGBBBk.
.kBBBBBdwwwwwwwwwdBBBByGGGGBBBk.
.kBBBBBdwgwwgwwgwdBGGGGGGGGGGGk.
.kBBBBBdwwwwwwwwwdBBGGGGGGGGGBk.
.kBBBBBdwgwwgwwgwdBBBGGGGGGGBBk.
.kbbbbbdwwwwwwwwwdbbbbGGGGGbbbk.
.kbbbbbdwgwwgwwgwdbbbbbGGGbbbbk.
.kbbbbbdwwwwwwwwwdbbbbbbGbbbbbk.
.kbbbbbdwgwwgwwgwdbbbbbbbbbbbbk.
.kkBBBBdwwwwwwwwwdBBBBBBBBBBBkk.
..kBBBBBdddddddddBBBBBBBBBBBBk..
...kBBBBBBBBBBBBBBBBBBBBBBBBk...
....kkBBBBBBBBBBBBBBBBBBBBkk....
.....kkkkkkkkkkkkkkkkkkkkkk.....
................................
'

# The .ico layout: directory, one entry, then a 4-bit DIB of double height
# (the colour rows, then the transparency mask), rows bottom-up.
bytes=$(awk -v palette="$palette" -v picture="$picture" '
  function le(v, n,   i) { for (i = 0; i < n; i++) { printf "\\x%02x", v % 256; v = int(v / 256) } }
  BEGIN {
    n = split(palette, p, "\n"); colours = 1; index_of["."] = 0; rgb[0] = "000000"
    for (i = 1; i <= n; i++) if (split(p[i], f, " ") == 2) { index_of[f[1]] = colours; rgb[colours++] = f[2] }
    rows = split(picture, line, "\n"); h = 0
    for (i = 1; i <= rows; i++) if (length(line[i]) == 32) row[h++] = line[i]
    if (h != 32 || colours > 16) { print "bad picture or palette" > "/dev/stderr"; exit 1 }

    le(0, 2); le(1, 2); le(1, 2)                                  # icon directory
    le(32, 1); le(32, 1); le(16, 1); le(0, 1); le(1, 2); le(4, 2) # its one entry
    le(40 + 64 + 512 + 128, 4); le(22, 4)
    le(40, 4); le(32, 4); le(64, 4); le(1, 2); le(4, 2)           # BITMAPINFOHEADER
    le(0, 4); le(512 + 128, 4); le(0, 4); le(0, 4); le(16, 4); le(0, 4)
    for (c = 0; c < 16; c++) {                                    # palette, blue green red 0
      v = (c in rgb) ? rgb[c] : "000000"
      printf "\\x%s\\x%s\\x%s\\x00", substr(v, 5, 2), substr(v, 3, 2), substr(v, 1, 2)
    }
    for (y = 31; y >= 0; y--)                                     # colours, two pixels a byte
      for (x = 1; x <= 32; x += 2) {
        a = substr(row[y], x, 1); b = substr(row[y], x + 1, 1)
        if (!(a in index_of) || !(b in index_of)) { print "unknown letter in row " y > "/dev/stderr"; exit 1 }
        le(index_of[a] * 16 + index_of[b], 1)
      }
    for (y = 31; y >= 0; y--)                                     # mask: 1 is transparent
      for (x = 1; x <= 32; x += 8) {
        m = 0
        for (k = 0; k < 8; k++) m = m * 2 + (substr(row[y], x + k, 1) == ".")
        le(m, 1)
      }
  }')
printf '%b' "$bytes" > "$out.tmp"
mv "$out.tmp" "$out"
