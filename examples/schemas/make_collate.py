#!/usr/bin/env python3
"""Writes the collating sequence files of the example schemas into
lib/nls/collate/: "german" (umlauts sort with their base letter) and
"german@phone" (umlauts sort as the letter followed by E), each for the code
sets roman8 and iso88591.

A file is an 88-byte header ("YQ", the byte order of the length field "B" or
"L", the version "1", the map's name NUL-padded to 80 bytes, the u32 length
of the map data) and the map data: for every code 0 to 255 a length byte and
that many weight bytes.

The map of the first code set carries the collating sequence's own name, so
that the name a schema printer reads back from the catalog compiles again;
the other map is named after its file."""
import os
import struct

UMLAUTS = {
    # letter: (roman8 code, iso88591 code)
    "AE": (0xD8, 0xC4), "ae": (0xCC, 0xE4),
    "OE": (0xDA, 0xD6), "oe": (0xCE, 0xF6),
    "UE": (0xDB, 0xDC), "ue": (0xCF, 0xFC),
    "SS": (0xDE, 0xDF),
}


def weights(code, codeset, phone):
    for pair, codes in UMLAUTS.items():
        if codes[codeset] == code:
            base = pair.upper()
            if pair == "SS":
                return b"SS"
            return base.encode() if phone else base[:1].encode()
    if ord("a") <= code <= ord("z"):
        return bytes([code - 32])
    return bytes([code])


def collate_file(name, codeset, order, phone):
    data = b"".join(bytes([len(w)]) + w for w in (weights(c, codeset, phone) for c in range(256)))
    header = b"YQ" + order + b"1" + name.encode().ljust(80, b"\0")
    header += struct.pack(">I" if order == b"B" else "<I", len(data))
    return header + data


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    folder = os.path.join(here, "lib", "nls", "collate")
    os.makedirs(folder, exist_ok=True)
    for sequence, phone in (("german", False), ("german@phone", True)):
        base, _, rest = sequence.partition("@")
        suffix = "@" + rest if rest else ""
        for codeset, (setname, order) in enumerate((("roman8", b"B"), ("iso88591", b"L"))):
            file_name = "%s.%s%s" % (base, setname, suffix)
            map_name = sequence if codeset == 0 else file_name
            with open(os.path.join(folder, file_name), "wb") as out:
                out.write(collate_file(map_name, codeset, order, phone))


if __name__ == "__main__":
    main()
