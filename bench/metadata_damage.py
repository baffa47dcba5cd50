#!/usr/bin/env python3
"""Counts the tags exiftool reads differently after each JPEG and TIFF saver of the script host,
beside ImageMagick's `convert in.jpg out.jpg`, over a folder of camera JPEGs (not part of `make
bench`: a public corpus is not in the repository), or over camera-like files it generates.

    python3 bench/metadata_damage.py BUILD_DIR FOLDER
    python3 bench/metadata_damage.py BUILD_DIR --generated

A tag is damaged when the copy lacks it or reads it otherwise; where a saver writes a tag of its
own (the thumbnail's place, the pixels' layout, JFIF), that is no damage. Damage to what the
README's savers table says a saver leaves out is counted apart."""
import json
import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "data", "camera"))

IGNORED_GROUPS = ("System", "File", "ExifTool", "Composite", "JFIF", "MPF0", "MPImage1", "MPImage2")
IGNORED_TAGS = ("IFD1:ThumbnailOffset", "PreviewIFD:PreviewImageStart")
# The groups of what the README's savers table says each saver leaves out.
LEFT_OUT = {"SaveAsJPEG": (),
            "SaveAsTIFF": ("IFD1", "KodakIFD", "IPTC2", "Ducky", "XMP-dc"),
            "SaveAsTIFFjpg": ("IFD1", "KodakIFD", "IPTC2", "Ducky", "XMP-dc")}
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


RESOLUTION_TAGS = ("IFD0:XResolution", "IFD0:YResolution", "IFD0:ResolutionUnit")


def damaged(source, copy):
    # A resolution whose unit is "none" (JFIF's aspect ratio copied into IFD0) is no resolution:
    # the savers write the default 96 dpi, as the README says.
    aspect_only = source.get("IFD0:ResolutionUnit") == 1
    return [k for k, v in source.items() if copy.get(k) != v and not (aspect_only and k in RESOLUTION_TAGS)]


def left_out(saver, keys):
    groups = LEFT_OUT.get(saver.split(" ")[0], ())
    return [k for k in keys if k.split(":")[0] in groups]


def generate(folder):
    """Camera-like files wider than the tests' set: the hand-made layouts in both byte orders
    where they allow it, exiftool-tagged pictures, and the test data's camera files."""
    import make_hand_made as made
    for name, make in made.FILES.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(make())
    tagged = {
        "gps-xp.jpg": ["-GPSLatitude=48.85", "-GPSLatitudeRef=N", "-GPSLongitude=2.35", "-GPSLongitudeRef=E",
                       "-GPSVersionID=2.3.0.0", "-XPTitle=Harbour", "-XPKeywords=sea;boats", "-Make=Phone"],
        "iptc-xmp.jpg": ["-IPTC:Keywords=alpha", "-IPTC:City=Paris", "-XMP:Title=A title", "-XMP:Creator=Someone",
                         "-Artist=someone", "-Copyright=(c)"],
        "exif-rich.jpg": ["-ExposureTime=1/250", "-FNumber=2.8", "-ISO=200", "-FocalLength=35", "-LensModel=35mm",
                          "-DateTimeOriginal=2020:01:02 03:04:05", "-UserComment=a comment", "-Gamma=2.2",
                          "-InteropIndex=R98", "-Make=Maker", "-Model=Model"],
        "big-endian.jpg": ["-ExifByteOrder=Big-endian", "-Make=Maker", "-Model=Big", "-ExposureTime=1/60",
                           "-ImageDescription=big endian"],
    }
    for name, arguments in tagged.items():
        path = os.path.join(folder, name)
        subprocess.run(["convert", "-size", "64x48", "gradient:red-blue", path], check=True)
        subprocess.run(["exiftool", "-q", "-overwrite_original"] + arguments + [path], check=True)
    data = os.path.join(HERE, "..", "tests", "data", "camera")
    for name in os.listdir(data):
        if name.endswith(".jpg") and not os.path.exists(os.path.join(folder, name)):
            shutil.copy(os.path.join(data, name), folder)


def main():
    build, folder = sys.argv[1], sys.argv[2]
    if folder == "--generated":
        generated = tempfile.TemporaryDirectory()
        folder = generated.name
        generate(folder)
    host = os.path.join(build, "vexiro")
    env = dict(os.environ, VEXIRO_PLUGIN_PATH=os.path.join(build, "plugins"))
    files = sorted(f for f in os.listdir(folder) if f.lower().endswith((".jpg", ".jpeg")))
    skipped = []
    totals = {name: 0 for name in ["convert"] + [f"{s} {r}" for s in SAVERS for r in ("plug-in", "platform")]}
    excused = dict.fromkeys(totals, 0)  # of those, what the README's table says the saver leaves out
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
                excused[n] += len(left_out(n, lost))
                row.append(f"{n}={len(lost)}")
            print(f"{name} ({len(read[0])} tags):", " ".join(row))
    print("skipped (no picture):", ", ".join(skipped) or "none")
    print("damaged tags over", len(files) - len(skipped), "files (of them what the README's table leaves out):",
          ", ".join(f"{n} {v} ({excused[n]})" for n, v in totals.items()))


if __name__ == "__main__":
    main()
