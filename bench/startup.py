#!/usr/bin/env python3
"""Time from starting deckvane to its window's first paint, under Xvfb, and
on to the banner page having loaded.

Runs deckvane and a bare Qt window of the same size (the reference, built here)
in turn, round after round, so both see the same machine load, and prints for
each the median, the quartiles and the extremes of the time to the first
paint, deckvane's time until its banner page has finished loading, and the
ratio of the medians.
    bench/startup.py [--runs N] [--build DIR] [--also DIR ...]
--also adds the deckvane of another build folder (an older checkout, say) to
the same rounds; the builds take turns at going first in a round.
"""
import argparse, os, statistics, subprocess, sys, tempfile, time

def xvfb():
    for n in range(93, 120):
        display = ":%d" % n
        if os.path.exists("/tmp/.X11-unix/X%d" % n):
            continue
        proc = subprocess.Popen(["Xvfb", display, "-screen", "0", "1280x800x24", "-nolisten", "tcp"],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(1.0)
        if proc.poll() is None:
            return proc, display
    raise RuntimeError("no free X display for Xvfb")

def one_run(cmd, env):
    """Seconds from the start to each line the program's probe printed."""
    start = time.monotonic()
    out = subprocess.run(cmd, env=env, capture_output=True, text=True, timeout=60).stdout
    marks = {}
    for line in out.splitlines():
        parts = line.split()
        if len(parts) == 2 and parts[0] in ("shown", "banner"):
            marks[parts[0]] = float(parts[1]) - start
    if "shown" not in marks:
        raise RuntimeError("no 'shown' line from %s: %r" % (cmd[0], out))
    return marks

REFERENCE = r'''
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <ctime>
class W : public QWidget { bool done = false; protected: void paintEvent(QPaintEvent*) override {
  if (done) return; done = true; QTimer::singleShot(0, []{ timespec n{}; clock_gettime(CLOCK_MONOTONIC, &n);
  std::printf("shown %.6f\n", n.tv_sec + n.tv_nsec / 1e9); std::fflush(stdout); QApplication::quit(); }); } };
int main(int c, char** v) { QApplication a(c, v); W w; w.resize(831, 482); w.show(); return a.exec(); }
'''

def build_reference(tmp):
    src = os.path.join(tmp, "ref.cpp")
    exe = os.path.join(tmp, "ref")
    with open(src, "w") as f:
        f.write(REFERENCE)
    flags = subprocess.run(["pkg-config", "--cflags", "--libs", "Qt6Widgets"],
                           capture_output=True, text=True, check=True).stdout.split()
    subprocess.run(["g++", "-O2", "-fPIC", "-std=c++20", src, "-o", exe] + flags, check=True)
    return exe

def summary(times):
    ms = sorted(t * 1000 for t in times)
    q = statistics.quantiles(ms, n=4) if len(ms) > 1 else [ms[0]] * 3
    return "median %4.0f ms  quartiles %4.0f-%-4.0f  range %4.0f-%-4.0f" % (
        q[1], q[0], q[2], ms[0], ms[-1])

def main():
    here = os.path.dirname(os.path.abspath(__file__))
    ap = argparse.ArgumentParser()
    ap.add_argument("--runs", type=int, default=15)
    ap.add_argument("--build", default=os.path.join(here, "..", "build"))
    ap.add_argument("--also", action="append", default=[],
                    help="another build folder whose deckvane joins the rounds")
    args = ap.parse_args()
    programs = [("deckvane", os.path.join(args.build, "bin", "deckvane"))]
    programs += [("deckvane (%s)" % d, os.path.join(d, "bin", "deckvane")) for d in args.also]
    server, display = xvfb()
    try:
        with tempfile.TemporaryDirectory() as tmp:
            programs.append(("bare Qt window", build_reference(tmp)))
            env = dict(os.environ, DISPLAY=display, DECKVANE_STARTUP_PROBE="1",
                       QTWEBENGINE_DISABLE_SANDBOX="1")
            env.pop("QT_QPA_PLATFORM", None)
            for _, exe in programs:
                one_run([exe], env)  # warm the file cache
            marks = {name: [] for name, _ in programs}
            ours = programs[:-1]
            for r in range(args.runs):
                # The builds take turns at going first: the one that follows
                # another deckvane finds its files and libraries warmer.
                turn = ours[r % len(ours):] + ours[:r % len(ours)]
                for name, exe in turn + programs[-1:]:
                    marks[name].append(one_run([exe], env))
    finally:
        server.terminate()
    print("%d rounds, each program once per round, under Xvfb" % args.runs)
    width = max(len(name) for name, _ in programs)
    for name, _ in programs:
        print("%-*s  first paint  %s" % (width, name, summary([m["shown"] for m in marks[name]])))
        banner = [m["banner"] for m in marks[name] if "banner" in m]
        if banner:
            print("%-*s  banner page  %s" % (width, "", summary(banner)))
    bare = statistics.median(m["shown"] for m in marks["bare Qt window"])
    for name, _ in programs[:-1]:
        ours = statistics.median(m["shown"] for m in marks[name])
        print("ratio %s / bare Qt window, first paint: %.2f" % (name, ours / bare))

if __name__ == "__main__":
    sys.exit(main())
