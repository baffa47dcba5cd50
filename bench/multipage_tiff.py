#!/usr/bin/env python3
"""Multi-page TIFF writers in constant memory: 10 and 1000 pages of a bilevel A4 scan at 300 dpi
(CCITT group 4, as a document scanner writes it) through the native page-by-page writer, the merge
of a file list and a document's save, beside `tiffcp -c g4` of the same files, interleaved. Prints
the median CPU seconds and peak memory of each process tree; a writer's aim holds when its peak
for the most pages is no more than 4 MiB above its peak for the fewest, as tiffcp's is.

usage: multipage_tiff.py BUILD_DIR [--pages 10,1000] [--runs N]
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from roundtrip import measure  # noqa: E402

A4_WIDTH, A4_HEIGHT = 2480, 3508
GROWTH_AIM = 4 << 20


def make_page(folder):
    """A white A4 page with lines of text, bilevel, group 4, made once."""
    page = os.path.join(folder, "scan-page.tif")
    if os.path.exists(page):
        return page
    command = ["convert", "-size", f"{A4_WIDTH}x{A4_HEIGHT}", "xc:white", "-font", "DejaVu-Sans", "-pointsize", "40",
               "-fill", "black"]
    for i in range(30):
        command += ["-annotate", f"+240+{300 + i * 100}", f"Line {i + 1} of a scanned letter, with 4711 and 0815."]
    subprocess.run(command + ["-monochrome", "-density", "300", "-units", "PixelsPerInch", "-compress", "group4",
                              page], check=True)
    return page


def page_files(folder, page, count):
    """`count` files of the page, each under a name of its own."""
    names = []
    for i in range(count):
        name = os.path.join(folder, f"p{i:04d}.tif")
        if not os.path.exists(name):
            os.symlink(page, name)
        names.append(name)
    return names


def script(folder, name, lines):
    path = os.path.join(folder, name + ".vxs")
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")
    return path


def writers(host, scratch, files, out):
    """The vexiro commands, by writer, that write `files` as one group 4 file `out`."""
    n = len(files)
    native = [f'first = CreateImageFromFile("{files[0]}")', "expect GetStat() = 0",
              f'TiffSaveAsNativeMultiPage "{out}", CompressionCCITT4', "expect GetStat() = 0",
              f"For i = 2 To {n}", f'  p = CreateImageFromFile("{files[0]}")', "  TiffAddToNativeMultiPage p",
              "  expect GetStat() = 0", "  CloseImage p", "Next",
              "TiffCloseNativeMultiPage", "expect GetStat() = 0"]
    merge = [f'TiffMergeFileList "{",".join(files)}", "{out}", CompressionCCITT4', "expect GetStat() = 0"]
    document = [f'doc = TiffCreateMultiPageFromFile("{files[0]}")', "expect GetStat() = 0",
                f"For i = 2 To {n}", f'  TiffAppendPageFromFile doc, "{files[0]}"', "  expect GetStat() = 0", "Next",
                f'TiffSaveMultiPageToFile doc, "{out}", CompressionCCITT4', "expect GetStat() = 0"]
    return {name: f"{host} {script(scratch, name.replace(' ', '-') + f'-{n}', lines)}"
            for name, lines in (("native writer", native), ("merge", merge), ("document save", document))}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--pages", default="10,1000")
    parser.add_argument("--runs", type=int, default=2)
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    host = os.path.join(build, "vexiro")
    missing = [t for t in ("convert", "tiffcp") if not shutil.which(t)] + ([host] if not os.path.exists(host) else [])
    if missing:
        print(f"multi-page TIFF writers skipped: missing {' '.join(missing)}")
        return 0
    env = dict(os.environ, LD_LIBRARY_PATH=build, VEXIRO_PLUGIN_PATH=os.path.join(build, "plugins"))
    counts = [int(c) for c in args.pages.split(",")]
    inputs = os.path.join(build, "bench-inputs")
    os.makedirs(inputs, exist_ok=True)
    page = make_page(inputs)
    print(f"multi-page TIFF writers, bilevel A4 pages at 300 dpi (group 4), median of {args.runs} interleaved rounds; "
          f"memory is the peak of the process tree")
    print(f"{'writer':16} {'pages':>6} {'cpu s':>7} {'MiB':>7}   {'tiffcp s':>8} {'tiffcp MiB':>10}")
    peaks = {}
    with tempfile.TemporaryDirectory(prefix="vxmultipage") as scratch:
        for n in counts:
            files = page_files(scratch, page, n)
            out = os.path.join(scratch, "out.tif")
            tools = writers(host, scratch, files, out)
            tools["tiffcp"] = "tiffcp -c g4 " + " ".join(files) + " " + out
            samples = {tool: [] for tool in tools}
            for _ in range(args.runs):
                for tool, command in tools.items():
                    samples[tool].append(measure(command, env))
            median = {tool: (statistics.median(s[0] for s in runs), statistics.median(s[2] for s in runs))
                      for tool, runs in samples.items()}
            cp_cpu, cp_peak = median.pop("tiffcp")
            for tool, (cpu, peak) in median.items():
                peaks.setdefault(tool, []).append(peak)
                print(f"{tool:16} {n:6d} {cpu:7.2f} {peak / 2**20:7.1f}   {cp_cpu:8.2f} {cp_peak / 2**20:10.1f}")
            peaks.setdefault("tiffcp", []).append(cp_peak)
            sys.stdout.flush()
    for tool, seen in peaks.items():
        growth = seen[-1] - seen[0]
        print(f"{tool:16} peak for {counts[-1]} pages less peak for {counts[0]}: {growth / 2**20:+6.1f} MiB  "
              f"aim <= {GROWTH_AIM >> 20} MiB {'holds' if growth <= GROWTH_AIM else 'MISSED'}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
