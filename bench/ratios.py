#!/usr/bin/env python3
"""vexiro beside its nearest peer on the everyday jobs, in one run: libvips in one process (the
vips_peer program, one thread) for the picture jobs, dmtxread and a small ZXing-C++ program
(zxing_peer) for DataMatrix symbols, zbarimg for linear ones and the tesseract command for OCR. Every pair runs interleaved, A B A B, for `--runs`
rounds; a row's ratio is the median of its rounds' ratios of CPU seconds over the whole process
tree (children included); memory is the tree's peak, shared memory included. The table ends with
the aim of each row and whether it holds, and the load average before and after, which says how
quiet the machine was. Rows "after 3 s idle" rest before every run, as a one-shot command finds
the machine: a virtual machine may have handed its free memory back to its host by then.

usage: ratios.py BUILD_DIR [--size N] [--runs N] [--only TEXT]
"""
import argparse
import os
import shutil
import statistics
import struct
import subprocess
import sys
import tempfile
import time
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from roundtrip import make_inputs, measure  # noqa: E402

MARGIN = 100
IDLE_SECONDS = 3
A4_WIDTH, A4_HEIGHT = 2480, 3508  # pixels at 300 dpi
REPOSITORY = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
NO_SYMBOL_PHOTO = os.path.join(REPOSITORY, "tests", "data", "datamatrix", "no-symbol-photo-480.png")
HUNDRED_SYMBOLS = os.path.join(REPOSITORY, "tests", "data", "datamatrix", "hundred-equal-symbols.png")
LARGE_SIDE = 12000


class Row:
    """One job: vexiro's command, the peer's, and the aim. `judge` picks the figure the aim is on:
    "cpu" (vexiro's CPU over the peer's), "memory" (vexiro's peak over the decoded picture) or
    "speedup" (the peer's CPU over vexiro's)."""

    def __init__(self, name, vexiro, peer, peer_name, judge, aim, decoded=0, idle=0, counted=False, loading=None):
        self.name, self.vexiro, self.peer, self.peer_name = name, vexiro, peer, peer_name
        # A script that only loads the row's picture: the member's own CPU is the row's less the
        # load's, measured in the same rounds.
        self.loading = loading
        self.loads = []
        self.judge, self.aim, self.decoded, self.idle = judge, aim, decoded, idle
        # Counted rows also say how many symbols each found: vexiro's script prints its count last,
        # the peer prints one value a line.
        self.counted = counted
        self.samples = []  # (vexiro cpu, vexiro peak, peer cpu, peer peak) a round

    def figure(self):
        if self.judge == "memory":
            return statistics.median(s[1] for s in self.samples) / self.decoded
        ratios = [s[0] / max(s[2], 1e-3) for s in self.samples]
        ratio = statistics.median(ratios)
        return 1 / ratio if self.judge == "speedup" else ratio

    def holds(self):
        figure = self.figure()
        return figure >= self.aim if self.judge == "speedup" else figure <= self.aim

    def aim_text(self):
        return {"cpu": f"<= {self.aim:g}", "memory": f"<= {self.aim:g} x picture",
                "speedup": f">= {self.aim:g} x faster"}[self.judge]


def script(folder, name, lines):
    path = os.path.join(folder, name + ".vxs")
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")
    return path


def checked(*lines):
    out = []
    for line in lines:
        out += [line, "expect GetStat() = 0"]
    return out


def compose_page(page, symbols):
    """A white A4 page at 300 dpi with each (symbol file, x, y) drawn on it."""
    command = ["convert", "-size", f"{A4_WIDTH}x{A4_HEIGHT}", "xc:white"]
    for symbol, x, y in symbols:
        command += [symbol, "-geometry", f"+{x}+{y}", "-composite"]
    subprocess.run(command + ["-density", "300", "-units", "PixelsPerInch", "-type", "truecolor", page], check=True)
    return page


