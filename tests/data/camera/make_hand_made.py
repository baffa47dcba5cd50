#!/usr/bin/env python3
"""Writes the hand-made camera files of this folder: small JPEGs (an ImageMagick picture) whose
EXIF block is laid out byte by byte as the cameras named in README.md lay theirs out."""
import struct
import subprocess
import sys
from pathlib import Path


def jpeg(size=(32, 24), colour="orange"):
    return subprocess.run(["convert", "-size", "%dx%d" % size, "xc:" + colour, "-strip", "jpg:-"],
                          check=True, capture_output=True).stdout


def segment(marker, payload):
    return bytes([0xFF, marker]) + struct.pack(">H", len(payload) + 2) + payload


def with_segments(picture, segments):
    """The picture with the segments right after its start of image (and its JFIF header)."""
    at = 2
    if picture[2:4] == b"\xff\xe0":
        at = 4 + struct.unpack(">H", picture[4:6])[0]
    return picture[:at] + b"".join(segments) + picture[at:]


TYPES = {"BYTE": 1, "ASCII": 2, "SHORT": 3, "LONG": 4, "RATIONAL": 5, "UNDEFINED": 7}
SIZES = {1: 1, 2: 1, 3: 2, 4: 4, 5: 8, 7: 1}


class Block:
    """A TIFF structure laid out in order: directories and values where they are put."""

    def __init__(self, order=">"):
        self.o = order
        self.data = bytearray((b"MM\0*" if order == ">" else b"II*\0") + struct.pack(order + "I", 8))

    def here(self):
        if len(self.data) % 2:
            self.data += b"\0"
        return len(self.data)

    def value(self, type_name, value):
        t = TYPES[type_name]
        if t == 2:
            raw = value.encode() + b"\0"
        elif t in (1, 7):
            raw = bytes(value)
        elif t == 5:
            raw = b"".join(struct.pack(self.o + "II", *v) for v in value)
        else:
            raw = b"".join(struct.pack(self.o + ("H" if t == 3 else "I"), v) for v in value)
        return t, len(raw) // SIZES[t], raw

    def directory(self, entries, base=0, next_link=0, at=None):
        """Writes a directory at `at` (default: here) and its long values right behind it; entries
        are (tag, type, value); pointers count from `base`. Returns (offset, fields by tag)."""
        entries = sorted(entries, key=lambda e: e[0])
        start = self.here() if at is None else at
        size = 2 + 12 * len(entries) + 4
        if at is None:
            self.data += bytes(size)
        fields = {}
        body = bytearray(struct.pack(self.o + "H", len(entries)))
        longs = []
        for tag, type_name, value in entries:
            t, count, raw = self.value(type_name, value)
            field = start + len(body) + 8
            fields[tag] = field
            if len(raw) <= 4:
                body += struct.pack(self.o + "HHI", tag, t, count) + raw.ljust(4, b"\0")
            else:
                body += struct.pack(self.o + "HHI", tag, t, count) + b"\0\0\0\0"
                longs.append((field, raw))
        body += struct.pack(self.o + "I", next_link)
        self.data[start:start + size] = body
        for field, raw in longs:
            self.set32(field, self.here() - base)
            self.data += raw
        return start, fields

    def set32(self, at, value):
        self.data[at:at + 4] = struct.pack(self.o + "I", value)

    def exif_segment(self):
        return segment(0xE1, b"Exif\0\0" + bytes(self.data))


def camera_ifd0(block, make, model, extra=()):
    return block.directory([(0x010F, "ASCII", make), (0x0110, "ASCII", model), (0x0112, "SHORT", [1]),
                            (0x011A, "RATIONAL", [(72, 1)]), (0x011B, "RATIONAL", [(72, 1)]),
                            (0x0128, "SHORT", [2]), (0x0213, "SHORT", [1]), (0x8769, "LONG", [0])] + list(extra))


def exif_ifd(block, extra=()):
    return block.directory([(0x829A, "RATIONAL", [(1, 125)]), (0x9000, "UNDEFINED", b"0221"),
                            (0x9101, "UNDEFINED", b"\1\2\3\0"), (0xA000, "UNDEFINED", b"0100"),
                            (0xA001, "SHORT", [1]), (0xA002, "LONG", [32]), (0xA003, "LONG", [24])] + list(extra))


