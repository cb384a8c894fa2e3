#!/bin/sh
# Exports the demo fixture's Lisbon section to HTML through pagewright-cli against
# pagewright-emulator, opens the first page in headless Chromium, saves a screenshot and checks that
# the page's image is on it (the fixture paints it in one colour, #d98b3b).
# Usage: html_screenshot.sh PAGEWRIGHT_CLI PAGEWRIGHT_EMULATOR FIXTURE SCREENSHOT.png
set -eu

cli=$1
emulator=$2
fixture=$3
shot=$4
chromium=$(command -v chromium || command -v chromium-browser || true)
[ -n "$chromium" ] || { echo "no chromium on this machine (apt-get install chromium)" >&2; exit 77; }

. "$(dirname "$0")/../../tests/service/cli/emulator-session.sh"
begin_session "$cli" "$emulator" "$fixture"
sign_in_personal
pw export --kind html --out "$work/html" --check "Travel Journal/Lisbon 2024" >/dev/null 2>"$work/export.err"

page="$work/html/Travel Journal/Lisbon 2024/Day one: Alfama.html"
# Chromium wants a file URL: percent-encode the blanks and the colon of the page name.
url="file://$(printf '%s' "$page" | sed 's/ /%20/g; s/:/%3A/g')"
"$chromium" --headless --no-sandbox --disable-gpu --hide-scrollbars --window-size=800,1000 \
    --screenshot="$shot" "$url" >"$work/chromium.out" 2>&1 || { cat "$work/chromium.out" >&2; exit 1; }

# Counts the pixels of the image's colour in the screenshot (PNG, 8 bits a channel, not interlaced).
python3 - "$shot" <<'PY'
import struct, sys, zlib
data = open(sys.argv[1], "rb").read()
pos, chunks, width, height, kind = 8, b"", 0, 0, 0
while pos < len(data):
    length, tag = struct.unpack(">I4s", data[pos:pos + 8])
    body = data[pos + 8:pos + 8 + length]
    if tag == b"IHDR":
        width, height, _, kind = struct.unpack(">IIBB", body[:10])
    elif tag == b"IDAT":
        chunks += body
    pos += 12 + length
raw = zlib.decompress(chunks)
bpp = {2: 3, 6: 4}[kind]
stride = width * bpp
rows, prev, i = [], bytearray(stride), 0
for _ in range(height):
    f, line = raw[i], bytearray(raw[i + 1:i + 1 + stride])
    i += 1 + stride
    for x in range(stride):
        a = line[x - bpp] if x >= bpp else 0
        b = prev[x]
        c = prev[x - bpp] if x >= bpp else 0
        if f == 1: line[x] = (line[x] + a) & 255
        elif f == 2: line[x] = (line[x] + b) & 255
        elif f == 3: line[x] = (line[x] + (a + b) // 2) & 255
        elif f == 4:
            p = a + b - c
            pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
            line[x] = (line[x] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
    rows.append(line)
    prev = line
hits = sum(1 for r in rows for x in range(0, stride, bpp)
           if abs(r[x] - 0xd9) < 8 and abs(r[x + 1] - 0x8b) < 8 and abs(r[x + 2] - 0x3b) < 8)
print("image pixels on the screenshot:", hits)
sys.exit(0 if hits > 10000 else 1)
PY
