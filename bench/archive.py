#!/usr/bin/python3
"""The archive's front page at scale, in headless Chromium.

Makes an output folder of DECKS converted decks of SLIDES slides each
(default 10,000 x 30 = 300,000 slides) the way the export leaves them --
written directly, without an office, since only the pages' text matters
here -- indexes it with `deckvane-batch --index`, and measures in Chromium
(over the DevTools protocol):
  - the time until the front page is usable (its list drawn);
  - each keystroke's time until its results are drawn, typing queries
    letter by letter;
  - how much of the search data the browser loaded.
The references, in the same run: the same browser opening a page of one
line from the same folder, and the search as it was before it ranked (the
deckvane-batch of git revision REV, default the last one before, built from
the history into the work folder, or one already built given with
--reference-build), whose index of the same pages is searched in turn with
the same keystrokes. The targets are 1 s for the page, and for a keystroke
a median under 50 ms and a 90th percentile under 100 ms.

Then the incremental index: one deck (tests/data/two-slides.fodp) is
converted with `--update --index` into the archive and into one a tenth of
its size, and the files the run opened below the output folder are counted
(strace): the count must not grow with the archive.

    bench/archive.py [--decks N] [--slides N] [--rounds N] [--keep DIR]
                     [--reference REV | --reference-build DIR]
"""

import argparse
import base64
import os
import random
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(root, "tests", "app", "conversion"))
from chromium import Chromium  # noqa: E402

TEXT_PAGE = """<!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 4.01 Transitional//EN">
<html>
<head>
  <meta HTTP-EQUIV=CONTENT-TYPE CONTENT="text/html; charset=utf-8">
  <title>Slide {number}</title>
</head>
<body>
<center>
<a href="../{name}.htm">Overview</a></center><br>
<h1>{title}</h1>
<p>{text}</p>
<br>
<h3>Notes:</h3>
<p>{notes}</p>
</body>
</html>"""


# A plain 256 x 192 picture stands in for every slide's thumbnail, so the
# browser loads and draws them as it would real ones.
THUMBNAIL = base64.b64decode(
    "/9j/4AAQSkZJRgABAQAAAQABAAD/2wBDAAYEBQYFBAYGBQYHBwYIChAKCgkJChQODwwQFxQYGBcUFhYaHSUfGhsj"
    "HBYWICwgIyYnKSopGR8tMC0oMCUoKSj/2wBDAQcHBwoIChMKChMoGhYaKCgoKCgoKCgoKCgoKCgoKCgoKCgoKCgo"
    "KCgoKCgoKCgoKCgoKCgoKCgoKCgoKCgoKCj/wAARCADAAQADASIAAhEBAxEB/8QAFQABAQAAAAAAAAAAAAAAAAAA"
    "AAj/xAAUEAEAAAAAAAAAAAAAAAAAAAAA/8QAFgEBAQEAAAAAAAAAAAAAAAAAAAME/8QAFBEBAAAAAAAAAAAAAAAA"
    "AAAAAP/aAAwDAQACEQMRAD8AoQBoSAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA"
    "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA"
    "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA"
    "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA"
    "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAf/9k="
)


def vocabulary(rng, count):
    syllables = ["ka", "lo", "mi", "ter", "on", "ex", "ra", "ven", "qui", "sta", "pro", "dul",
                 "ne", "ar", "tis", "co", "mer", "al", "ge", "fu", "zor", "in", "pa", "le"]
    words = set()
    while len(words) < count:
        words.add("".join(rng.choice(syllables) for _ in range(rng.randint(2, 4))))
    return sorted(words)


