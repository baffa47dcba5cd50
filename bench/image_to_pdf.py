#!/usr/bin/env python3
"""Image -> PDF through the script host (CreateImageFromFile + SaveAsPDF, the whole process)
beside img2pdf, on an A4 page at 300 dpi: a JPEG photo and a 1-bit CCITT G4 TIFF. Prints the
median CPU time, wall time and peak memory of each, and vexiro's ratio to img2pdf.

img2pdf copies the JPEG and G4 data into the PDF as they are; vexiro decodes every image and
encodes it again for the page (JPEG at the engine's PDF quality, G4 through its own encoder), as
its saving route does for every format. The ratio measures that difference too.

usage: image_to_pdf.py BUILD_DIR [--runs N]
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from roundtrip import medians, ratio_to  # noqa: E402

WIDTH, HEIGHT, DPI = 2480, 3508, 300


def make_inputs(folder):
    os.makedirs(folder, exist_ok=True)
    jpg, g4 = os.path.join(folder, "page.jpg"), os.path.join(folder, "page-g4.tif")
    if not os.path.exists(g4):
        seed = os.path.join(folder, "seed.tif")
        subprocess.run(["convert", "-size", "620x877", "-seed", "7", "plasma:fractal", "-resize",
                        f"{WIDTH}x{HEIGHT}!", "-attenuate", "0.4", "+noise", "Gaussian", "-depth", "8",
                        seed], check=True)
        subprocess.run(["convert", seed, "-units", "PixelsPerInch", "-density", str(DPI), "-quality", "90",
                        jpg], check=True)
        subprocess.run(["convert", seed, "-colorspace", "Gray", "-threshold", "50%", "-monochrome",
                        "-units", "PixelsPerInch", "-density", str(DPI), "-compress", "Group4", g4],
                       check=True)
        os.remove(seed)
    return {"JPEG photo": jpg, "G4 TIFF 1-bit": g4}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--runs", type=int, default=5)
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    host = os.path.join(build, "vexiro")
    missing = [t for t in ("convert", "img2pdf") if not shutil.which(t)]
    if missing or not os.path.exists(host):
        print(f"image to PDF skipped: missing {' '.join(missing) or host}")
        return 0
    inputs = make_inputs(os.path.join(build, "pdf-inputs"))
    env = dict(os.environ, LD_LIBRARY_PATH=build, VEXIRO_PLUGIN_PATH=os.path.join(build, "plugins"))
    print(f"image -> PDF, {WIDTH} x {HEIGHT} at {DPI} dpi, median of {args.runs}; img2pdf copies the "
          "coded data, vexiro decodes and encodes again")
    print(f"{'case':16} {'tool':8} {'cpu s':>7} {'wall s':>7} {'MiB':>7}   vexiro / img2pdf (cpu, memory)")
    with tempfile.TemporaryDirectory(prefix="vxbench") as scratch:
        out = os.path.join(scratch, "out.pdf")
        for name, source in inputs.items():
            script = os.path.join(scratch, "save.vxs")
            with open(script, "w") as f:
                f.write(f'id = CreateImageFromFile("{source}")\nexpect GetStat() = 0\n'
                        f'expect SaveAsPDF("{out}")\n')
            # SaveAsPDF never replaces a file: every run starts without one.
            tools = {"vexiro": f"rm -f {out} && {host} {script}", "img2pdf": f"rm -f {out} && img2pdf {source} -o {out}"}
            results = medians(tools, env, args.runs)
            for tool, (cpu, wall, memory) in results.items():
                print(f"{name:16} {tool:8} {cpu:7.3f} {wall:7.3f} {memory / 2**20:7.1f}   {ratio_to(results, tool)}")
            sys.stdout.flush()
    return 0


if __name__ == "__main__":
    sys.exit(main())
