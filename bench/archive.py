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
The reference is the same browser opening a page of one line from the same
folder, in the same run; the targets are 1 s and 100 ms.

Then the incremental index: one deck (tests/data/two-slides.fodp) is
converted with `--update --index` into the archive and into one a tenth of
its size, and the files the run opened below the output folder are counted
(strace): the count must not grow with the archive.

    bench/archive.py [--decks N] [--slides N] [--keep DIR]
"""

import argparse
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
        out.write(b"\xff\xd8\xff\xd9")
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
        os.link(thumb, os.path.join(files, "thumb0.jpg"))
        for s in range(slides):
            os.link(img, os.path.join(files, f"img{s}.html"))
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
          document.querySelectorAll('#results li:not(.more-holder)').length];
})(%s)
"""


def requested(browser):
    """The files the page asked for since the last call."""
    names = {e["params"]["request"]["url"] for e in browser.events
             if e["method"] == "Network.requestWillBeSent"}
    browser.events = [e for e in browser.events if not e["method"].startswith("Network.")]
    return names


def browser_figures(archive, queries, rounds):
    import json
    index = "file://" + os.path.join(archive, "index.html")
    reference = "file://" + os.path.join(archive, "reference.html")
    with open(os.path.join(archive, "reference.html"), "w") as out:
        out.write("<!DOCTYPE html><title>reference</title><p>One line.</p>")
    loads, floors, keystrokes = [], [], []
    data_files = set()
    with Chromium() as browser:
        browser.call("Network.enable")
        for _ in range(rounds):
            browser.open("about:blank")
            browser.open(reference)
            floors.append(browser.evaluate(
                "performance.getEntriesByType('navigation')[0].loadEventEnd"))
            browser.open("about:blank")
            browser.open(index)
            browser.wait_for("performance.getEntriesByName('deckvane-ready').length > 0", 30)
            loads.append(browser.evaluate(
                "performance.getEntriesByName('deckvane-ready')[0].startTime"))
            startup = requested(browser)
            for query in queries:
                typed = ""
                for char in query:
                    typed += char
                    elapsed, shown = browser.evaluate(MEASURE_KEYSTROKE % json.dumps(typed))
                    keystrokes.append((elapsed, typed, shown))
            data_files |= requested(browser)
    prefix = "file://" + archive + "/"
    size = lambda names: sum(os.path.getsize(os.path.join(archive, n[len(prefix):].split("?")[0]))
                             for n in names if n.startswith(prefix))
    return loads, floors, keystrokes, startup, data_files, size


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


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--decks", type=int, default=10000)
    parser.add_argument("--slides", type=int, default=30)
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--keep", help="make the archive here and keep it")
    options = parser.parse_args()
    build = os.environ.get("DECKVANE_BUILD_DIR", os.path.join(root, "build"))
    batch = os.path.join(build, "bin", "deckvane-batch")
    if not os.path.exists(batch):
        sys.exit(f"build first: {batch} missing")
    work = options.keep or tempfile.mkdtemp(prefix="deckvane-bench-archive-")
    try:
        rng = random.Random(21)
        archive = os.path.join(work, "big")
        small = os.path.join(work, "small")
        start = time.monotonic()
        if options.keep and os.path.exists(archive):
            # Made by an earlier run with --keep: only the front page's
            # files are brought up to date.
            words = vocabulary(rng, 30000)
            shutil.rmtree(small)
            make_archive(small, max(1, options.decks // 10), options.slides, random.Random(22))
            for name in ("index.js", "index.css", "index.html"):
                shutil.copy(os.path.join(root, "app", "conversion", "archive", name), archive)
            index_folders = [small]
        else:
            words = make_archive(archive, options.decks, options.slides, rng)
            make_archive(small, max(1, options.decks // 10), options.slides, random.Random(22))
            index_folders = [archive, small]
        print(f"made {options.decks} decks x {options.slides} slides "
              f"({options.decks * options.slides} slides) and one a tenth of it in "
              f"{time.monotonic() - start:.0f} s; {os.cpu_count()} cores, load "
              f"{os.getloadavg()[0]:.1f}")
        empty = os.path.join(work, "empty")
        os.makedirs(empty, exist_ok=True)
        for folder in index_folders:
            start = time.monotonic()
            run(batch, "--index", "--out", folder, empty)
            print(f"full index of {folder.split('/')[-1]}: {time.monotonic() - start:.1f} s")
        data = os.path.join(archive, "index-search")
        total = sum(os.path.getsize(os.path.join(d, f)) for d, _, fs in os.walk(data) for f in fs)
        count = sum(len(fs) for _, _, fs in os.walk(data))
        print(f"search data: {count} files, {total / 1e6:.1f} MB")

        common, middle, rare = words[0], words[len(words) // 50], words[-1]
        queries = [f"{common} {middle}", rare, "全文検索", "zzqx"]
        loads, floors, keystrokes, startup, data_files, size = browser_figures(
            archive, queries, options.rounds)
        print(f"front page usable: {median_range(loads)}; target 1000 ms, "
              f"ratio {statistics.median(loads) / 1000:.2f} of the target; "
              f"a one-line page from the same folder: {median_range(floors)} "
              f"(ratio {statistics.median(loads) / max(statistics.median(floors), 1):.1f})")
        print(f"  loaded at start: {len(startup)} files, {size(startup) / 1e6:.2f} MB")
        times = [k[0] for k in keystrokes]
        print(f"keystroke to results drawn ({len(times)} keystrokes, queries {queries}): "
              f"{median_range(times)}; 90th percentile "
              f"{statistics.quantiles(times, n=10)[-1]:.0f} ms; target 100 ms, ratio of the "
              f"slowest {max(times) / 100:.2f}")
        slowest = max(keystrokes)
        print(f"  slowest: {slowest[0]:.0f} ms for {slowest[1]!r} ({slowest[2]} results shown)")
        print(f"  search data loaded by all the searches: {len(data_files)} files, "
              f"{size(data_files) / 1e6:.2f} MB of {total / 1e6:.1f} MB")

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
