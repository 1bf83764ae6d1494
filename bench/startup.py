#!/usr/bin/env python3
"""Time from starting deckvane to its window's first paint, under Xvfb.

Prints the median of several runs, and the same for a bare Qt window
(the reference run in the same invocation), with the ratio between them.
    bench/startup.py [--runs N] [--build DIR]
"""
import argparse, os, statistics, subprocess, sys, tempfile, time

def xvfb():
    display = ":93"
    proc = subprocess.Popen(["Xvfb", display, "-screen", "0", "1280x800x24"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(1.0)
    return proc, display

def one_run(cmd, env):
    start = time.monotonic()
    out = subprocess.run(cmd, env=env, capture_output=True, text=True, timeout=60).stdout
    for line in out.splitlines():
        if line.startswith("shown "):
            return float(line.split()[1]) - start
    raise RuntimeError("no 'shown' line from %s: %r" % (cmd[0], out))

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

def main():
    here = os.path.dirname(os.path.abspath(__file__))
    ap = argparse.ArgumentParser()
    ap.add_argument("--runs", type=int, default=7)
    ap.add_argument("--build", default=os.path.join(here, "..", "build"))
    args = ap.parse_args()
    app = os.path.join(args.build, "bin", "deckvane")
    server, display = xvfb()
    try:
        with tempfile.TemporaryDirectory() as tmp:
            ref = build_reference(tmp)
            env = dict(os.environ, DISPLAY=display, DECKVANE_STARTUP_PROBE="1",
                       QTWEBENGINE_DISABLE_SANDBOX="1")
            env.pop("QT_QPA_PLATFORM", None)
            one_run([app], env)  # warm the file cache
            ours = [one_run([app], env) for _ in range(args.runs)]
            bare = [one_run([ref], env) for _ in range(args.runs)]
    finally:
        server.terminate()
    m_ours, m_bare = statistics.median(ours), statistics.median(bare)
    print("deckvane: median %.0f ms to a shown window (%d runs: %s)"
          % (m_ours * 1000, args.runs, " ".join("%.0f" % (t * 1000) for t in ours)))
    print("bare Qt window: median %.0f ms" % (m_bare * 1000))
    print("ratio deckvane / bare Qt window: %.2f" % (m_ours / m_bare))

if __name__ == "__main__":
    sys.exit(main())
