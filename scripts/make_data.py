#!/usr/bin/env python3
"""Writes the data files that ship beside the module.

    data/gfill.xpl    the palette ramp presets (exactly 52)
    data/prismno.dat  the factory patterns

Both are files of fixed 20-byte text records: 18 characters of content,
padded with spaces, and a CR LF line end, so they read as text. Each file is
written to a temporary name in the data folder and then renamed over the old
one.

Usage: python3 scripts/make_data.py [output folder]   (default: data/)
"""

import os
import sys
import tempfile

RECORD = 20


def record(text):
    """One record: up to 18 characters, space padded, CR LF."""
    if len(text) > RECORD - 2:
        raise ValueError("record text too long: %r" % text)
    return (text.ljust(RECORD - 2) + "\r\n").encode("ascii")


def num3(n):
    if not 0 <= n <= 999:
        raise ValueError("three-digit field out of range: %d" % n)
    return "%03d" % n


def stop_record(stop):
    pos, (r, g, b) = stop
    for v in (pos, r, g, b):
        if not 0 <= v <= 255:
            raise ValueError("stop value out of range: %r" % (stop,))
    return record("%s %s %s %s" % (num3(pos), num3(r), num3(g), num3(b)))


def hexrgb(s):
    s = s.lstrip("#")
    return (int(s[0:2], 16), int(s[2:4], 16), int(s[4:6], 16))


def ramp(*stops):
    """Stops as (position, "rrggbb"). Positions are kept in order; the
    palette is a circle, so the last stop blends round into the first."""
    out = [(p, hexrgb(c)) for p, c in stops]
    if len(out) < 2:
        raise ValueError("a ramp needs two or more stops")
    if [p for p, _ in out] != sorted(p for p, _ in out):
        raise ValueError("stops out of order: %r" % (stops,))
    return out