def nikon_preview_past_count():
    """A Nikon note (its own TIFF header) whose preview directory and preview JPEG lie past the
    MakerNote tag's count, as the D70 and the Coolpix cameras write them."""
    b = Block()
    _, f0 = camera_ifd0(b, "NIKON CORPORATION", "NIKON D70")
    exif_at, fe = exif_ifd(b, [(0x927C, "UNDEFINED", bytes(1))])
    b.set32(f0[0x8769], exif_at)
    note_at = b.here()
    b.set32(fe[0x927C], note_at)
    b.data += b"Nikon\0\x02\x10\0\0"
    inner = b.here()
    b.data += b"MM\0*" + struct.pack(">I", 8)
    _, fn = b.directory([(0x0001, "UNDEFINED", b"0210"), (0x0004, "ASCII", "FINE  "), (0x0005, "ASCII", "AUTO        "),
                         (0x0011, "LONG", [0])], base=inner)
    counted = b.here() - note_at
    b.data[fe[0x927C] - 4:fe[0x927C]] = struct.pack(">I", counted)
    preview = jpeg((16, 12), "navy")
    preview_ifd, fp = b.directory([(0x0103, "SHORT", [6]), (0x0201, "LONG", [0]), (0x0202, "LONG", [len(preview)])],
                                  base=inner)
    b.set32(fn[0x0011], preview_ifd - inner)
    b.set32(fp[0x0201], b.here() - inner)
    b.data += preview
    return with_segments(jpeg(), [b.exif_segment()])


def canon_footer():
    """A Canon note that points at its values from the TIFF header and ends with the footer that
    records where it stands, as the PowerShot A85 writes it."""
    b = Block("<")
    _, f0 = camera_ifd0(b, "Canon", "Canon PowerShot A85")
    exif_at, fe = exif_ifd(b, [(0x927C, "UNDEFINED", bytes(1))])
    b.set32(f0[0x8769], exif_at)
    note_at = b.here()
    b.directory([(0x0006, "ASCII", "IMG:PowerShot A85 JPEG"), (0x0007, "ASCII", "Firmware Version 1.00"),
                 (0x0009, "ASCII", "a photographer"), (0x000C, "LONG", [1234567])])
    b.here()
    b.data += b"II*\0" + struct.pack("<I", note_at)
    b.set32(fe[0x927C], note_at)
    b.data[fe[0x927C] - 4:fe[0x927C]] = struct.pack("<I", len(b.data) - note_at)
    return with_segments(jpeg(), [b.exif_segment()])


def kodak_private_ifd():
    """IFD0 pointing at a private directory of its maker (KodakIFD, 0x8290), as the ProBack does."""
    b = Block(">")
    _, f0 = camera_ifd0(b, "Eastman Kodak Company", "Kodak ProBack", [(0x8290, "LONG", [0])])
    exif_at, _ = exif_ifd(b)
    b.set32(f0[0x8769], exif_at)
    private, _ = b.directory([(0x0001, "SHORT", [1]), (0x0003, "ASCII", "KODAK PROBACK"), (0x03E9, "ASCII", "1.0.0"),
                              (0x03EB, "SHORT", [3])])
    b.set32(f0[0x8290], private)
    return with_segments(jpeg(), [b.exif_segment()])


def rgb_thumbnail():
    """IFD1 holding an uncompressed RGB thumbnail in one strip, as the Sony D700 and the Kodak
    DC210 write it."""
    b = Block("<")
    _, f0 = camera_ifd0(b, "SONY", "DSC-D700")
    exif_at, _ = exif_ifd(b)
    b.set32(f0[0x8769], exif_at)
    pixels = bytes((x * 30) % 256 for x in range(8 * 6 * 3))
    ifd1, f1 = b.directory([(0x0100, "SHORT", [8]), (0x0101, "SHORT", [6]), (0x0102, "SHORT", [8, 8, 8]),
                            (0x0103, "SHORT", [1]), (0x0106, "SHORT", [2]), (0x0111, "LONG", [0]), (0x0115, "SHORT", [3]),
                            (0x0116, "SHORT", [6]), (0x0117, "LONG", [len(pixels)])])
    b.set32(f1[0x0111], b.here())
    b.data += pixels
    link = 8 + 2 + 12 * 8  # IFD0's next-directory link
    b.set32(link, ifd1)
    return with_segments(jpeg(), [b.exif_segment()])


