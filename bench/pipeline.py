#!/usr/bin/env python3
"""One whole pipeline per tool, each on one thread: load a 5000 x 5000 RGB TIFF, crop 100 pixels
from every edge, resize to 90 % with linear interpolation, sharpen with a 3 x 3 mask, save an
uncompressed TIFF. Prints the median time of each tool and its peak memory as /usr/bin/time
reports it, also as a multiple of the decoded picture.

usage: pipeline.py BUILD_DIR [--size N] [--runs N]
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile

from roundtrip import make_inputs

# FxSharpen's mask: 26 at the centre, -2 around it, divided by 10.
SHARPEN = [[-2, -2, -2], [-2, 26, -2], [-2, -2, -2]]
SHARPEN_SCALE = 10
MARGIN = 100


def timed(command, env):
    """Wall seconds, CPU seconds and peak resident memory in bytes of one run of a shell line."""
    with tempfile.NamedTemporaryFile(mode="r", prefix="vxtime") as report:
        subprocess.run(["/usr/bin/time", "-o", report.name, "-f", "%e %U %S %M", "/bin/sh", "-c", command],
                       env=env, stdout=subprocess.DEVNULL, check=True)
        wall, user, system, kib = report.read().split()[-4:]
    return float(user) + float(system), float(wall), int(kib) * 1024


def crop_is_bound(host, env):
    members = subprocess.run([host, "--members"], env=env, capture_output=True, text=True).stdout
    return any(line.split("(")[0].strip() == "Crop" and "not bound" not in line for line in members.splitlines())


def vexiro_command(host, scratch, tif, out, size, crop):
    inner = size - 2 * MARGIN if crop else size
    resized = int(inner * 0.9)
    lines = [f'id = CreateImageFromFile("{tif}")', "expect GetStat() = 0"]
    if crop:
        lines += [f"Crop {MARGIN}, {MARGIN}, {inner}, {inner}", "expect GetStat() = 0"]
    lines += [f"ResizeImage {resized}, {resized}, 3", "expect GetStat() = 0",
              "FxSharpen", "expect GetStat() = 0",
              f'SaveAsTIFF "{out}.tif", 6', "expect GetStat() = 0"]
    path = os.path.join(scratch, "pipeline.vxs")
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")
    return f"{host} {path}"


def vips_command(scratch, tif, out, size, crop):
    mask = os.path.join(scratch, "sharpen.mat")
    with open(mask, "w") as f:
        f.write(f"3 3 {SHARPEN_SCALE} 0\n" + "".join(" ".join(map(str, row)) + "\n" for row in SHARPEN))
    inner = size - 2 * MARGIN if crop else size
    cropped = os.path.join(scratch, "cropped.v")
    resized = os.path.join(scratch, "resized.v")
    first = f"vips crop {tif} {cropped} {MARGIN} {MARGIN} {inner} {inner} && " if crop else f"vips copy {tif} {cropped} && "
    return (first + f"vips resize {cropped} {resized} 0.9 --kernel linear && "
            f"vips conv {resized} {out}.tif {mask} --precision integer")


def magick_command(tif, out, size, crop):
    inner = size - 2 * MARGIN if crop else size
    kernel = " ".join(",".join(f"{v / SHARPEN_SCALE:g}" for v in row) for row in SHARPEN)
    crop_step = f"-crop {inner}x{inner}+{MARGIN}+{MARGIN} +repage " if crop else ""
    return (f"convert -limit thread 1 {tif} {crop_step}-filter Triangle -resize 90% "
            f"-morphology Convolve '3x3: {kernel}' -compress none {out}.tif")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--size", type=int, default=5000)
    parser.add_argument("--runs", type=int, default=5)
    args = parser.parse_args()
    host = os.path.abspath(os.path.join(args.build, "vexiro"))
    missing = [t for t in ("vips", "convert", "/usr/bin/time") if not shutil.which(t)]
    if missing or not os.path.exists(host):
        print(f"pipeline skipped: missing {' '.join(missing) or host}")
        return 0
    env = dict(os.environ, VIPS_CONCURRENCY="1", OMP_NUM_THREADS="1",
               LD_LIBRARY_PATH=os.path.abspath(args.build),
               VEXIRO_PLUGIN_PATH=os.path.abspath(os.path.join(args.build, "plugins")))
    crop = crop_is_bound(host, env)
    tif = make_inputs(os.path.join(os.path.abspath(args.build), "roundtrip-inputs"), args.size) + ".tif"
    decoded = args.size * args.size * 3
    steps = "crop, " if crop else "(Crop not built yet: no crop step) "
    print(f"pipeline {args.size} x {args.size}: load TIFF, {steps}resize 90 % linear, sharpen 3 x 3, save TIFF; "
          f"median of {args.runs}, peak resident memory from /usr/bin/time")
    print(f"{'tool':10} {'cpu s':>7} {'wall s':>7} {'MiB':>7} {'x img':>6}")
    with tempfile.TemporaryDirectory(prefix="vxpipeline") as scratch:
        out = os.path.join(scratch, "out")
        commands = {
            "vexiro": vexiro_command(host, scratch, tif, out, args.size, crop),
            "vips": vips_command(scratch, tif, out, args.size, crop),
            "magick": magick_command(tif, out, args.size, crop),
        }
        for tool, command in commands.items():
            runs = [timed(command, env) for _ in range(args.runs)]
            cpu, wall, memory = (statistics.median(r[i] for r in runs) for i in range(3))
            print(f"{tool:10} {cpu:7.3f} {wall:7.3f} {memory / 2**20:7.1f} {memory / decoded:6.2f}")
            sys.stdout.flush()
    return 0


if __name__ == "__main__":
    sys.exit(main())