# The presets, in file order. Preset 2 is the ramp of every fresh record.
PRESETS = [
    ("Rainbow", ramp((0, "ff2020"), (43, "ffd800"), (85, "20e040"), (128, "00d8ff"),
                      (170, "2040ff"), (213, "e020ff"))),
    ("Lagoon", ramp((0, "0b1d4d"), (40, "0f6e8c"), (80, "2ec4b6"), (118, "c9f2c7"),
                    (150, "ffd166"), (190, "f4845f"), (225, "8e3b6e"))),
    ("Gold", ramp((0, "3a2306"), (55, "8c5a12"), (105, "d4a017"), (140, "fff2b0"),
                  (175, "e3b53a"), (220, "7a4d0e"))),
    ("Silver", ramp((0, "2b2f36"), (60, "8a9099"), (110, "e8ecf2"), (135, "ffffff"),
                    (170, "b4bac4"), (215, "5a616b"))),
    ("Copper", ramp((0, "2e1208"), (60, "8a3b1c"), (115, "d9784a"), (145, "ffc9a3"),
                    (185, "c0603a"), (225, "5c2410"))),
    ("Bronze", ramp((0, "241a0c"), (70, "6e5326"), (120, "b08d48"), (150, "e6cf8f"),
                    (190, "9b7a3c"), (230, "4a3817"))),
    ("Chrome", ramp((0, "10131a"), (60, "4a5a70"), (110, "d6e6ff"), (126, "ffffff"),
                    (132, "5a3f24"), (170, "b08a5c"), (215, "f2e6d6"))),
    ("Fire", ramp((0, "0a0000"), (50, "6b0000"), (100, "d42000"), (150, "ff8c00"),
                  (200, "ffe14d"), (235, "fffbe0"))),
    ("Embers", ramp((0, "140404"), (70, "5c0a06"), (120, "b3260f"), (160, "ff6a1a"),
                    (200, "a8200c"), (235, "3a0805"))),
    ("Lava", ramp((0, "1a0f0f"), (60, "2b1414"), (105, "8f1a00"), (140, "ff5500"),
                  (160, "ffd000"), (190, "b32400"), (230, "3d1a12"))),
    ("Ice", ramp((0, "ffffff"), (55, "d4f4ff"), (115, "6cc4ee"), (175, "1f5fa8"),
                 (220, "0b2552"))),
    ("Glacier", ramp((0, "e6f7ff"), (50, "a8e2f0"), (100, "4fb3c9"), (150, "1e6f8f"),
                     (200, "7ccfe0"), (235, "cdeff7"))),
    ("Frost", ramp((0, "f4f8ff"), (70, "c8d6f0"), (130, "8fa5d6"), (180, "d9c8f0"),
                   (225, "ffffff"))),
    ("Earth", ramp((0, "2e1f12"), (60, "6b4a2b"), (110, "a87b4f"), (150, "c9b07a"),
                   (195, "6e7040"), (235, "403622"))),
    ("Desert", ramp((0, "7a4a24"), (60, "c28a4e"), (110, "e8c48c"), (150, "f7e3b5"),
                    (200, "d9a066"), (235, "a3643a"))),
    ("Terracotta", ramp((0, "5e2412"), (65, "a84a2a"), (120, "d9825b"), (160, "f2c3a0"),
                        (205, "b85a36"))),
    ("Forest", ramp((0, "0c1f0f"), (60, "1f4d22"), (115, "3f7d35"), (160, "8fb359"),
                    (200, "4a6b2a"), (235, "1a3318"))),
    ("Moss", ramp((0, "2a3316"), (70, "5c6b26"), (130, "9aa84a"), (175, "d4d98f"),
                  (220, "6b7a33"))),
    ("Jungle", ramp((0, "06261a"), (45, "0f5c3a"), (95, "2ea35c"), (140, "b8e04a"),
                    (175, "f2d13a"), (215, "1f7a4a"))),
    ("Deep Ocean", ramp((0, "020a1f"), (70, "06295c"), (130, "0b5fa3"), (175, "1fa3c9"),
                        (215, "0a3d7a"))),
    ("Tropical Sea", ramp((0, "004e64"), (55, "00a5a5"), (105, "25d9c8"), (145, "b5f5e0"),
                          (180, "fff5cc"), (220, "3fc1c9"))),
    ("Dawn Sky", ramp((0, "1c2a5c"), (60, "5a6fb0"), (115, "c69ed0"), (160, "ffc2a8"),
                      (200, "ffe8b0"), (235, "8fb5e6"))),
    ("Sunset", ramp((0, "2b1055"), (50, "7b2d8f"), (100, "d6336c"), (150, "ff7a3d"),
                    (195, "ffc857"), (230, "5c1f6e"))),
    ("Dusk", ramp((0, "0f0c29"), (70, "302b63"), (135, "6a4c93"), (185, "c06c84"),
                  (225, "24243e"))),
    ("Aurora", ramp((0, "050a1a"), (50, "0b3d2e"), (100, "2eeb8f"), (140, "4ad9d9"),
                    (180, "7a3dd9"), (220, "1a0f3d"))),
    ("Pastel Dream", ramp((0, "ffd6e0"), (50, "ffefc2"), (100, "d0f4de"), (150, "c9e4ff"),
                          (200, "e4d4ff"))),
    ("Pastel Rainbow", ramp((0, "ffb3ba"), (43, "ffdfba"), (85, "ffffba"), (128, "baffc9"),
                            (170, "bae1ff"), (213, "dcc6ff"))),
    ("Candy", ramp((0, "ff5fa2"), (55, "ffd1e8"), (105, "7ee8fa"), (155, "fff07a"),
                   (205, "c77dff"))),
    ("Neon", ramp((0, "0a0014"), (40, "ff00c8"), (85, "1a0033"), (130, "00f0ff"),
                  (175, "001433"), (215, "39ff14"))),
    ("Synthwave", ramp((0, "140028"), (50, "5c0099"), (100, "ff2ea6"), (145, "ff9e2e"),
                       (175, "fff05c"), (210, "2ed2ff"))),
    ("Acid", ramp((0, "000000"), (40, "ccff00"), (90, "00ff88"), (130, "0a0a0a"),
                  (170, "ff00ff"), (215, "ffea00"))),
    ("Navy Peach", ramp((0, "14213d"), (128, "ffb48a"), (255, "14213d"))),
    ("Teal Coral", ramp((0, "006d6f"), (128, "ff7f6b"))),
    ("Plum Gold", ramp((0, "3c1053"), (110, "f2c14e"), (150, "f2c14e"))),
    ("Ink Orange", ramp((0, "101010"), (96, "101010"), (160, "ff7b00"), (200, "ffb566"))),
    ("Olive Rose", ramp((0, "556b2f"), (128, "f4a6c0"))),
    ("Greyscale", ramp((0, "000000"), (128, "ffffff"), (255, "000000"))),
    ("Sepia", ramp((0, "2b1b0e"), (70, "6b4a2b"), (140, "b89a72"), (190, "f0e2c8"),
                   (235, "8a6a45"))),
    ("Marble", ramp((0, "f2f0ec"), (90, "dcd8d0"), (120, "8c8a85"), (128, "3a3835"),
                    (136, "9a958c"), (170, "e8e4dc"), (230, "fbfaf7"))),
    ("Jade", ramp((0, "0b3326"), (60, "1f7a5a"), (120, "5cc29a"), (160, "b8f0d6"),
                  (205, "2e9470"))),
    ("Amethyst", ramp((0, "1f0a33"), (65, "5c2a8f"), (120, "a56be0"), (160, "e6ccff"),
                      (205, "7a3db8"))),
    ("Ruby", ramp((0, "2b0008"), (70, "8a0019"), (125, "e0103a"), (160, "ff8fa6"),
                  (205, "b30026"))),
    ("Sapphire", ramp((0, "000a2b"), (70, "0a2a8f"), (125, "1f5fff"), (160, "a6c2ff"),
                      (205, "1438b8"))),
    ("Emerald", ramp((0, "002b14"), (70, "007a3d"), (125, "10d06a"), (160, "a6ffcc"),
                     (205, "00a352"))),
    ("Autumn", ramp((0, "4a1c0a"), (45, "a3300f"), (95, "e8731f"), (140, "f2c12e"),
                    (185, "8a9a2e"), (225, "6b2e12"))),
    ("Blossom", ramp((0, "fff0f5"), (60, "ffc2d9"), (120, "ff7aa8"), (160, "b5e08f"),
                     (210, "fff7d6"))),
    ("Zebra", ramp((0, "f5f5f0"), (60, "f5f5f0"), (64, "141414"), (124, "141414"),
                   (128, "f5f5f0"), (188, "f5f5f0"), (192, "141414"), (252, "141414"))),
    ("Candy Stripe", ramp((0, "e8102e"), (40, "e8102e"), (43, "ffffff"), (85, "ffffff"),
                          (88, "e8102e"), (128, "e8102e"), (131, "ffffff"), (170, "ffffff"),
                          (173, "e8102e"), (213, "e8102e"), (216, "ffffff"), (252, "ffffff"))),
    ("Thermal", ramp((0, "000000"), (45, "2a0a5e"), (95, "a3127a"), (145, "f2401a"),
                     (190, "ffb000"), (230, "fff7cc"), (255, "ffffff"))),
    ("Cyanotype", ramp((0, "0b2447"), (80, "19376d"), (150, "576cbc"), (200, "a5d7e8"),
                       (235, "f0f8ff"))),
    ("Psychedelic", ramp((0, "ff0054"), (28, "ffbd00"), (57, "390099"), (85, "9e0059"),
                         (113, "00f5d4"), (142, "fee440"), (170, "f15bb5"),
                         (198, "00bbf9"), (227, "9b5de5"))),
    ("Nebula", ramp((0, "05010f"), (50, "2a0a4a"), (95, "8f1f7a"), (130, "ff6fa8"),
                    (155, "ffd6e8"), (185, "4a2a9e"), (225, "0a0a2e"))),
]

