#!/usr/bin/env python3
"""Whole-process round trips on 5000 x 5000 pictures: the script host beside the nearest outside
tools, each on one thread, on the same inputs in the same run. Prints the median time and the
peak memory of each process tree, and vexiro's ratio to each peer.

usage: roundtrip.py BUILD_DIR [--size N] [--runs N]
"""
import argparse
import ctypes
import os
import shlex
import resource
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

POLL_SECONDS = 0.005


def descendants(pid):
    found, todo = [], [pid]
    while todo:
        p = todo.pop()
        found.append(p)
        try:
            for task in os.listdir(f"/proc/{p}/task"):
                with open(f"/proc/{p}/task/{task}/children") as f:
                    todo.extend(int(c) for c in f.read().split())
        except OSError:
            pass
    return found


def pss_bytes(pid):
    # Proportional set size: pages a parent shares with its child (or a mapping both hold)
    # are counted once across the tree.
    try:
        with open(f"/proc/{pid}/smaps_rollup") as f:
            for line in f:
                if line.startswith("Pss:"):
                    return int(line.split()[1]) * 1024
    except OSError:
        pass
    return 0


def mapped_inodes(pid):
    try:
        with open(f"/proc/{pid}/maps") as f:
            return {int(fields[4]) for fields in (line.split() for line in f) if len(fields) > 5}
    except OSError:
        return set()


def unmapped_shared_memory(pids):
    """Bytes of shared-memory objects (memfd, /dev/shm) the tree holds open but has not mapped at
    the moment, which no set size counts: a decoded picture on its way from child to host."""
    mapped = set().union(*(mapped_inodes(p) for p in pids))
    held = {}
    for p in pids:
        try:
            fds = os.listdir(f"/proc/{p}/fd")
        except OSError:
            continue
        for fd in fds:
            try:
                target = os.readlink(f"/proc/{p}/fd/{fd}")
                if target.startswith("/memfd:") or target.startswith("/dev/shm/"):
                    st = os.stat(f"/proc/{p}/fd/{fd}")
                    if st.st_ino not in mapped:
                        held[st.st_ino] = st.st_size
            except OSError:
                pass
    return sum(held.values())


PR_SET_CHILD_SUBREAPER = 36
_adopting = False


def adopt_orphans():
    """vexiro's decoding helpers leave the tree of the process that starts them, so that no wait
    of a host ever meets them; made a subreaper, this process adopts them, and their CPU time and
    memory count with the command's."""
    global _adopting
    if not _adopting:
        libc = ctypes.CDLL(None, use_errno=True)
        if libc.prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0) != 0:
            sys.exit("bench: cannot adopt the decoding helpers, whose CPU would go uncounted")
        _adopting = True


def measured_tree_memory():
    """The memory of everything this process started, adopted helpers included."""
    pids = [p for p in descendants(os.getpid()) if p != os.getpid()]
    return sum(pss_bytes(p) for p in pids) + unmapped_shared_memory(pids)


def reap_adopted(patience=10.0):
    """Waits for the helpers a finished command left (they end when their host has gone), so that
    their CPU time reaches this process's children's."""
    give_up = time.monotonic() + patience
    while True:
        try:
            pid, _ = os.waitpid(-1, os.WNOHANG)
        except ChildProcessError:
            return
        if pid == 0:
            if time.monotonic() > give_up:
                return
            time.sleep(POLL_SECONDS)


def cpu_seconds_of_children():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def argv_of(command):
    """A simple command runs as it stands, so that no shell counts in its tree; pipes, lists and
    redirections need one."""
    if any(c in command for c in "|&;<>$`*?"):
        return ["/bin/sh", "-c", command]
    return shlex.split(command)


def measure(command, env):
    """CPU time (user and system, every process of the tree; the tools each run on one thread, and
    CPU time stays steady on a busy machine where wall time does not), wall time and peak memory
    of the process tree started by `command` (a shell line), shared memory included."""
    adopt_orphans()
    reap_adopted()
    start = time.perf_counter()
    cpu_before = cpu_seconds_of_children()
    proc = subprocess.Popen(argv_of(command), env=env, stdout=subprocess.DEVNULL)
    peak = 0
    while proc.poll() is None:
        peak = max(peak, measured_tree_memory())
        time.sleep(POLL_SECONDS)
    elapsed = time.perf_counter() - start
    reap_adopted()
    if proc.returncode != 0:
        raise RuntimeError(f"failed ({proc.returncode}): {command}")
    return cpu_seconds_of_children() - cpu_before, elapsed, peak


