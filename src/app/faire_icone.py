#!/usr/bin/env python3
"""Writes a Windows icon file whose images are the given PNG files: faire_icone.py OUT PNG..."""
import struct
import sys


def taille_png(octets):
    if octets[:8] != b"\x89PNG\r\n\x1a\n" or octets[12:16] != b"IHDR":
        raise SystemExit("not a PNG file")
    return struct.unpack(">II", octets[16:24])


def main():
    sortie, sources = sys.argv[1], sys.argv[2:]
    images = [open(s, "rb").read() for s in sources]
    entete = struct.pack("<HHH", 0, 1, len(images))
    repertoire = b""
    decalage = 6 + 16 * len(images)
    for octets in images:
        largeur, hauteur = taille_png(octets)
        # 256 pixels is written 0: the byte holds no more.
        repertoire += struct.pack("<BBBBHHII", largeur % 256, hauteur % 256, 0, 0, 1, 32,
                                  len(octets), decalage)
        decalage += len(octets)
    with open(sortie, "wb") as f:
        f.write(entete + repertoire + b"".join(images))


if __name__ == "__main__":
    main()