# The factory patterns: storyboards of operations "ttsX" (template 1..19,
# sample 1..6, "-" applied or "|" sample change only), their settings (hue
# shift, mirror, repeat in hundredths) and a ramp (a preset by name).
PATTERNS = [
    (["071-"], 0, 0, 100, "Rainbow"),
    (["141-", "062-"], 0, 0, 150, "Lagoon"),
    (["011-", "101-"], 0, 1, 100, "Gold"),
    (["075-", "076|"], 0, 0, 250, "Fire"),
    (["163-", "151-"], 40, 0, 100, "Ice"),
    (["052-", "121-", "135-"], 0, 1, 120, "Marble"),
    (["041-"], 0, 0, 180, "Sunset"),
    (["181-", "064-"], 0, 1, 75, "Aurora"),
    (["091-", "034-"], 200, 0, 100, "Neon"),
    (["121-", "015-", "073-"], 0, 0, 300, "Jade"),
    (["146-", "146-"], 0, 1, 200, "Zebra"),
    (["171-", "062-"], 0, 0, 100, "Psychedelic"),
    (["022-", "025|"], 0, 1, 90, "Copper"),
    (["082-", "113-"], 0, 0, 140, "Earth"),
    (["131-", "192-"], 0, 0, 100, "Candy"),
    (["061-", "091-", "153-"], 0, 1, 110, "Deep Ocean"),
    (["111-", "116|"], 0, 0, 400, "Candy Stripe"),
    (["031-", "144-"], 30, 1, 100, "Amethyst"),
    (["102-", "171-"], 0, 1, 100, "Synthwave"),
    (["062-", "181-"], 0, 1, 100, "Thermal"),
    (["154-", "015-"], 0, 1, 160, "Pastel Rainbow"),
    (["124-", "051-", "041-", "015-"], 0, 0, 100, "Forest"),
    (["065-", "145-"], 0, 1, 220, "Chrome"),
    (["012-", "193-"], 0, 1, 100, "Nebula"),
    (["141-", "011-", "101-", "061-", "063-"], 0, 0, 100, "Tropical Sea"),
    (["161-", "172-"], 0, 0, 50, "Autumn"),
    (["041-", "105-"], 0, 1, 300, "Ruby"),
    (["083-", "063-"], 0, 0, 100, "Glacier"),
    (["133-", "043-", "101-"], 180, 0, 160, "Dusk"),
    (["052-", "052-", "052-", "052-"], 0, 1, 100, "Lava"),
    (["014-", "024-"], 0, 0, 100, "Desert"),
    (["166-", "061-"], 0, 0, 200, "Sapphire"),
    (["193-", "061-"], 90, 0, 150, "Nebula"),
    (["015-", "155-"], 0, 0, 100, "Emerald"),
    (["121-", "121-", "121-"], 0, 1, 100, "Sepia"),
]