def make_archive(folder, decks, slides, rng):
    words = vocabulary(rng, 30000)
    # Word frequencies fall off as in real text (Zipf); cumulative weights.
    weights = list(__import__("itertools").accumulate(1.0 / (rank + 1)
                                                      for rank in range(len(words))))
    cjk = "全文検索会議資料売上報告新製品計画市場分析技術開発東京大阪年度予算結果"
    img = os.path.join(folder, ".img.html")
    thumb = os.path.join(folder, ".thumb.jpg")
    os.makedirs(folder)
    with open(img, "w") as out:
        out.write("<html><body><img src=\"img0.jpg\"></body></html>")
    with open(thumb, "wb") as out:
        out.write(THUMBNAIL)
    for d in range(decks):
        if d % 1000 == 999:
            # A file system allows only so many links to one file.
            for shared in (img, thumb):
                shutil.copy(shared, shared + ".next")
                os.replace(shared + ".next", shared)
        sub = os.path.join(folder, f"year{d % 20:02d}", f"team{d % 7}")
        name = f"deck{d:05d}"
        files = os.path.join(sub, name + "_files")
        os.makedirs(files, exist_ok=True)
        title = " ".join(rng.choices(words[:2000], cum_weights=weights[:2000], k=4)).capitalize()
        with open(os.path.join(sub, name + ".htm"), "w") as out:
            out.write(f"<html><head><title>{title}</title></head><body></body></html>")
        for s in range(slides):
            os.link(img, os.path.join(files, f"img{s}.html"))
            os.link(thumb, os.path.join(files, f"thumb{s}.jpg"))
            text = " ".join(rng.choices(words, cum_weights=weights, k=18))
            notes = " ".join(rng.choices(words, cum_weights=weights, k=10))
            if rng.random() < 0.05:
                start = rng.randrange(len(cjk) - 6)
                text += " " + cjk[start:start + rng.randint(2, 6)]
            with open(os.path.join(files, f"text{s}.html"), "w") as out:
                out.write(TEXT_PAGE.format(number=s + 1, name=name, title=title if s == 0 else "",
                                           text=text, notes=notes))
    os.remove(img)
    os.remove(thumb)
    return words


def run(*args, **kw):
    return subprocess.run(args, check=True, capture_output=True, text=True, **kw)


def median_range(values):
    return f"median {statistics.median(values):.0f} ms (range {min(values):.0f}-{max(values):.0f})"


MEASURE_KEYSTROKE = """
(async (text) => {
  const input = document.getElementById('q');
  const start = performance.now();
  input.value = text;
  input.dispatchEvent(new Event('input'));
  while (document.body.dataset.state !== 'ready')
    await new Promise(r => setTimeout(r, 0));
  await new Promise(r => requestAnimationFrame(() => r()));
  return [performance.now() - start,
          document.querySelectorAll('#results > li:not(.more-holder), #results li.hit').length];
})(%s)
"""


def requested(browser):
    """The files the page asked for since the last call."""
    names = {e["params"]["request"]["url"] for e in browser.events
             if e["method"] == "Network.requestWillBeSent"}
    browser.events = [e for e in browser.events if not e["method"].startswith("Network.")]
    return names


class Figures:
    def __init__(self):
        self.loads, self.keystrokes, self.startup, self.data_files = [], [], set(), set()


def search_round(browser, archive, queries, figures):
    import json
    browser.open("about:blank")
    browser.open("file://" + os.path.join(archive, "index.html"))
    browser.wait_for("performance.getEntriesByName('deckvane-ready').length > 0", 30)
    figures.loads.append(browser.evaluate(
        "performance.getEntriesByName('deckvane-ready')[0].startTime"))
    figures.startup = requested(browser)
    for query in queries:
        typed = ""
        for char in query:
            typed += char
            elapsed, shown = browser.evaluate(MEASURE_KEYSTROKE % json.dumps(typed))
            figures.keystrokes.append((elapsed, typed, shown))
    figures.data_files |= requested(browser)


def browser_figures(archives, queries, rounds):
    """Rounds of the one-line page and of each archive in turn."""
    one_line = "file://" + os.path.join(archives[0], "reference.html")
    with open(os.path.join(archives[0], "reference.html"), "w") as out:
        out.write("<!DOCTYPE html><title>reference</title><p>One line.</p>")
    floors, figures = [], [Figures() for _ in archives]
    with Chromium() as browser:
        browser.call("Network.enable")
        for _ in range(rounds):
            browser.open("about:blank")
            browser.open(one_line)
            floors.append(browser.evaluate(
                "performance.getEntriesByType('navigation')[0].loadEventEnd"))
            for archive, into in zip(archives, figures):
                search_round(browser, archive, queries, into)
    return floors, figures


def data_size(archive, names):
    prefix = "file://" + archive + "/index-search/"
    return sum(os.path.getsize(os.path.join(archive, "index-search", n[len(prefix):].split("?")[0]))
               for n in names if n.startswith(prefix))


# The search as it was before it ranked: its front page and index of the
# same pages are the reference the ranked search is measured against.
REFERENCE_REVISION = "98a0dc4"


