#!/usr/bin/env python3
"""A watcher under a long soak: ARRIVALS decks (default 2,000) copied into a
watched tree over MINUTES (default 20) minutes, in bursts and one at a time,
some in slow pieces, with deckvane-batch --watch --index converting them.
Samples the watcher's and the offices' memory and processor time every
second, measures the watcher's processor time over a minute of idleness
before and after the arrivals, and the time from a copy's end until its page
is listed in the index, with the office warm and cold, against the time a
run of deckvane-batch takes to convert the same deck (the reference, timed
in the same invocation). Checks at the end that every deck has its page and
the index lists each. Not a test.

  bench/watch-soak.py [--arrivals N] [--minutes M] [--jobs J] [--standin]

--standin uses the tests' stand-in office (no office, no memory of its own)
to try the watcher alone. CORPUS=DIR picks the decks (../shared/corpus).
"""
import argparse
import json
import os
import random
import shutil
import statistics
import subprocess
import tempfile
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.environ.get("DECKVANE_BUILD_DIR", os.path.join(ROOT, "build"))
CORPUS = os.environ.get("CORPUS", os.path.join(ROOT, "..", "shared", "corpus"))
SEEDS = ["basic_test_ppt_file.ppt", "with_textbox.ppt", "misc/WithLinks.ppt",
         "misc/slide_master.pps"]
TICK = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    try:
        with open(f"/proc/{pid}/stat") as stat:
            fields = stat.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / TICK
    except (OSError, IndexError):
        return None


def rss_mb(pid):
    try:
        with open(f"/proc/{pid}/status") as status:
            for line in status:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1]) / 1024
    except OSError:
        pass
    return 0.0


def offices(pipe):
    found = subprocess.run(["pgrep", "-f", f"soffice.bin.*{pipe}"], capture_output=True,
                           text=True).stdout.split()
    return [int(p) for p in found]


def indexed(out):
    """The pages the index lists (the segments its manifest names)."""
    try:
        with open(os.path.join(out, "index-search", "manifest.js")) as manifest:
            text = manifest.read()
        data = json.loads(text[text.index("{"):text.rindex("}") + 1])
    except (OSError, ValueError):
        return set()
    pages = set()
    for segment in data.get("segments", []):
        try:
            with open(os.path.join(out, "index-search", segment["id"], "pages")) as listing:
                pages.update(line.rstrip("\n") for line in listing if line.strip())
        except OSError:
            pass
    return pages


def status(path):
    try:
        with open(path) as file:
            return json.load(file)
    except (OSError, ValueError):
        return {}


def wait_for(condition, timeout, step=0.05):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        if condition():
            return True
        time.sleep(step)
    return condition()