def exif_only_tags():
    """Gamma, SpatialFrequencyResponse and Padding in the EXIF directory, where they belong."""
    b = Block("<")
    _, f0 = camera_ifd0(b, "Camera Maker", "Model")
    sfr = struct.pack("<HH", 2, 1) + b"H\0V\0" + struct.pack("<II", 1, 2)
    exif_at, _ = exif_ifd(b, [(0xA500, "RATIONAL", [(22, 10)]), (0xA20C, "UNDEFINED", sfr), (0xEA1C, "UNDEFINED", bytes(40))])
    b.set32(f0[0x8769], exif_at)
    return with_segments(jpeg(), [b.exif_segment()])


def iptc_record(caption):
    data = caption.encode()
    return b"\x1c\x02\x00\x00\x02\x00\x04" + b"\x1c\x02\x78" + struct.pack(">H", len(data)) + data


def photoshop_payload(record):
    resource = b"8BIM\x04\x04\0\0" + struct.pack(">I", len(record)) + record + (b"\0" if len(record) % 2 else b"")
    return b"Photoshop 3.0\0" + resource


def two_iptc_records():
    """An APP13 IPTC record and an older IPTC-NAA copy in IFD0 (0x83BB), as editors leave them."""
    b = Block("<")
    _, f0 = camera_ifd0(b, "Camera Maker", "Model", [(0x83BB, "UNDEFINED", iptc_record("old caption"))])
    exif_at, _ = exif_ifd(b)
    b.set32(f0[0x8769], exif_at)
    return with_segments(jpeg(), [b.exif_segment(), segment(0xED, photoshop_payload(iptc_record("new caption")))])


def xmp_packet(body):
    return ('<?xpacket begin="" id="W5M0MpCehiHzreSzNTczkc9d"?><x:xmpmeta xmlns:x="adobe:ns:meta/">'
            '<rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#">' + body +
            '</rdf:RDF></x:xmpmeta><?xpacket end="w"?>').encode()


def other_app_segments():
    """Segments no property item stands for: an XMP packet that declares an extended part, the
    extended part in APP1 (split as XMP part 3 says), Ducky (APP12) and an APP3 block."""
    import hashlib
    extended = xmp_packet('<rdf:Description rdf:about="" xmlns:dc="http://purl.org/dc/elements/1.1/">'
                          '<dc:source>the long part</dc:source></rdf:Description>')
    guid = hashlib.md5(extended).hexdigest().upper()
    main = xmp_packet('<rdf:Description rdf:about="" xmlns:xmpNote="http://ns.adobe.com/xmp/note/" '
                      'xmpNote:HasExtendedXMP="%s"/>' % guid)
    extension = (b"http://ns.adobe.com/xmp/extension/\0" + guid.encode() + struct.pack(">II", len(extended), 0) +
                 extended)
    ducky = b"Ducky" + struct.pack(">HHI", 1, 4, 80) + struct.pack(">H", 0)
    meta = b"META\0\0" + bytes(16)
    return with_segments(jpeg(), [segment(0xE1, b"http://ns.adobe.com/xap/1.0/\0" + main), segment(0xE1, extension),
                                  segment(0xE3, meta), segment(0xEC, ducky)])


FILES = {
    "nikon-preview-past-count.jpg": nikon_preview_past_count,
    "canon-footer.jpg": canon_footer,
    "kodak-private-ifd.jpg": kodak_private_ifd,
    "rgb-thumbnail.jpg": rgb_thumbnail,
    "exif-only-tags.jpg": exif_only_tags,
    "two-iptc-records.jpg": two_iptc_records,
    "other-app-segments.jpg": other_app_segments,
}

if __name__ == "__main__":
    folder = Path(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).parent)
    for name, make in FILES.items():
        (folder / name).write_bytes(make())
