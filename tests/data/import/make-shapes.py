#!/usr/bin/env python3
"""Writes the instrument-shaped test tables of this folder.

Every file holds the same titration: hydrochloric acid 0.01 mol/l (V0 = 50 ml) titrated with
sodium hydroxide 0.1 mol/l, every other point of examples/strong-acid-hcl-naoh.csv, so that the
tests can check each shape gives exactly these points. Run it from this folder; it rewrites the
files byte for byte.
"""
import os

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.join(HERE, "..", "..", "..", "examples", "strong-acid-hcl-naoh.csv")

points = []
with open(SOURCE, encoding="utf-8") as f:
    for line in f:
        line = line.strip()
        if not line or line.startswith("#") or line.startswith("V"):
            continue
        v, ph = line.split(",")
        points.append((v, ph))
points = points[::2]  # 0.00, 0.50, ... 9.00 ml


def comma(text):
    return text.replace(".", ",")


def write(name, text, encoding="utf-8", newline="\n"):
    data = text.replace("\n", newline).encode(encoding)
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)


# Extra time and temperature columns, around the volume and pH.
rows = ["t (s),V (ml),pH,T (°C)"]
for i, (v, ph) in enumerate(points):
    rows.append(f"{30 * i},{v},{ph},{25 + (i % 3) / 10:.1f}")
write("extra-columns.csv", "\n".join(rows) + "\n")

# A units line under the header.
rows = ["Volume;pH;Temperature", "ml;;°C"]
for v, ph in points:
    rows.append(f"{comma(v)};{comma(ph)};25,0")
write("units-line.csv", "\n".join(rows) + "\n")

# Several header and comment lines before the table.
rows = ["Titration report", "Method: acid-base, HCl with NaOH",
        "# exported by the titrator's own program", "", "Volume added (ml)\tpH\tTime"]
for i, (v, ph) in enumerate(points):
    rows.append(f"{v}\t{ph}\t00:{i // 2:02d}:{30 * (i % 2):02d}")
write("several-headers.txt", "\n".join(rows) + "\n")

# A preamble of name;value lines: the sample volume and the titrant concentration.
rows = ["Sample;HCl unknown", "Date;2024-03-01", "Sample volume;50;ml",
        "Titrant concentration;0,1;mol/l", "Operator;A. B.", "", "V;pH"]
for v, ph in points:
    rows.append(f"{comma(v)};{comma(ph)}")
write("preamble.csv", "\n".join(rows) + "\n")

# Quoted fields, a decimal comma inside quotes, and a quoted header with a comma in it.
rows = ['"Volume, ml","pH","Note"']
for i, (v, ph) in enumerate(points):
    note = '"start"' if i == 0 else '"said ""ok"""' if i == 1 else '""'
    rows.append(f'"{comma(v)}","{comma(ph)}",{note}')
write("quoted.csv", "\n".join(rows) + "\n")

# A semicolon with a decimal comma, and a tab with a decimal comma.
write("semicolon-decimal-comma.csv",
      "V_ml;pH\n" + "".join(f"{comma(v)};{comma(ph)}\n" for v, ph in points))
write("tab-decimal-comma.txt",
      "V_ml\tpH\n" + "".join(f"{comma(v)}\t{comma(ph)}\n" for v, ph in points))

# Encodings: UTF-8 with and without a byte-order mark, UTF-16 with a mark.
table = "Volume (ml);pH;Temperatur (°C)\n" + "".join(
    f"{comma(v)};{comma(ph)};25,0\n" for v, ph in points)
write("utf8.csv", table)
write("utf8-bom.csv", table, "utf-8-sig")
write("utf16le-bom.csv", table, "utf-16")  # Python writes the little-endian mark first
with open(os.path.join(HERE, "utf16be-bom.csv"), "wb") as f:
    f.write(b"\xfe\xff" + table.encode("utf-16-be"))

# Line ends.
plain = "V,pH\n" + "".join(f"{v},{ph}\n" for v, ph in points)
write("lf.csv", plain)
write("crlf.csv", plain, newline="\r\n")
write("cr.csv", plain, newline="\r")

# Potentials in mV instead of pH, from an electrode with E0 = 400 mV and 59.16 mV per pH.
rows = ["V (ml);E (mV)"]
for v, ph in points:
    rows.append(f"{comma(v)};{comma(f'{400 - 59.16 * float(ph):.1f}')}")
write("potentials-mv.csv", "\n".join(rows) + "\n")
