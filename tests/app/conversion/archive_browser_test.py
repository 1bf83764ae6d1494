#!/usr/bin/python3
"""The archive's front page in a real browser: decks this test writes are
converted by deckvane-batch with a private LibreOffice, and the index is
searched in headless Chromium, typed into as a person would.

    archive_browser_test.py DECKVANE_BATCH"""

import html
import os
import subprocess
import sys
import tempfile
import unittest
import urllib.parse

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from chromium import Chromium  # noqa: E402

BATCH = None

DECK = """<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
  xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
  xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
  xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"
  xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
  xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"
  xmlns:presentation="urn:oasis:names:tc:opendocument:xmlns:presentation:1.0"
  office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.presentation">
  <office:automatic-styles>
    <style:page-layout style:name="PM1">
      <style:page-layout-properties fo:page-width="28cm" fo:page-height="21cm"/>
    </style:page-layout>
    <style:style style:name="pr1" style:family="presentation"/>
  </office:automatic-styles>
  <office:master-styles>
    <style:master-page style:name="Default" style:page-layout-name="PM1">
      <presentation:notes>
        <draw:page-thumbnail presentation:class="page" svg:x="3cm" svg:y="2cm" svg:width="15cm" svg:height="11cm"/>
        <draw:frame presentation:class="notes" svg:x="2cm" svg:y="14cm" svg:width="17cm" svg:height="10cm">
          <draw:text-box/>
        </draw:frame>
      </presentation:notes>
    </style:master-page>
  </office:master-styles>
  <office:body><office:presentation>{slides}</office:presentation></office:body>
</office:document>
"""
SLIDE = """<draw:page draw:name="Slide {number}" draw:master-page-name="Default">
  <draw:frame svg:x="2cm" svg:y="2cm" svg:width="24cm" svg:height="3cm">
    <draw:text-box><text:p>{text}</text:p></draw:text-box>
  </draw:frame>
  <presentation:notes>
    <draw:page-thumbnail presentation:class="page" svg:x="3cm" svg:y="2cm" svg:width="15cm" svg:height="11cm" draw:page-number="{page}"/>
    <draw:frame presentation:style-name="pr1" draw:layer="layout" presentation:class="notes" presentation:user-transformed="true" svg:x="2cm" svg:y="14cm" svg:width="17cm" svg:height="10cm">
      <draw:text-box><text:p>{notes}</text:p></draw:text-box>
    </draw:frame>
  </presentation:notes>
</draw:page>"""


def write_deck(path, slides):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    body = "".join(SLIDE.format(number=i + 1, page=i + 1, text=html.escape(text),
                                notes=html.escape(notes))
                   for i, (text, notes) in enumerate(slides))
    with open(path, "w", encoding="utf-8") as out:
        out.write(DECK.format(slides=body))