def presets_file():
    if len(PRESETS) != 52:
        raise ValueError("the presets file holds exactly 52 ramps, not %d" % len(PRESETS))
    out = [record("#N" + num3(len(PRESETS)) + " ramp presets")]
    for k, (name, stops) in enumerate(PRESETS, start=1):
        out.append(record("#p" + num3(k) + " " + name[:12]))
        out.append(record("#n" + num3(len(stops))))
        out.extend(stop_record(s) for s in stops)
    out.append(record("#e"))
    return b"".join(out)


def check_operation(op):
    if len(op) != 4 or not op[:3].isdigit() or op[3] not in "-|":
        raise ValueError("bad operation %r" % op)
    if not 1 <= int(op[:2]) <= 19 or not 1 <= int(op[2]) <= 6:
        raise ValueError("template or sample out of range in %r" % op)


def patterns_file():
    ramps = dict(PRESETS)
    out = [record("#N" + num3(len(PATTERNS)) + " patterns")]
    for k, (ops, hue, mirror, repeat, ramp_name) in enumerate(PATTERNS, start=1):
        if not 1 <= len(ops) <= 5:
            raise ValueError("pattern %d: 1 to 5 operations" % k)
        if not (0 <= hue <= 359 and mirror in (0, 1) and 1 <= repeat <= 500):
            raise ValueError("pattern %d: settings out of range" % k)
        out.append(record("#n" + num3(k) + " " + ramp_name[:12]))
        out.append(record("#o" + num3(len(ops))))
        for op in ops:
            check_operation(op)
            out.append(record(" " + op))
        out.append(record("#p"))
        out.append(record("%s   %d %s" % (num3(hue), mirror, num3(repeat))))
        stops = ramps[ramp_name]
        out.append(record("#m" + num3(len(stops))))
        out.extend(stop_record(s) for s in stops)
    out.append(record("#e"))
    return b"".join(out)


def write_atomically(path, data):
    folder = os.path.dirname(os.path.abspath(path))
    fd, temp = tempfile.mkstemp(prefix=".tmp-", dir=folder)
    try:
        with os.fdopen(fd, "wb") as f:
            f.write(data)
            f.flush()
            os.fsync(f.fileno())
        os.chmod(temp, 0o644)
        os.replace(temp, path)
    except BaseException:
        if os.path.exists(temp):
            os.unlink(temp)
        raise


def main(argv):
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    folder = argv[1] if len(argv) > 1 else os.path.join(root, "data")
    os.makedirs(folder, exist_ok=True)
    for name, data in (("gfill.xpl", presets_file()), ("prismno.dat", patterns_file())):
        if len(data) % RECORD:
            raise AssertionError("%s is not made of whole records" % name)
        write_atomically(os.path.join(folder, name), data)
        print("%s: %d records" % (name, len(data) // RECORD))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