def medians(tools, env, runs):
    """Each tool's median CPU time, wall time and peak memory over `runs` rounds; a round runs every
    tool once, in turn, so that a machine growing busier or quieter weighs on all of them alike."""
    samples = {tool: [] for tool in tools}
    for _ in range(runs):
        for tool, command in tools.items():
            samples[tool].append(measure(command, env))
    return {tool: tuple(statistics.median(s[i] for s in runs_of) for i in range(3))
            for tool, runs_of in samples.items()}


def ratio_to(results, tool):
    """vexiro's CPU time and memory as multiples of `tool`'s; empty for vexiro itself."""
    if tool == "vexiro":
        return ""
    own_cpu, _, own_memory = results["vexiro"]
    cpu, _, memory = results[tool]
    return f"{own_cpu / max(cpu, 1e-3):5.2f}  {own_memory / max(memory, 1):6.2f}"


def make_inputs(folder, size):
    """A smooth, photo-like picture with mild noise, in each input format, made once per size. The
    JPEG has its colour planes at half resolution (4:2:0), as cameras and most tools write them."""
    os.makedirs(folder, exist_ok=True)
    base = os.path.join(folder, f"photo{size}-420")
    if os.path.exists(base + ".tif") and os.path.exists(base + ".jpg"):
        return base
    seed = size // 4
    if size > LARGEST_FOR_IMAGEMAGICK:
        make_large_input(folder, base, seed, size)
        return base
    subprocess.run(["convert", "-size", f"{seed}x{seed}", "-seed", "7", "plasma:fractal",
                    "-resize", f"{size}x{size}!", "-attenuate", "0.4", "+noise", "Gaussian",
                    "-depth", "8", "-compress", "none", base + ".tif"], check=True)
    subprocess.run(["convert", base + ".tif", "-sampling-factor", "4:2:0", "-quality", "90", base + ".jpg"],
                   check=True)
    subprocess.run(["convert", base + ".tif", "-depth", "8", base + ".png"], check=True)
    subprocess.run(["convert", base + ".tif", base + ".bmp"], check=True)
    return base


# Debian's ImageMagick policy caps its pixel cache at 1 GiB of disk, which the noise step of a
# larger picture outgrows; libvips streams such a picture instead (TIFF and JPEG only).
LARGEST_FOR_IMAGEMAGICK = 8000


def make_large_input(folder, base, seed, size):
    """The inputs' folder lies in the build tree, beside the benchmarks' programs."""
    peer = os.path.join(os.path.dirname(os.path.abspath(folder)), "bench", "vips_peer")
    seed_file = base + "-seed.png"
    subprocess.run(["convert", "-size", f"{seed}x{seed}", "-seed", "7", "plasma:fractal", seed_file], check=True)
    try:
        subprocess.run([peer, "noisy", seed_file, base + ".tif", str(size)], check=True)
        subprocess.run(["vips", "jpegsave", base + ".tif", base + ".jpg", "--Q", "90", "--subsample-mode", "on"],
                       check=True)
    except BaseException:
        # A half-written input would pass for a finished one on the next run.
        for made in (base + ".tif", base + ".jpg"):
            if os.path.exists(made):
                os.remove(made)
        raise
    finally:
        os.remove(seed_file)


def vexiro_script(host, folder, load, save=None):
    """A script for the host in `folder`: load, optionally save, each checked."""
    lines = [f'id = CreateImageFromFile("{load}")', "expect GetStat() = 0"]
    if save:
        lines += [save, "expect GetStat() = 0"]
    path = os.path.join(folder, f"script{len(os.listdir(folder))}.vxs")
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")
    return f"{host} {path}"


