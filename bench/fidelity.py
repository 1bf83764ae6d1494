#!/usr/bin/python3
"""How close published slides come to the pictures their authors' program drew.

Each deck in FOLDER (default ../shared/corpus/fidelity) that holds the picture
of its first slide its program stored (docProps/thumbnail.jpeg) is converted
by deckvane-batch, and the published slide 1 is compared with that picture:
both in grey, scaled to the thumbnail's size, slightly blurred, and the mean
absolute difference of their grey levels taken (0 is the same picture).

Runs in one invocation, on the same decks:
  - reference: REFERENCE_BUILD's deckvane-batch (default: this build) with the
    fonts that have the widths of Office's fonts hidden from the office, as
    on a machine without them;
  - this build, with every font installed (and its office profile's font
    replacement table).
Prints the median and spread of each, the ratio, and how many decks came
closer or went further. Not a test.

  bench/fidelity.py [--reference BUILD] [--jobs N] [FOLDER]
"""
import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import zipfile

root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
try:
    from PIL import Image, ImageFilter
except ImportError:
    sudo = [] if os.geteuid() == 0 else ["sudo"]
    subprocess.run(sudo + ["apt-get", "install", "-y", "-q", "--no-install-recommends", "python3-pil"],
                   check=True, stdout=subprocess.DEVNULL, env=dict(os.environ, DEBIAN_FRONTEND="noninteractive"))
    from PIL import Image, ImageFilter

# Families whose absence the reference run stands for: what fonts-crosextra-*
# and fonts-liberation* bring.
HIDDEN = ["Carlito", "Caladea", "Liberation Sans", "Liberation Serif", "Liberation Mono",
          "Liberation Sans Narrow"]


def fontconfig_without(path):
    rejects = "".join(f"<pattern><patelt name=\"family\"><string>{f}</string></patelt></pattern>"
                      for f in HIDDEN)
    with open(path, "w") as out:
        out.write('<?xml version="1.0"?>\n<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">\n'
                  f'<fontconfig><include>/etc/fonts/fonts.conf</include>'
                  f'<selectfont><rejectfont>{rejects}</rejectfont></selectfont></fontconfig>\n')


def convert(batch, decks, out, profile, jobs, env_extra):
    env = dict(os.environ, DECKVANE_OFFICE_PROFILE=profile, **env_extra)
    env["DECKVANE_OFFICE_PIPE"] = "deckvane-fidelity-%d-%s" % (os.getpid(), os.path.basename(out))
    result = subprocess.run([batch, "--jobs", str(jobs), "--masks", "*.pptx", "--out", out, decks],
                            env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    return result.stdout


def difference(reference_jpeg, slide_path):
    with Image.open(reference_jpeg) as stored, Image.open(slide_path) as slide:
        stored = stored.convert("L")
        slide = slide.convert("L").resize(stored.size, Image.LANCZOS)
        blur = ImageFilter.GaussianBlur(1)
        a = stored.filter(blur).tobytes()
        b = slide.filter(blur).tobytes()
    return sum(abs(x - y) for x, y in zip(a, b)) / len(a)


def spread(values):
    q = statistics.quantiles(values, n=4) if len(values) > 1 else [values[0]] * 3
    return (f"median {statistics.median(values):5.2f}  quartiles {q[0]:.2f}-{q[2]:.2f}  "
            f"range {min(values):.2f}-{max(values):.2f}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("folder", nargs="?", default=os.path.join(root, "..", "shared", "corpus", "fidelity"))
    parser.add_argument("--reference", default=os.environ.get("REFERENCE_BUILD", os.path.join(root, "build")))
    parser.add_argument("--build", default=os.environ.get("DECKVANE_BUILD_DIR", os.path.join(root, "build")))
    parser.add_argument("--jobs", type=int, default=2)
    args = parser.parse_args()
    folder = os.path.abspath(args.folder)
    work = tempfile.mkdtemp(prefix="deckvane-fidelity-")
    try:
        stored = {}
        for name in sorted(os.listdir(folder)):
            if not name.endswith(".pptx"):
                continue
            try:
                with zipfile.ZipFile(os.path.join(folder, name)) as deck:
                    data = deck.read("docProps/thumbnail.jpeg")
            except (KeyError, zipfile.BadZipFile):
                continue
            base = name.split(".")[0]
            stored[base] = os.path.join(work, base + ".thumbnail.jpeg")
            with open(stored[base], "wb") as out:
                out.write(data)
        print(f"folder: {folder} ({len(stored)} decks with a stored picture of slide 1), "
              f"{args.jobs} offices, load {open('/proc/loadavg').read().split()[0]}")
        # The reference's office sees a font configuration that leaves the
        # fonts out; it lies in its output folder, which its sandbox shows.
        runs = [("reference", args.reference, True), ("this build", args.build, False)]
        results = {}
        for label, build, hide in runs:
            out = os.path.join(work, label.replace(" ", "-"))
            os.makedirs(out)
            extra = {}
            if hide:
                conf = os.path.join(out, "fonts-hidden.conf")
                fontconfig_without(conf)
                extra["FONTCONFIG_FILE"] = conf
            convert(os.path.join(build, "bin", "deckvane-batch"), folder, out,
                    os.path.join(work, "profile-" + label.replace(" ", "-")), args.jobs, extra)
            diffs = {}
            for base, thumbnail in stored.items():
                slide = os.path.join(out, base + "_files", "img0.jpg")
                if os.path.exists(slide):
                    diffs[base] = difference(thumbnail, slide)
            results[label] = diffs
            print(f"  {label:12} {len(diffs):3} decks  {spread(list(diffs.values()))}")
        ref, new = results["reference"], results["this build"]
        both = sorted(set(ref) & set(new))
        closer = sum(1 for d in both if new[d] < ref[d] - 0.1)
        further = sum(1 for d in both if new[d] > ref[d] + 0.1)
        median = statistics.median(new[d] for d in both)
        print(f"\nmedian of this build: {median:.2f} (target <= 2.1); over the reference's: "
              f"{median / statistics.median(ref[d] for d in both):.2f}")
        print(f"decks closer by more than 0.1: {closer}, further: {further}, of {len(both)}")
        for d in both:
            if new[d] > ref[d] + 0.1:
                print(f"  further: {d}: {ref[d]:.2f} -> {new[d]:.2f}")
    finally:
        subprocess.run(["rm", "-rf", work])


if __name__ == "__main__":
    sys.exit(main())