def make_matrix_page(folder):
    """Four DataMatrix symbols on an A4 page."""
    page = os.path.join(folder, "matrix.png")
    if os.path.exists(page):
        return page
    symbols = []
    for i in range(4):
        symbol = os.path.join(folder, f"m{i}.png")
        subprocess.run(f"printf 'Symbol %d' {i} | dmtxwrite -m 8 -o '{symbol}'", shell=True, check=True)
        symbols.append((symbol, 300 + (i % 2) * 1000, 400 + (i // 2) * 1500))
    return compose_page(page, symbols)


def make_mixed_matrix_page(folder):
    """Five DataMatrix symbols of every kind (square, rectangular, rectangular extension, mirrored,
    turned) with linear symbols and text on an A4 page; dmtxread reads three of them."""
    page = os.path.join(folder, "mixed-matrix.png")
    if os.path.exists(page):
        return page
    path = lambda name: os.path.join(folder, name)
    run = lambda command: subprocess.run(command, shell=True, check=True, stdout=subprocess.DEVNULL)
    run(f"printf 'Square by dmtxwrite' | dmtxwrite -m 6 -o '{path('x0.png')}'")
    run(f"zint -b 71 --vers=28 --scale=6 -d 'Rectangle 12x36' -o '{path('x1.png')}'")
    run(f"zint -b 71 --dmre --vers=44 --scale=6 -d 'Extension 24x48' -o '{path('x2.png')}'")
    run(f"zint -b 71 --vers=6 --scale=6 -d 'Mirrored' -o '{path('x3.png')}' && convert '{path('x3.png')}' -flop "
        f"'{path('x3.png')}'")
    run(f"zint -b 71 --vers=8 --scale=6 -d 'Turned thirty degrees' -o '{path('x4.png')}' && convert "
        f"'{path('x4.png')}' -background white -rotate 30 '{path('x4.png')}'")
    run(f"zint -b 20 --scale=4 -d 'Code-128 beside' -o '{path('x5.png')}'")
    run(f"zint -b 13 --scale=4 -d 123456789012 -o '{path('x6.png')}'")
    places = [(300, 300), (1300, 300), (300, 1200), (1500, 1200), (300, 2200), (1300, 2300), (1300, 2800)]
    command = ["convert", "-size", f"{A4_WIDTH}x{A4_HEIGHT}", "xc:white"]
    for i, (x, y) in enumerate(places):
        command += [path(f"x{i}.png"), "-geometry", f"+{x}+{y}", "-composite"]
    command += ["-font", "DejaVu-Sans", "-pointsize", "40", "-fill", "black",
                "-annotate", "+300+3100", "Words and numbers 4711 0815 on a page with symbols",
                "-annotate", "+300+3250", "A second line of text below the first"]
    subprocess.run(command + ["-density", "300", "-units", "PixelsPerInch", "-type", "truecolor", page], check=True)
    return page


def make_linear_page(folder):
    """Seven linear symbols of different symbologies on an A4 page."""
    page = os.path.join(folder, "linear.png")
    if os.path.exists(page):
        return page
    kinds = [("20", "Code-128 page"), ("8", "CODE39"), ("25", "CODE93"), ("13", "123456789012"),
             ("13", "1234567"), ("3", "12345678"), ("34", "12345678901")]
    symbols = []
    for i, (kind, data) in enumerate(kinds):
        symbol = os.path.join(folder, f"l{i}.png")
        subprocess.run(["zint", "--scale=3", "-b", kind, "-d", data, "-o", symbol], check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        symbols.append((symbol, 300, 200 + i * 460))
    return compose_page(page, symbols)


def make_text_page(folder):
    """Forty lines of text on a white A4 page at 300 dpi."""
    page = os.path.join(folder, "text.png")
    if not os.path.exists(page):
        command = ["convert", "-size", f"{A4_WIDTH}x{A4_HEIGHT}", "xc:white", "-font", "DejaVu-Sans",
                   "-density", "300", "-pointsize", "11", "-fill", "black"]
        for i in range(40):
            command += ["-annotate", f"+240+{300 + i * 72}",
                        f"Line {i + 1} of the benchmark page, with words and numbers 4711 and 0815."]
        subprocess.run(command + ["-units", "PixelsPerInch", "-density", "300", "-type", "truecolor", page], check=True)
    return page


def make_letter_page(folder):
    """Forty lines of 40-pixel text on an A4 page saved without a resolution, so that it reports
    96 dpi; and the lines the tesseract command reads from it, left to estimate the resolution."""
    page = os.path.join(folder, "letter.png")
    if not os.path.exists(page):
        command = ["convert", "-size", f"{A4_WIDTH}x{A4_HEIGHT}", "xc:white", "-font", "DejaVu-Sans",
                   "-pointsize", "40", "-fill", "black"]
        for i in range(40):
            command += ["-annotate", f"+150+{150 + i * 80}",
                        f"Line {i} of the letter, with words in it for the skew test."]
        subprocess.run(command + ["-define", "png:exclude-chunk=pHYs", "-type", "truecolor", page], check=True)
    text = subprocess.run(["tesseract", page, "-", "--psm", "3"], check=True, capture_output=True, text=True,
                          env=dict(os.environ, OMP_THREAD_LIMIT="1")).stdout
    return page, [line for line in text.splitlines() if line.strip()]


def make_speckled_text_page(folder):
    """Six DataMatrix symbols between blocks of text lines on an A4 page at 300 dpi, 0.1 % of its
    pixels turned black like dust on a scanner's glass."""
    page = os.path.join(folder, "speckled-text.png")
    if os.path.exists(page):
        return page
    command = ["convert", "-size", f"{A4_WIDTH}x{A4_HEIGHT}", "xc:white"]
    for i in range(6):
        symbol = os.path.join(folder, f"sp{i}.png")
        subprocess.run(["zint", "-b", "71", f"--scale={2 + i % 2}", "-d", f"Page symbol {i}", "-o", symbol], check=True,
                       stdout=subprocess.DEVNULL)
        command += [symbol, "-geometry", f"+{300 + i % 2 * 1200}+{400 + i // 2 * 1100}", "-composite"]
    command += ["-font", "DejaVu-Sans", "-pointsize", "30", "-fill", "black"]
    for block in range(3):
        for line in range(10):
            command += ["-annotate", f"+250+{700 + block * 1100 + line * 60}",
                        f"Line {line} of the letter, with words and numbers 4711 and 0815 in it."]
    command += ["(", "-size", f"{A4_WIDTH}x{A4_HEIGHT}", "xc:gray50", "-seed", "1", "+noise", "Random", "-channel", "G",
                "-separate", "+channel", "-threshold", "99.9%", "-negate", ")", "-compose", "multiply", "-composite"]
    subprocess.run(command + ["-density", "300", "-units", "PixelsPerInch", "-type", "truecolor", page], check=True)
    return page


def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)


def make_large_page(folder):
    """One DataMatrix symbol in the middle of a white 12000 x 12000 grey picture. ImageMagick's
    policy here stops at 128 megapixels, so zint draws the symbol, ImageMagick hands it over as
    PGM and the PNG is written row by row with zlib."""
    page = os.path.join(folder, f"large-{LARGE_SIDE}.png")
    if os.path.exists(page):
        return page
    symbol = os.path.join(folder, "large-symbol.png")
    subprocess.run(["zint", "-b", "71", "--scale=5", "-d", "Alone on a large page", "-o", symbol], check=True,
                   stdout=subprocess.DEVNULL)
    pgm = subprocess.run(["convert", symbol, "-colorspace", "gray", "-depth", "8", "pgm:-"], check=True,
                         stdout=subprocess.PIPE).stdout
    magic, width, height, _, pixels = pgm.split(maxsplit=4)
    width, height = int(width), int(height)
    at = LARGE_SIDE // 2
    white = b"\xff" * LARGE_SIDE
    packer = zlib.compressobj(6)
    rows = []
    for y in range(LARGE_SIDE):
        row = white
        if at <= y < at + height:
            row = white[:at] + pixels[(y - at) * width:(y - at + 1) * width] + white[at + width:]
        rows.append(packer.compress(b"\0" + row))
    rows.append(packer.flush())
    with open(page, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", struct.pack(">IIBBBBB", LARGE_SIDE, LARGE_SIDE, 8, 0, 0, 0, 0)))
        f.write(png_chunk(b"IDAT", b"".join(rows)) + png_chunk(b"IEND", b""))
    return page


def counted_matrix_rows(vx, zxing_peer, inputs):
    """The pages the reader once fell short on, each beside dmtxread and ZXing-C++ with what each
    found: a hundred equal symbols, a 12000 x 12000 white picture with one symbol, and a text page
    with dust specks. dmtxread is told the least edge the reader looks for (about 2.5 mm) and reads
    every symbol it can (no -N), which on the speckled page takes it seconds."""
    # (name, page, dmtxread's least edge or None, its aim as a speedup over dmtxread): dmtxread
    # reads through ImageMagick, whose policy here refuses pictures over 128 megapixels.
    # (name, page, dmtxread's least edge or None, its aim, whether the member's own CPU is shown)
    pages = [("DataMatrix, 100 equal symbols", HUNDRED_SYMBOLS, "-e 10", 0.5, False),
             (f"DataMatrix, {LARGE_SIDE}^2 white, 1 symbol", make_large_page(inputs), None, 0, True),
             ("DataMatrix, text page with 0.1 % specks", make_speckled_text_page(inputs), "-e 30", 5, False)]
    found = []
    for i, (name, page, edge, aim, alone) in enumerate(pages):
        load = f'id = CreateImageFromFile("{page}")'
        mine = vx(f"counted-{i}", load, "expect BarcodeDataMatrixReaderDoScan(0) = 0",
                  "print BarcodeDataMatrixReaderGetBarcodeCount()")
        loading = vx(f"counted-{i}-load", load) if alone else None
        if edge:
            found.append(Row(name, mine, f"dmtxread -n {edge} {page} || true", "dmtxread", "speedup", aim, counted=True))
        found.append(Row(name, mine, f"{zxing_peer} {page}", "zxing", "cpu", 15, counted=True, loading=loading))
    return found


def found_counts(row, env):
    """What vexiro and the peer found on a counted row's page, from one run of each."""
    run = lambda command: subprocess.run(command, shell=True, env=env, stdout=subprocess.PIPE, text=True,
                                         errors="replace").stdout.splitlines()
    mine = run(row.vexiro)
    return int(mine[-1]) if mine else 0, len([line for line in run(row.peer) if line])


def matrix_rows(vx, zxing_peer, inputs):
    """The DataMatrix reader on a page of mixed symbols and on a photo without one, beside dmtxread
    (told how many symbols it can read, so that it stops once it has them) and ZXing-C++ on the
    whole picture. The reader does ZXing's work on more views of the picture (ZXing alone reads
    none of the page's five symbols) and then gives libdmtx up to 100 ms a scan: on a photo
    without a symbol, where ZXing gives up within milliseconds, that share is most of the figure,
    twice in BestQuality, which scans a small picture again enlarged."""
    found = []
    if not (shutil.which("dmtxread") and shutil.which("dmtxwrite") and shutil.which("zint")):
        return found
    page = make_mixed_matrix_page(inputs)
    mixed = vx("mixed-matrix", f'id = CreateImageFromFile("{page}")', "expect BarcodeDataMatrixReaderDoScan(0) = 0",
               "expect BarcodeDataMatrixReaderGetBarcodeCount() = 5")
    found.append(Row("DataMatrix, A4 page of mixed symbols", mixed, f"dmtxread -n -e 30 -N 3 {page}", "dmtxread",
                     "speedup", 10))
    found.append(Row("DataMatrix, A4 page of mixed symbols", mixed, f"{zxing_peer} {page}", "zxing", "cpu", 15))
    for mode, name in ((0, "BestSpeed"), (1, "BestQuality")):
        photo = vx(f"photo-{mode}", f'id = CreateImageFromFile("{NO_SYMBOL_PHOTO}")',
                   f"expect BarcodeDataMatrixReaderDoScan({mode}) = 0",
                   "expect BarcodeDataMatrixReaderGetBarcodeCount() = 0")
        # dmtxread fails when it reads nothing, which is the answer here.
        found.append(Row(f"DataMatrix, photo without a symbol, {name}", photo,
                         f"dmtxread -n {NO_SYMBOL_PHOTO} || true", "dmtxread", "speedup", 10))
        found.append(Row(f"DataMatrix, photo without a symbol, {name}", photo, f"{zxing_peer} {NO_SYMBOL_PHOTO}",
                         "zxing", "cpu", 100))
    return found


def rows(host, peer, inputs, scratch, size, big_size):
    base = make_inputs(inputs, size)
    jpg, tif = base + ".jpg", base + ".tif"
    big = make_inputs(inputs, big_size) + ".jpg" if big_size else None
    out = os.path.join(scratch, "out")
    decoded = size * size * 3
    inner = size - 2 * MARGIN
    resized = int(inner * 0.9)
    half = size // 2
    vx = lambda name, *lines: f"{host} {script(scratch, name, list(lines))}"
    found = []
    found.append(Row("JPEG -> JPEG, quality 75",
                     vx("jpeg", *checked(f'id = CreateImageFromFile("{jpg}")', f'SaveAsJPEG "{out}.jpg", 75')),
                     f"{peer} jpeg {jpg} {out}.jpg 75", "vips", "cpu", 1.0))
    found.append(Row("load a JPEG", vx("load", *checked(f'id = CreateImageFromFile("{jpg}")')),
                     f"{peer} load {jpg}", "vips", "cpu", 0.8))
    found.append(Row("TIFF -> TIFF, uncompressed",
                     vx("tiff", *checked(f'id = CreateImageFromFile("{tif}")', f'SaveAsTIFF "{out}.tif", 6')),
                     f"{peer} tiff {tif} {out}.tif", "vips", "cpu", 1.2))
    found.append(Row("crop, 90 % bilinear, sharpen, JPEG",
                     vx("pipeline", *checked(f'id = CreateImageFromFile("{jpg}")',
                                             f"Crop {MARGIN}, {MARGIN}, {inner}, {inner}",
                                             f"ResizeImage {resized}, {resized}, 3", "FxSharpen",
                                             f'SaveAsJPEG "{out}.jpg", 75')),
                     f"{peer} pipeline {jpg} {out}.jpg {MARGIN}", "vips", "cpu", 1.0))
    found.append(Row("50 % bicubic resize (TIFF)",
                     vx("half", *checked(f'id = CreateImageFromFile("{tif}")', f"ResizeImage {half}, {half}, 4",
                                         f'SaveAsTIFF "{out}.tif", 6')),
                     f"{peer} half {tif} {out}.tif", "vips", "cpu", 1.0))
    found.append(Row("3 x 3 blur (TIFF)",
                     vx("blur", *checked(f'id = CreateImageFromFile("{tif}")', "FxBlur", f'SaveAsTIFF "{out}.tif", 6')),
                     f"{peer} blur {tif} {out}.tif", "vips", "cpu", 1.5))
    # The same two jobs as a one-shot command meets them: after the machine has rested, when a
    # virtual machine may have handed its free memory back to the host, and memory is cold.
    for row in found[:2]:
        found.append(Row(f"{row.name}, after {IDLE_SECONDS} s idle", row.vexiro, row.peer, row.peer_name, row.judge,
                         row.aim, idle=IDLE_SECONDS))
    found.append(Row("peak memory, JPEG round trip", found[0].vexiro, found[0].peer, "vips", "memory", 1.2, decoded))
    if big:
        big_trip = vx("big", *checked(f'id = CreateImageFromFile("{big}")', f'SaveAsJPEG "{out}.jpg", 75'))
        big_peer = f"{peer} jpeg {big} {out}.jpg 75"
        found.append(Row(f"{big_size} x {big_size} JPEG round trip", big_trip, big_peer, "vips", "cpu", 1.0))
        found.append(Row(f"{big_size} x {big_size} JPEG round trip, memory", big_trip, big_peer, "vips", "memory", 1.2,
                         big_size * big_size * 3))
    if shutil.which("dmtxread") and shutil.which("dmtxwrite"):
        page = make_matrix_page(inputs)
        found.append(Row("DataMatrix, A4 page at 300 dpi",
                         vx("matrix", f'id = CreateImageFromFile("{page}")', "expect BarcodeDataMatrixReaderDoScan(0) = 0",
                            "expect BarcodeDataMatrixReaderGetBarcodeCount() = 4"),
                         f"dmtxread -n -e 30 {page}", "dmtxread", "speedup", 10))
    found += matrix_rows(vx, os.path.join(os.path.dirname(peer), "zxing_peer"), inputs)
    if shutil.which("dmtxread") and shutil.which("zint"):
        found += counted_matrix_rows(vx, os.path.join(os.path.dirname(peer), "zxing_peer"), inputs)
    if shutil.which("zbarimg") and shutil.which("zint"):
        page = make_linear_page(inputs)
        found.append(Row("1D symbols, A4 page at 300 dpi",
                         vx("linear", f'id = CreateImageFromFile("{page}")', "expect Barcode1DReaderDoScan(0) = 0",
                            "expect Barcode1DReaderGetBarcodeCount() = 7"),
                         f"zbarimg -q --nodbus {page}", "zbarimg", "cpu", 1.0))
    if shutil.which("tesseract"):
        page = make_text_page(inputs)
        found.append(Row("OCR, A4 page at 300 dpi",
                         vx("ocr", f'id = CreateImageFromFile("{page}")', 't = OCRTesseractDoOCR(2, "")',
                            "expect OCRTesseractGetCharCount() > 1000"),
                         f"tesseract {page} - --psm 3", "tesseract", "cpu", 1.1))
        # Every line the command reads must be in vexiro's text, which is the command's own.
        letter, lines = make_letter_page(inputs)
        found.append(Row("OCR, A4 page without a resolution",
                         vx("letter", f'id = CreateImageFromFile("{letter}")', 't = OCRTesseractDoOCR(2, "")',
                            *[f'expect InStr(t, "{line}") > 0' for line in lines],
                            f"expect {len(lines)} = 40"),
                         f"tesseract {letter} - --psm 3", "tesseract", "cpu", 1.1))
    return found


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--size", type=int, default=5000)
    parser.add_argument("--big", type=int, default=10000, help="side of the large round trip (0: none)")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--only", default="", help="run only rows whose name contains this text")
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    host, peer = os.path.join(build, "vexiro"), os.path.join(build, "bench", "vips_peer")
    missing = [t for t in ("convert",) if not shutil.which(t)] + [p for p in (host, peer) if not os.path.exists(p)]
    if missing:
        print(f"ratios skipped: missing {' '.join(missing)}")
        return 0
    env = dict(os.environ, VIPS_CONCURRENCY="1", OMP_THREAD_LIMIT="1", OMP_NUM_THREADS="1",
               LD_LIBRARY_PATH=build, VEXIRO_PLUGIN_PATH=os.path.join(build, "plugins"))
    load_before = os.getloadavg()
    with tempfile.TemporaryDirectory(prefix="vxratios") as scratch:
        table = [r for r in rows(host, peer, os.path.join(build, "bench-inputs"), scratch, args.size, args.big)
                 if args.only in r.name]
        print(f"vexiro / peer, {args.size} x {args.size} photo-like picture (JPEG 4:2:0), {args.runs} interleaved "
              f"rounds, CPU of the whole process tree, one thread each; load average before: "
              f"{load_before[0]:.2f} (1 min), {load_before[1]:.2f} (5 min) on {os.cpu_count()} processors")
        print(f"{'work':44} {'peer':9} {'vexiro s':>8} {'peer s':>8} {'vexiro MiB':>10} {'peer MiB':>8}  "
              f"{'figure':>7}  aim")
        for row in table:
            for _ in range(args.runs):
                time.sleep(row.idle)
                mine = measure(row.vexiro, env)
                time.sleep(row.idle)
                theirs = measure(row.peer, env)
                row.samples.append((mine[0], mine[2], theirs[0], theirs[2]))
                if row.loading:
                    row.loads.append(mine[0] - measure(row.loading, env)[0])
            median = lambda i: statistics.median(s[i] for s in row.samples)
            counts = ""
            if row.counted:
                mine_found, theirs_found = found_counts(row, env)
                counts = f"  found: vexiro {mine_found}, {row.peer_name} {theirs_found}"
            if row.loads:
                counts += f"; the member alone {statistics.median(row.loads):.2f} s CPU"
            print(f"{row.name:44} {row.peer_name:9} {median(0):8.2f} {median(2):8.2f} {median(1) / 2**20:10.0f} "
                  f"{median(3) / 2**20:8.0f}  {row.figure():7.2f}  {row.aim_text()} "
                  f"{'holds' if row.holds() else 'MISSED'}{counts}")
            sys.stdout.flush()
    load_after = os.getloadavg()
    print(f"load average after: {load_after[0]:.2f} (1 min); a figure is trustworthy when both loads stay well "
          f"under {os.cpu_count()}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
