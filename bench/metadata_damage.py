#!/usr/bin/env python3
"""Counts the tags exiftool reads differently after each JPEG and TIFF saver of the script host,
beside ImageMagick's `convert in.jpg out.jpg`, over a folder of camera JPEGs (not part of `make
bench`: the corpus is not in the repository).

    python3 bench/metadata_damage.py BUILD_DIR FOLDER

A tag is damaged when the copy lacks it or reads it otherwise; where a saver writes a tag of its
own (the thumbnail's place, the pixels' layout, JFIF), that is no damage."""
import json
import os
import subprocess
import sys
import tempfile

IGNORED_GROUPS = ("System", "File", "ExifTool", "Composite", "JFIF", "MPF0", "MPImage1", "MPImage2")
IGNORED_TAGS = ("IFD1:ThumbnailOffset",)
SAVERS = {"SaveAsJPEG": ('SaveAsJPEG "{out}.jpg", 90', ".jpg"),
          "SaveAsTIFF": ('SaveAsTIFF "{out}.tif"', ".tif"),
          "SaveAsTIFFjpg": ('SaveAsTIFFjpg "{out}.tj.tif"', ".tj.tif")}


def tags(paths):
    out = subprocess.run(["exiftool", "-j", "-G1", "-a", "-u", "-n", "-b"] + paths, capture_output=True, text=True).stdout
    result = []
    for d in json.loads(out):
        result.append({k: v for k, v in d.items()
                       if k != "SourceFile" and k.split(":")[0] not in IGNORED_GROUPS and k not in IGNORED_TAGS})
    return result


def damaged(source, copy):
    return [k for k, v in source.items() if copy.get(k) != v]


def thumbnail_tags(keys):
    return [k for k in keys if k.startswith("IFD1:")]


def main():
    build, folder = sys.argv[1], sys.argv[2]
    host = os.path.join(build, "vexiro")
    env = dict(os.environ, VEXIRO_PLUGIN_PATH=os.path.join(build, "plugins"))
    files = sorted(f for f in os.listdir(folder) if f.lower().endswith((".jpg", ".jpeg")))
    skipped = []
    totals = {name: 0 for name in ["convert"] + [f"{s} {r}" for s in SAVERS for r in ("plug-in", "platform")]}
    thumbnails = dict.fromkeys(totals, 0)  # of those, the EXIF thumbnail's tags (no TIFF saver keeps them)
    with tempfile.TemporaryDirectory() as work:
        for name in files:
            source = os.path.join(folder, name)
            stem = os.path.join(work, os.path.splitext(name)[0])
            if subprocess.run(["convert", source, stem + ".convert.jpg"], capture_output=True).returncode != 0:
                skipped.append(name)  # no picture to save
                continue
            outputs = {"convert": stem + ".convert.jpg"}
            for route, disable in (("plug-in", "False"), ("platform", "True")):
                script = [f"DisableVximgplugCodecs {disable}", f'CreateImageFromFile "{source}"']
                script += [call.format(out=f"{stem}.{route}") for call, _ in SAVERS.values()]
                path = os.path.join(work, "save.vxs")
                with open(path, "w") as f:
                    f.write("\n".join(script) + "\n")
                subprocess.run([host, path], env=env, capture_output=True)
                for saver, (_, extension) in SAVERS.items():
                    outputs[f"{saver} {route}"] = f"{stem}.{route}{extension}"
            names = list(outputs)
            read = tags([source] + [outputs[n] if os.path.exists(outputs[n]) else source + ".missing" for n in names])
            row = []
            for n, copy in zip(names, read[1:]):
                lost = damaged(read[0], copy)
                totals[n] += len(lost)
                thumbnails[n] += len(thumbnail_tags(lost))
                row.append(f"{n}={len(lost)}")
            print(f"{name} ({len(read[0])} tags):", " ".join(row))
    print("skipped (no picture):", ", ".join(skipped) or "none")
    print("damaged tags over", len(files) - len(skipped), "files (of them the thumbnail's):",
          ", ".join(f"{n} {v} ({thumbnails[n]})" for n, v in totals.items()))


if __name__ == "__main__":
    main()