def reference_batch(options, work):
    """A deckvane-batch of the reference revision, built from the git
    history once into the work folder (or the one given)."""
    if options.reference_build:
        batch = os.path.join(options.reference_build, "bin", "deckvane-batch")
        if not os.path.exists(batch):
            sys.exit(f"no deckvane-batch in {options.reference_build}/bin")
        return batch
    source = os.path.join(work, "reference-" + options.reference)
    build = os.path.join(source, "build")
    batch = os.path.join(build, "bin", "deckvane-batch")
    if os.path.exists(batch):
        return batch
    os.makedirs(source, exist_ok=True)
    try:
        tar = subprocess.run(["git", "-C", root, "archive", options.reference],
                             check=True, capture_output=True).stdout
    except subprocess.CalledProcessError as error:
        sys.exit(f"cannot read revision {options.reference} from git ({error.stderr.decode()}); "
                 "give a build of it with --reference-build")
    subprocess.run(["tar", "-x", "-C", source], input=tar, check=True)
    start = time.monotonic()
    launcher = ["-DCMAKE_CXX_COMPILER_LAUNCHER=ccache", "-DCMAKE_C_COMPILER_LAUNCHER=ccache"] \
        if shutil.which("ccache") else []
    run("cmake", "-S", source, "-B", build, "-G", "Ninja", *launcher)
    run("cmake", "--build", build, "--target", "deckvane-batch")
    print(f"built the reference deckvane-batch of {options.reference} in "
          f"{time.monotonic() - start:.0f} s")
    return batch


def reference_index(batch, archive, reference, empty):
    """The reference's index of the archive's pages, in a folder of its own
    that shows the same pages (through links to the archive's folders)."""
    if os.path.exists(os.path.join(reference, "index-search")):
        return
    os.makedirs(reference, exist_ok=True)
    start = time.monotonic()
    run(batch, "--index", "--out", archive, empty)
    print(f"reference index of {archive.split('/')[-1]}: {time.monotonic() - start:.1f} s")
    for name in ("index.html", "index.js", "index.css", "index-search"):
        os.replace(os.path.join(archive, name), os.path.join(reference, name))
    for name in os.listdir(archive):
        if not name.startswith(".") and not os.path.exists(os.path.join(reference, name)):
            os.symlink(os.path.join(archive, name), os.path.join(reference, name))


def count_opened(strace_log, folder):
    opened = set()
    with open(strace_log) as log:
        for line in log:
            if "openat(" in line and folder in line and "= -1" not in line:
                opened.add(line.split('"')[1])
    return opened


def incremental(batch, archive, label):
    decks = tempfile.mkdtemp(prefix="deckvane-bench-new-")
    shutil.copy(os.path.join(root, "tests", "data", "two-slides.fodp"),
                os.path.join(decks, f"added-{label}.fodp"))
    log = os.path.join(decks, "strace.log")
    env = dict(os.environ, DECKVANE_OFFICE_PIPE=f"deckvane-bench-archive-{os.getpid()}",
               DECKVANE_OFFICE_PROFILE=os.path.join(decks, "profile"))
    start = time.monotonic()
    run("strace", "-f", "-qq", "-e", "trace=openat", "-o", log, batch, "--masks", "*.fodp",
        "--update", "--index", "--out", archive, decks, env=env)
    seconds = time.monotonic() - start
    opened = count_opened(log, archive)
    shutil.rmtree(decks)
    pages = [p for p in opened if "/index-search/" not in p and f"added-{label}" not in p]
    return len(opened), len(pages), seconds