def cases(base, out, host):
    jpg, png, tif, bmp = (base + e for e in (".jpg", ".png", ".tif", ".bmp"))
    im = "convert -limit thread 1"
    vx = lambda load, save=None: vexiro_script(host, os.path.dirname(out), load, save)
    return [
        ("JPEG -> JPEG q75", {
            "vexiro": vx(jpg, f'SaveAsJPEG "{out}.jpg", 75'),
            "vips": f"vips copy {jpg} {out}.jpg[Q=75]",
            "magick": f"{im} {jpg} -quality 75 {out}.jpg",
            "djpeg|cjpeg": f"djpeg -dct fast -nosmooth {jpg} | cjpeg -quality 75 > {out}.jpg"}),
        ("PNG -> PNG", {
            "vexiro": vx(png, f'SaveAsPNG "{out}.png"'),
            "vips": f"vips copy {png} {out}.png",
            "magick": f"{im} {png} {out}.png"}),
        ("TIFF -> TIFF none", {
            "vexiro": vx(tif, f'SaveAsTIFF "{out}.tif", 6'),
            "vips": f"vips copy {tif} {out}.tif",
            "magick": f"{im} {tif} -compress none {out}.tif"}),
        ("TIFF -> JPEG q75", {
            "vexiro": vx(tif, f'SaveAsJPEG "{out}.jpg", 75'),
            "vips": f"vips copy {tif} {out}.jpg[Q=75]",
            "magick": f"{im} {tif} -quality 75 {out}.jpg"}),
        ("JPEG load", {
            "vexiro": vx(jpg),
            "vips": f"vips avg {jpg} >/dev/null",
            "magick": f"{im} {jpg} null:",
            "djpeg|cjpeg": f"djpeg -dct fast -nosmooth {jpg} >/dev/null"}),
        ("TIFF load", {
            "vexiro": vx(tif),
            "vips": f"vips avg {tif} >/dev/null",
            "magick": f"{im} {tif} null:"}),
        ("BMP -> BMP", {
            "vexiro": vx(bmp, f'SaveAsBMP "{out}.bmp"'),
            "magick": f"{im} {bmp} {out}.bmp"}),
        ("JPEG -> GIF cube", {
            "vexiro": vx(jpg, f'SaveAsGIF "{out}.gif"'),
            "magick": f"{im} {jpg} +dither -posterize 6 {out}.gif"}),
        # The peers' adaptive quantisers take ten times as long and pick other palettes: the
        # octree is measured against its own earlier runs.
        ("JPEG -> GIF octree", {
            "vexiro": vx(jpg, f'SaveAsGIFi "{out}.gif"')}),
    ]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--size", type=int, default=5000)
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--only", default="", help="run only cases whose name contains this text")
    args = parser.parse_args()
    host = os.path.abspath(os.path.join(args.build, "vexiro"))
    missing = [t for t in ("vips", "convert", "djpeg", "cjpeg") if not shutil.which(t)]
    if missing or not os.path.exists(host):
        print(f"round trips skipped: missing {' '.join(missing) or host}")
        return 0
    base = make_inputs(os.path.join(os.path.abspath(args.build), "roundtrip-inputs"), args.size)
    env = dict(os.environ, VIPS_CONCURRENCY="1", OMP_NUM_THREADS="1",
               LD_LIBRARY_PATH=os.path.abspath(args.build),
               VEXIRO_PLUGIN_PATH=os.path.abspath(os.path.join(args.build, "plugins")))
    decoded = args.size * args.size * 3
    print(f"round trips, {args.size} x {args.size}, median of {args.runs}; memory is the peak of the "
          f"process tree, also as a multiple of the decoded picture ({decoded / 2**20:.0f} MiB)")
    print(f"{'case':20} {'tool':12} {'cpu s':>7} {'wall s':>7} {'MiB':>7} {'x img':>6}   vexiro / tool (cpu, memory)")
    with tempfile.TemporaryDirectory(prefix="vxbench") as scratch:
        out = os.path.join(scratch, "out")
        for name, tools in cases(base, out, host):
            if args.only and args.only not in name:
                continue
            results = medians(tools, env, args.runs)
            for tool, (cpu, wall, memory) in results.items():
                print(f"{name:20} {tool:12} {cpu:7.3f} {wall:7.3f} {memory / 2**20:7.1f} {memory / decoded:6.2f}   "
                      f"{ratio_to(results, tool)}")
            sys.stdout.flush()
    return 0


if __name__ == "__main__":
    sys.exit(main())