def copy(seed, target, pieces=1, pause=0.0):
    os.makedirs(os.path.dirname(target), exist_ok=True)
    data = open(seed, "rb").read()
    size = len(data) // pieces + 1
    with open(target, "wb") as out:
        for i in range(pieces):
            out.write(data[i * size:(i + 1) * size])
            out.flush()
            if pause and i + 1 < pieces:
                time.sleep(pause)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--arrivals", type=int, default=2000)
    parser.add_argument("--minutes", type=float, default=20)
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--standin", action="store_true")
    args = parser.parse_args()
    program = os.path.join(BUILD, "tests", "deckvane-batch-standin") if args.standin \
        else os.path.join(BUILD, "bin", "deckvane-batch")
    seeds = [os.path.join(CORPUS, s) for s in SEEDS if os.path.exists(os.path.join(CORPUS, s))]
    if not os.access(program, os.X_OK) or not seeds:
        raise SystemExit(f"build first ({program}) and keep the corpus at {CORPUS}")
    work = tempfile.mkdtemp(prefix="watch-soak-")
    pipe = f"deckvane-soak-{os.getpid()}"
    env = dict(os.environ, DECKVANE_OFFICE_PIPE=pipe,
               DECKVANE_OFFICE_PROFILE=os.path.join(work, "profile"), LC_ALL="C")
    print(f"{args.arrivals} arrivals over {args.minutes:g} min, --jobs {args.jobs}, "
          f"{'stand-in office' if args.standin else 'LibreOffice'}; {os.cpu_count()} cores, "
          f"load average {os.getloadavg()[0]:.1f}", flush=True)
    try:
        # The reference: a run converting one deck, its office started inside.
        reference = []
        for i in range(3):
            folder = os.path.join(work, f"ref{i}")
            copy(seeds[0], os.path.join(folder, "in", "deck.ppt"))
            started = time.monotonic()
            subprocess.run([program, "--index", "--jobs", "1", "--out",
                            os.path.join(folder, "out"), os.path.join(folder, "in")],
                           env=env, capture_output=True, check=True)
            reference.append(time.monotonic() - started)
        run_time = statistics.median(reference)
        print(f"reference: a run converting one deck takes {run_time:.2f} s (median of 3)")

        tree, out = os.path.join(work, "in"), os.path.join(work, "out")
        os.makedirs(tree)
        status_file = os.path.join(work, "status.json")
        log = open(os.path.join(work, "log"), "w")
        errors = open(os.path.join(work, "errors"), "w")
        watcher = subprocess.Popen([program, "--watch", "--index", "--jobs", str(args.jobs),
                                    "--status", status_file, "--out", out, tree],
                                   env=env, stdout=log, stderr=errors)
        wait_for(lambda: status(status_file).get("state") == "idle", 60)

        def idle_cpu(label):
            wait_for(lambda: status(status_file).get("state") == "idle" and
                     not status(status_file).get("officesRunning"), 300, 0.5)
            rss = rss_mb(watcher.pid)
            before = cpu_seconds(watcher.pid)
            time.sleep(60)
            spent = cpu_seconds(watcher.pid) - before
            print(f"idle {label}: the watcher used {spent * 1000 / 60:.2f} ms of processor "
                  f"time a second ({spent / 60 * 100:.3f} % of a core, target < 1 %), "
                  f"{rss:.1f} MB; offices running: {len(offices(pipe))}", flush=True)
            return spent / 60, rss

        idle_before, rss_before = idle_cpu("before the arrivals")

        samples = []  # (time, pages done, watcher MB, watcher cpu s, [office MB], offices cpu s)
        stop = threading.Event()
        office_cpu = {}

        def sample():
            while not stop.is_set():
                pids = offices(pipe)
                for pid in pids:
                    spent = cpu_seconds(pid)
                    if spent is not None:
                        office_cpu[pid] = spent
                done = sum(1 for line in open(os.path.join(work, "log")) if line.endswith("OK\n"))
                samples.append((time.monotonic(), done, rss_mb(watcher.pid),
                                cpu_seconds(watcher.pid) or 0, [rss_mb(p) for p in pids],
                                sum(office_cpu.values())))
                stop.wait(1)

        sampler = threading.Thread(target=sample)
        sampler.start()
        latencies = {"warm": [], "cold": []}

        def probe(kind, n):
            """One deck copied alone; the time until the index lists it."""
            wait_for(lambda: status(status_file).get("state") == "idle", 600, 0.2)
            if kind == "cold":
                wait_for(lambda: not status(status_file).get("officesRunning"), 120, 0.2)
            name = f"probe/{kind}{n}.ppt"
            copy(random.choice(seeds), os.path.join(tree, name))
            ended = time.monotonic()
            if wait_for(lambda: name.replace(".ppt", ".htm").split("/")[-1] in
                        {p.split("/")[-1] for p in indexed(out)}, 300, 0.02):
                latencies[kind].append(time.monotonic() - ended)

        # Arrivals: bursts of 50-150 and single decks, a few in slow pieces,
        # spread over the time given; probes between them.
        started = time.monotonic()
        made, burst = 0, 0
        deadline = started + args.minutes * 60
        while made < args.arrivals:
            left = args.arrivals - made
            if random.random() < 0.3:
                count = min(left, random.randint(50, 150))
                for i in range(count):
                    copy(seeds[(made + i) % len(seeds)],
                         os.path.join(tree, f"burst{burst}", f"deck{made + i}.ppt"))
                burst += 1
            else:
                count = min(left, random.randint(1, 5))
                for i in range(count):
                    slow = random.random() < 0.2
                    copy(seeds[(made + i) % len(seeds)],
                         os.path.join(tree, f"box{(made + i) // 50}", f"deck{made + i}.ppt"),
                         pieces=5 if slow else 1, pause=0.3 if slow else 0)
            made += count
            if made // 400 > (made - count) // 400:
                probe("warm", made)
            pause = (deadline - time.monotonic()) / max(1, (args.arrivals - made) / 40)
            time.sleep(max(0.0, min(pause, 30)))
        wait_for(lambda: sum(1 for line in open(os.path.join(work, "log"))
                             if line.endswith("OK\n")) >= args.arrivals + len(latencies["warm"]),
                 7200, 1)
        for n in range(3):
            probe("cold", n)
        probe("warm", 0)
        stop.set()
        sampler.join()
        converted = time.monotonic() - started
        idle_after, rss_after = idle_cpu("after the arrivals")

        lines = open(os.path.join(work, "log")).read().splitlines()
        ok = sum(1 for line in lines if line.endswith("OK"))
        listed = indexed(out)
        missing = [f for f in range(args.arrivals) if f"deck{f}.htm" not in listed]
        print(f"\n{ok} decks converted in {converted / 60:.1f} min, {len(lines) - ok} other "
              f"lines; the index lists {len(listed)} pages, {len(missing)} arrivals missing")

        print(f"\n{'pages':>11} {'watcher MB':>11} {'watcher cpu %':>14} "
              f"{'largest office MB':>18} {'offices cpu %':>14} {'offices':>8}")
        windows = {}
        for i, (when, done, own, own_cpu, office_mb, offices_cpu) in enumerate(samples):
            w = windows.setdefault(done // 200, {"own": 0, "office": 0, "n": 0, "first": i,
                                                 "last": i})
            w["own"] = max(w["own"], own)
            w["office"] = max(w["office"], max(office_mb, default=0))
            w["n"] = max(w["n"], len(office_mb))
            w["last"] = i
        for k in sorted(windows):
            w = windows[k]
            a, b = samples[w["first"]], samples[w["last"]]
            span = max(b[0] - a[0], 1e-9)
            print(f"{k * 200:5d}-{k * 200 + 199:<5d} {w['own']:11.1f} "
                  f"{(b[3] - a[3]) / span * 100:14.1f} {w['office']:18.1f} "
                  f"{(b[5] - a[5]) / span * 100:14.1f} {w['n']:8d}")
        after_first = [s[2] for s in samples if s[1] >= 200]
        if after_first:
            base = next(s[2] for s in samples if s[1] >= 200)
            print(f"\nwatcher memory: {rss_before:.1f} MB idle before, {base:.1f} MB at 200 "
                  f"pages, at most {max(after_first):.1f} MB after ({max(after_first) / base:.2f}"
                  f" x), {rss_after:.1f} MB idle after ({rss_after / rss_before:.2f} x before)")
        for kind, values in latencies.items():
            if values:
                print(f"copy end to page in the index, office {kind}: median "
                      f"{statistics.median(values):.2f} s, at most {max(values):.2f} s over "
                      f"{len(values)} decks = {statistics.median(values) / run_time:.2f} x "
                      f"the reference run ({run_time:.2f} s); the settle time is 2 s of it")
        print(f"idle processor time: {idle_before * 100:.3f} % of a core before, "
              f"{idle_after * 100:.3f} % after")
        watcher.terminate()
        watcher.wait(60)
        print(f"the watcher ended with {watcher.returncode} on SIGTERM; offices left: "
              f"{len(offices(pipe))}")
        # The reference for its memory: a watcher started afresh on the
        # archive as the soak left it (it indexes all of it as it starts).
        fresh_status = os.path.join(work, "fresh.json")
        fresh = subprocess.Popen([program, "--watch", "--index", "--jobs", str(args.jobs),
                                  "--status", fresh_status, "--out", out, tree],
                                 env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for(lambda: status(fresh_status).get("state") == "idle", 600, 0.5)
        time.sleep(5)
        rss_fresh = rss_mb(fresh.pid)
        fresh.terminate()
        fresh.wait(60)
        print(f"memory idle after the soak: {rss_after:.1f} MB = {rss_after / rss_fresh:.2f} x "
              f"that of a watcher started afresh on the same archive ({rss_fresh:.1f} MB)")
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