def keystroke_figures(name, figures):
    times = [k[0] for k in figures.keystrokes]
    median, p90 = statistics.median(times), statistics.quantiles(times, n=10)[-1]
    slowest = max(figures.keystrokes)
    print(f"  {name}: {median_range(times)}; 90th percentile {p90:.0f} ms; slowest "
          f"{slowest[0]:.0f} ms for {slowest[1]!r} ({slowest[2]} results shown)")
    return median, p90


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--decks", type=int, default=10000)
    parser.add_argument("--slides", type=int, default=30)
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--keep", help="make the archive here and keep it")
    parser.add_argument("--reference", default=REFERENCE_REVISION,
                        help="git revision of the search measured against")
    parser.add_argument("--reference-build", help="a build folder of the reference revision")
    options = parser.parse_args()
    build = os.environ.get("DECKVANE_BUILD_DIR", os.path.join(root, "build"))
    batch = os.path.join(build, "bin", "deckvane-batch")
    if not os.path.exists(batch):
        sys.exit(f"build first: {batch} missing")
    work = options.keep or tempfile.mkdtemp(prefix="deckvane-bench-archive-")
    try:
        old_batch = reference_batch(options, work)
        rng = random.Random(21)
        archive = os.path.join(work, "big")
        reference = os.path.join(work, "big-reference")
        small = os.path.join(work, "small")
        start = time.monotonic()
        if options.keep and os.path.exists(archive):
            # Made by an earlier run with --keep: the pages are reused.
            words = vocabulary(rng, 30000)
            shutil.rmtree(small)
            make_archive(small, max(1, options.decks // 10), options.slides, random.Random(22))
        else:
            words = make_archive(archive, options.decks, options.slides, rng)
            make_archive(small, max(1, options.decks // 10), options.slides, random.Random(22))
        print(f"made {options.decks} decks x {options.slides} slides "
              f"({options.decks * options.slides} slides) and one a tenth of it in "
              f"{time.monotonic() - start:.0f} s; {os.cpu_count()} cores, load "
              f"{os.getloadavg()[0]:.1f}")
        empty = os.path.join(work, "empty")
        os.makedirs(empty, exist_ok=True)
        reference_index(old_batch, archive, reference, empty)
        for folder in (archive, small):
            start = time.monotonic()
            run(batch, "--index", "--out", folder, empty)
            print(f"full index of {folder.split('/')[-1]}: {time.monotonic() - start:.1f} s")
        sizes = []
        for folder in (reference, archive):
            # The segments the manifest names: an earlier index's stay a
            # while for readers that still use them.
            data = os.path.join(folder, "index-search")
            with open(os.path.join(data, "manifest.js")) as manifest:
                named = manifest.read()
            files = [os.path.join(d, f) for d, _, fs in os.walk(data) for f in fs
                     if d == data or os.path.basename(d) in named]
            sizes.append((len(files), sum(os.path.getsize(f) for f in files)))
        print(f"search data: {sizes[1][0]} files, {sizes[1][1] / 1e6:.1f} MB "
              f"(the reference's: {sizes[0][0]} files, {sizes[0][1] / 1e6:.1f} MB)")

        common, middle, rare = words[0], words[len(words) // 50], words[-1]
        queries = [f"{common} {middle}", rare, "全文検索", "zzqx"]
        floors, (old, new) = browser_figures([reference, archive], queries, options.rounds)
        print(f"a one-line page from the same folder: {median_range(floors)}")
        for name, figures in (("reference", old), ("ranked", new)):
            print(f"front page usable ({name}): {median_range(figures.loads)}; target 1000 ms, "
                  f"ratio {statistics.median(figures.loads) / 1000:.2f} of the target; loaded "
                  f"at start: {len(figures.startup)} files, "
                  f"{data_size(reference if figures is old else archive, figures.startup) / 1e6:.2f} MB")
        print(f"keystroke to results drawn ({len(new.keystrokes)} keystrokes each, "
              f"queries {queries}):")
        old_median, old_p90 = keystroke_figures("reference", old)
        new_median, new_p90 = keystroke_figures("ranked", new)
        print(f"  ranked against the reference: median {new_median / old_median:.2f}, 90th "
              f"percentile {new_p90 / old_p90:.2f}; against the targets (50 ms, 100 ms): "
              f"{new_median / 50:.2f} and {new_p90 / 100:.2f}")
        for name, figures, folder, size in (("reference", old, reference, sizes[0][1]),
                                            ("ranked", new, archive, sizes[1][1])):
            print(f"  search data loaded by all the searches ({name}): "
                  f"{len(figures.data_files)} files, "
                  f"{data_size(folder, figures.data_files) / 1e6:.2f} MB of {size / 1e6:.1f} MB")

        big_all, big_pages, big_s = incremental(batch, archive, "big")
        small_all, small_pages, small_s = incremental(batch, small, "small")
        print(f"--update --index adding one deck, files opened below the output folder: "
              f"{big_all} in {options.decks} decks, {small_all} in {max(1, options.decks // 10)} "
              f"(ratio {big_all / max(small_all, 1):.2f}); other files (locks, folders, earlier decks): "
              f"{big_pages} and {small_pages}; whole run {big_s:.1f} s and {small_s:.1f} s "
              f"(office start included)")
    finally:
        if not options.keep:
            shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
