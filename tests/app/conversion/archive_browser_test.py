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
SLIDE = """<draw:page draw:name="{name}" draw:master-page-name="Default">{title}
  <draw:frame svg:x="2cm" svg:y="6cm" svg:width="24cm" svg:height="3cm">
    <draw:text-box><text:p>{text}</text:p></draw:text-box>
  </draw:frame>
  <presentation:notes>
    <draw:page-thumbnail presentation:class="page" svg:x="3cm" svg:y="2cm" svg:width="15cm" svg:height="11cm" draw:page-number="{page}"/>
    <draw:frame presentation:style-name="pr1" draw:layer="layout" presentation:class="notes" presentation:user-transformed="true" svg:x="2cm" svg:y="14cm" svg:width="17cm" svg:height="10cm">
      <draw:text-box><text:p>{notes}</text:p></draw:text-box>
    </draw:frame>
  </presentation:notes>
</draw:page>"""


TITLE = """
  <draw:frame presentation:class="title" presentation:style-name="pr1" draw:layer="layout"
    svg:x="2cm" svg:y="1cm" svg:width="24cm" svg:height="3cm">
    <draw:text-box><text:p>{}</text:p></draw:text-box>
  </draw:frame>"""


def write_deck(path, slides):
    """Slides are (text, notes) or (title, text, notes); a slide's name is
    its title, as the office's importers name them, and the first one's
    titles the deck."""
    os.makedirs(os.path.dirname(path), exist_ok=True)
    slides = [s if len(s) == 3 else (None,) + s for s in slides]
    body = "".join(SLIDE.format(number=i + 1, page=i + 1, text=html.escape(text),
                                notes=html.escape(notes), name=html.escape(title or f"Slide {i + 1}"),
                                title=TITLE.format(html.escape(title)) if title else "")
                   for i, (title, text, notes) in enumerate(slides))
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
                   [("Ordinary words", "Zanzibar is an island, its maintenance yearly")])
        # Known right answers: the deck named for a word comes first, then
        # the one repeating it, then a passing mention.
        write_deck(os.path.join(cls.decks, "fleet", "program.fodp"),
                   [("A Maintenance Program for buses", "Kick-off of the fleet's work", ""),
                    ("Checks", "A daily checklist for drivers", ""),
                    ("Fleet", "Forty buses", "")])
        write_deck(os.path.join(cls.decks, "fleet", "workshop.fodp"),
                   [("Werkstatt: Instand\u00adhaltung", "maintenance of lifts, maintenance of doors",
                     "more maintenance"), ("Plan", "maintenance again", "")])
        write_deck(os.path.join(cls.decks, "library.fodp"),
                   [("Opening hours", ""), ("Books and more", "")])
        write_deck(os.path.join(cls.decks, "reading.fodp"),
                   [("Reading rooms", "Public libraries and school libraries", "")])
        cls.run_batch("--title", "Talk's & <more> \\")
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

    def results(self, what="a.title"):
        """The decks found, best first (or what="li a": their slides)."""
        return [urllib.parse.unquote(href).split("#")[0] for href in self.browser.evaluate(
            f"Array.from(document.querySelectorAll('#results .hit {what}'))"
            ".map(a => a.getAttribute('href'))")]

    def summary(self):
        return self.browser.evaluate("document.getElementById('summary').textContent")

    def test_searches(self):
        self.open("#q=zanzibarite")
        self.assertEqual(self.results(), ["alpha.htm"])
        self.assertEqual(self.results("li a"), ["alpha_files/img0.html"],
                         "a word only in one slide's notes finds that slide alone")
        self.browser.wait_for("document.querySelector('#results .context mark') !== null")
        self.assertEqual(self.browser.evaluate(
            "document.querySelector('#results .context mark').textContent"), "zanzibarite")
        self.assertEqual(self.browser.evaluate(
            "document.querySelector('#results .hit li a').getAttribute('href')"),
            "alpha_files/img0.html#q=zanzibarite", "the slide's page is told what to show")

        self.type("全文検索")
        self.assertEqual(self.results("li a"), ["talks/beta_files/img0.html"])
        self.assertEqual(urllib.parse.unquote(self.browser.evaluate("location.hash")),
                         "#q=全文検索", "the address follows what is typed")

        self.type("CAFE")
        self.assertEqual(self.results("li a"), ["alpha_files/img1.html", "talks/beta_files/img1.html"],
                         "case and accents do not matter")
        self.type("zanz")
        self.assertEqual(sorted(self.results()), ["alpha.htm", "talks/gamma.htm"],
                         "the word being typed is a prefix")
        self.type("qwertyuiop")
        self.assertEqual(self.results(), [])
        self.assertEqual(self.summary(), "Nothing found")

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

    def test_ranking(self):
        self.open("#q=maintenance")
        self.assertEqual(self.results(), ["fleet/program.htm", "fleet/workshop.htm",
                                          "talks/gamma.htm"],
                         "the deck's title first, then the deck repeating the word, then once")
        self.assertEqual(self.browser.evaluate("document.getElementById('sort').value"),
                         "relevance")
        self.browser.evaluate("{ const s = document.getElementById('sort'); s.value = 'name';"
                              " s.dispatchEvent(new Event('change')); }")
        self.assertEqual(self.results(), ["fleet/program.htm", "talks/gamma.htm",
                                          "fleet/workshop.htm"], "Sort by applies to the search")
        self.type("maintenance checklist")
        self.assertEqual(self.results(), ["fleet/program.htm"], "a deck holds every word")
        self.type("fleet checklist")
        self.assertEqual(self.results(), ["fleet/program.htm"],
                         "words on different slides of one deck find the deck")
        self.assertEqual(self.results("li a"), ["fleet/program_files/img2.html",
                                                "fleet/program_files/img0.html",
                                                "fleet/program_files/img1.html"],
                         "the slide whose title has a word first")
        self.type("libraries")
        self.assertEqual(self.results(), ["library.htm", "reading.htm"],
                         "a plural finds the deck whose file is named in the singular, first")
        self.type("instandhaltung")
        self.assertEqual(self.results(), ["fleet/workshop.htm"])
        self.assertEqual(self.browser.evaluate("document.querySelector('#results .title').textContent"),
                         "Werkstatt: Instand\u00adhaltung", "a soft hyphen is no word's end")
        self.type("workshop")
        self.assertEqual(self.results(), ["fleet/workshop.htm"], "files' names are found")
        self.type("talks")
        self.assertEqual(sorted(self.results()), ["talks/beta.htm", "talks/gamma.htm"],
                         "and folders'")

    def test_front_page(self):
        self.open()
        self.assertEqual(self.browser.evaluate("[document.title, document.querySelector('h1').textContent]"),
                         ["Talk's & <more> \\"] * 2)
        self.assertEqual(self.browser.evaluate(
            "Array.from(document.querySelectorAll('#archive > details[open] > summary'))"
            ".map(s => s.textContent)"), ["fleet (2 decks)", "talks (2 decks)"],
            "the first level of folders is open")
        titles = self.browser.evaluate(
            "Array.from(document.querySelectorAll('#archive a.title')).map(a => a.textContent)")
        self.assertIn("library", titles, "a deck without a title is shown by its file's name")
        self.assertIn("A Maintenance Program for buses", titles)
        self.assertFalse([t for t in titles if t.startswith("Slide") or "&" in t], titles)
        self.assertTrue(self.browser.evaluate(
            "document.querySelector('#sort option[value=relevance]').hidden"),
            "no best match without a search")

    def test_counts_say_at_least_while_a_prefix_is_partly_read(self):
        # Pages written directly: many words of one prefix fill more
        # chunks of the index than a two-letter prefix reads.
        out = os.path.join(self.temp.name, "many")
        words = [f"pr{i:05d}" for i in range(9000)]
        os.makedirs(os.path.join(out, "many_files"))
        with open(os.path.join(out, "many.htm"), "w") as page:
            page.write("<html><head><title>Many words</title></head></html>")
        for slide in range(12):
            with open(os.path.join(out, "many_files", f"img{slide}.html"), "w") as page:
                page.write("<html></html>")
            with open(os.path.join(out, "many_files", f"text{slide}.html"), "w") as page:
                page.write("<body><center>x</center><p>" +
                           " ".join(words[slide * 750:(slide + 1) * 750]) + "</p></body>")
        empty = os.path.join(self.temp.name, "empty")
        os.makedirs(empty, exist_ok=True)
        subprocess.run([BATCH, "--index", "--out", out, empty], check=True, capture_output=True)
        self.browser.open("file://" + urllib.parse.quote(os.path.join(out, "index.html")) +
                          "#q=pr")
        self.browser.wait_for("document.body.dataset.state === 'ready'")
        self.assertEqual(self.summary(), "at least 1 deck found")
        self.type("pr08999")
        self.assertEqual(self.summary(), "1 deck found")

    def test_zz_a_deck_added_later_is_found_after_an_update(self):
        write_deck(os.path.join(self.decks, "talks", "late.fodp"),
                   [("Latecomer", "Arrived after the first run")])
        self.run_batch("--update")
        self.open("#q=latecomer")
        self.assertEqual(self.results(), ["talks/late.htm"])
        self.type("zanzibarite")
        self.assertEqual(self.results(), ["alpha.htm"], "earlier decks stay found")
        self.type("")
        self.assertEqual(self.summary(), "8 decks, 14 slides")
        self.assertEqual(self.browser.evaluate("document.title"), "Talk's & <more> \\",
                         "a later run keeps the archive's name")


if __name__ == "__main__":
    BATCH = sys.argv.pop(1)
    unittest.main()
