"""Debian's Chromium, headless, driven over the DevTools protocol on the
loopback: enough to open a page, run script in it, type and take a picture.
Shared by the browser test, the archive benchmark and the README pictures."""

import base64
import json
import os
import shutil
import subprocess
import tempfile
import time
import urllib.request

import websocket


class Chromium:
    def __init__(self, width=1100, height=800):
        self.profile = tempfile.mkdtemp(prefix="deckvane-chromium-")
        args = ["chromium", "--headless", "--disable-gpu", "--disable-background-networking",
                "--disable-component-update", "--disable-sync", "--no-first-run",
                "--no-default-browser-check", "--hide-scrollbars",
                "--remote-debugging-address=127.0.0.1", "--remote-debugging-port=0",
                f"--user-data-dir={self.profile}", f"--window-size={width},{height}",
                "about:blank"]
        if os.geteuid() == 0:
            args.insert(1, "--no-sandbox")
        self.process = subprocess.Popen(args, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        port_file = os.path.join(self.profile, "DevToolsActivePort")
        deadline = time.monotonic() + 30
        while not os.path.exists(port_file) or os.path.getsize(port_file) == 0:
            if time.monotonic() > deadline or self.process.poll() is not None:
                self.close()
                raise RuntimeError("chromium did not open its DevTools port")
            time.sleep(0.05)
        with open(port_file) as lines:
            port = lines.read().split()[0]
        with urllib.request.urlopen(f"http://127.0.0.1:{port}/json/list") as answer:
            page = next(t for t in json.load(answer) if t["type"] == "page")
        self.socket = websocket.create_connection(page["webSocketDebuggerUrl"],
                                                  suppress_origin=True)
        self.next_id = 0
        self.events = []
        self.call("Page.enable")
        self.call("Runtime.enable")

    def call(self, method, **params):
        self.next_id += 1
        self.socket.send(json.dumps({"id": self.next_id, "method": method, "params": params}))
        while True:
            message = json.loads(self.socket.recv())
            if message.get("id") == self.next_id:
                if "error" in message:
                    raise RuntimeError(f"{method}: {message['error']}")
                return message.get("result", {})
            if "method" in message:
                self.events.append(message)

    def wait_event(self, name, timeout=30):
        deadline = time.monotonic() + timeout
        self.socket.settimeout(timeout)
        while time.monotonic() < deadline:
            for i, event in enumerate(self.events):
                if event["method"] == name:
                    return self.events.pop(i)
            message = json.loads(self.socket.recv())
            if "method" in message:
                self.events.append(message)
        raise TimeoutError(name)

    def open(self, url):
        self.events.clear()
        self.call("Page.navigate", url=url)
        self.wait_event("Page.loadEventFired")

    def evaluate(self, expression):
        result = self.call("Runtime.evaluate", expression=expression, awaitPromise=True,
                           returnByValue=True)
        if "exceptionDetails" in result:
            raise RuntimeError(f"{expression}: {result['exceptionDetails']}")
        return result["result"].get("value")

    def wait_for(self, expression, timeout=20):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if self.evaluate(expression):
                return
            time.sleep(0.02)
        raise TimeoutError(expression)

    def console_errors(self):
        return [e for e in self.events
                if e["method"] == "Runtime.exceptionThrown"
                or (e["method"] == "Runtime.consoleAPICalled" and e["params"]["type"] == "error")]

    def screenshot(self, path):
        data = self.call("Page.captureScreenshot", format="png")["data"]
        with open(path, "wb") as out:
            out.write(base64.b64decode(data))

    def close(self):
        if getattr(self, "socket", None):
            self.socket.close()
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        shutil.rmtree(self.profile, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