class ArchiveInABrowser(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.temp = tempfile.TemporaryDirectory(prefix="deckvane-archive-")
        cls.decks = os.path.join(cls.temp.name, "decks")
        cls.out = os.path.join(cls.temp.name, "out")
        write_deck(os.path.join(cls.decks, "alpha.fodp"),
                   [("Quarterly figures", "Remember the zanzibarite samples"),
                    ("Café au lait", "Nothing else")])
        write_deck(os.path.join(cls.decks, "talks", "beta.fodp"),
                   [("全文検索のデモ", "話す内容"), ("Cafe menu", "Prices")])
        write_deck(os.path.join(cls.decks, "talks", "gamma.fodp"),
                   [("Ordinary words", "Zanzibar is an island")])
        cls.run_batch()
        cls.browser = Chromium()

    @classmethod
    def tearDownClass(cls):
        cls.browser.close()
        cls.temp.cleanup()

    @classmethod
    def run_batch(cls, *options):
        env = dict(os.environ, DECKVANE_OFFICE_PIPE=f"deckvane-browser-{os.getpid()}",
                   DECKVANE_OFFICE_PROFILE=os.path.join(cls.temp.name, "profile"))
        done = subprocess.run([BATCH, "--masks", "*.fodp", "--tree", "--index", *options,
                               "--out", cls.out, cls.decks], env=env, capture_output=True,
                              text=True, timeout=240)
        if done.returncode != 0:
            raise AssertionError(f"deckvane-batch failed: {done.stdout}{done.stderr}")

    def open(self, address=""):
        self.browser.open("about:blank")
        url = "file://" + urllib.parse.quote(os.path.join(self.out, "index.html")) + address
        self.browser.open(url)
        self.browser.wait_for("document.body.dataset.state === 'ready'")

    def type(self, text):
        self.browser.evaluate("{ const q = document.getElementById('q'); q.focus(); q.select(); }")
        if text:
            self.browser.call("Input.insertText", text=text)
        else:
            self.browser.call("Input.dispatchKeyEvent", type="keyDown", key="Escape",
                              windowsVirtualKeyCode=27)
        self.browser.wait_for("document.body.dataset.state === 'ready'")

    def results(self):
        return self.browser.evaluate(
            "Array.from(document.querySelectorAll('#results li:not(.more-holder) a'))"
            ".map(a => a.getAttribute('href'))")

    def test_searches(self):
        self.open("#q=zanzibarite")
        self.assertEqual(self.results(), ["alpha_files/img0.html"],
                         "a word only in one slide's notes finds that slide alone")
        self.browser.wait_for("document.querySelector('#results mark') !== null")
        self.assertEqual(self.browser.evaluate("document.querySelector('#results mark').textContent"),
                         "zanzibarite")

        self.type("全文検索")
        self.assertEqual(self.results(), ["talks/beta_files/img0.html"])
        self.assertEqual(urllib.parse.unquote(self.browser.evaluate("location.hash")),
                         "#q=全文検索", "the address follows what is typed")

        self.type("CAFE")
        self.assertEqual(self.results(), ["alpha_files/img1.html", "talks/beta_files/img1.html"],
                         "case and accents do not matter")
        self.type("zanz")
        self.assertEqual(self.results(), ["alpha_files/img0.html", "talks/gamma_files/img0.html"],
                         "the word being typed is a prefix")
        self.type("qwertyuiop")
        self.assertEqual(self.results(), [])
        self.assertEqual(self.browser.evaluate("document.getElementById('summary').textContent"),
                         "Nothing found")

        self.open("?q=" + urllib.parse.quote("café"))
        self.assertEqual(len(self.results()), 2, "?q= opens with the search done")
        self.assertEqual(self.browser.console_errors(), [], "nothing refused by the page's policy")

    def key(self, name, code):
        self.browser.call("Input.dispatchKeyEvent", type="keyDown", key=name, code=name,
                          windowsVirtualKeyCode=code)

    # A search result opens the slide's page with the words it found marked;
    # the keys move through the deck; the page leads home; its own script
    # runs under its policy and nothing else complains.
    def test_slide_pages(self):
        page = os.path.join(self.out, "talks", "beta_files", "img0.html")
        self.browser.open("about:blank")
        self.browser.open("file://" + urllib.parse.quote(page) + "#q=" + urllib.parse.quote("検索"))
        self.browser.wait_for("document.querySelector('mark.dv-found') !== null")
        self.assertEqual(self.browser.evaluate(
            "Array.from(document.querySelectorAll('mark')).map(m => m.textContent)"), ["検索"])
        self.assertEqual(self.browser.evaluate("document.documentElement.lang"), "ja")
        self.assertEqual(self.browser.evaluate("document.querySelector('.dv-pos').textContent"),
                         "Slide 1 of 2")
        self.assertIn("hdimg0.jpg 1600w", self.browser.evaluate(
            "document.querySelector('img.dv-slide').getAttribute('srcset')"))
        self.assertTrue(self.browser.evaluate(
            "document.querySelector('a[rel=home]').href.endsWith('/out/index.html')"))
        self.assertEqual(self.browser.console_errors(), [])
        self.key("ArrowRight", 39)
        self.browser.wait_for("location.pathname.endsWith('/img1.html')")
        self.browser.wait_for("document.readyState === 'complete'")
        self.key("Home", 36)
        self.browser.wait_for("location.pathname.endsWith('/img0.html')")
        self.browser.wait_for("document.readyState === 'complete'")
        self.key("End", 35)
        self.browser.wait_for("location.pathname.endsWith('/img1.html')")
        self.browser.wait_for("document.readyState === 'complete'")
        self.key("PageUp", 33)
        self.browser.wait_for("location.pathname.endsWith('/img0.html')")

        self.browser.open("about:blank")
        page = os.path.join(self.out, "alpha_files", "img1.html")
        self.browser.open("file://" + urllib.parse.quote(page) + "#q=cafe+nothing")
        self.browser.wait_for("document.querySelectorAll('mark.dv-found').length === 2")
        self.assertEqual(self.browser.evaluate(
            "Array.from(document.querySelectorAll('mark')).map(m => m.textContent)"),
            ["Café", "Nothing"], "case and accents do not matter, notes are searched")

    def test_zz_a_deck_added_later_is_found_after_an_update(self):
        write_deck(os.path.join(self.decks, "talks", "late.fodp"),
                   [("Latecomer", "Arrived after the first run")])
        self.run_batch("--update")
        self.open("#q=latecomer")
        self.assertEqual(self.results(), ["talks/late_files/img0.html"])
        self.type("zanzibarite")
        self.assertEqual(self.results(), ["alpha_files/img0.html"], "earlier decks stay found")
        self.type("")
        self.assertEqual(self.browser.evaluate("document.getElementById('summary').textContent"),
                         "4 decks, 6 slides")


if __name__ == "__main__":
    BATCH = sys.argv.pop(1)
    unittest.main()
