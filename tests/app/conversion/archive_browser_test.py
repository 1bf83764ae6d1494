#!/usr/bin/python3
"""The archive's front page in a real browser: decks this test writes are
converted by deckvane-batch with a private LibreOffice, and the index is
searched in headless Chromium, typed into as a person would.

    archive_browser_test.py DECKVANE_BATCH"""

import html
import os
import random
import shutil
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


class ArchiveCase(unittest.TestCase):
    """An output folder in a temporary folder, searched in one Chromium."""

    @classmethod
    def tearDownClass(cls):
        cls.browser.close()
        cls.temp.cleanup()

    @staticmethod
    def batch(*arguments, **environment):
        done = subprocess.run([BATCH, *arguments], env=dict(os.environ, **environment),
                              capture_output=True, text=True, timeout=240)
        if done.returncode != 0:
            raise AssertionError(f"deckvane-batch failed: {done.stdout}{done.stderr}")


class ArchiveInABrowser(ArchiveCase):
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
    def run_batch(cls, *options):
        cls.batch("--masks", "*.fodp", "--tree", "--index", *options, "--out", cls.out, cls.decks,
                  DECKVANE_OFFICE_PIPE=f"deckvane-browser-{os.getpid()}",
                  DECKVANE_OFFICE_PROFILE=os.path.join(cls.temp.name, "profile"))

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


TEXT_PAGE = ("<html><head><title>Slide {number}</title></head><body><center>"
             "<a href=\"../{name}.htm\">Overview</a></center><h1>{title}</h1><p>{text}</p>"
             "<h3>Notes:</h3><p>{notes}</p></body></html>")
CJK = "全文検索会議資料売上報告新製品計画市場分析技術開発年度予算結果"


class ARealSizedArchive(ArchiveCase):
    """Thousands of slides, written the way the export leaves them (only their
    text matters here), indexed by deckvane-batch and searched in Chromium:
    every answer is checked against a plain scan of the slides' texts, for
    words found on a few slides (listed by number) and on many (a bitmap),
    prefixes, and Chinese and Japanese runs and single characters."""

    @classmethod
    def setUpClass(cls):
        rng = random.Random(29)
        cls.temp = tempfile.TemporaryDirectory(prefix="deckvane-archive-big-")
        cls.out = os.path.join(cls.temp.name, "out")
        cls.empty = os.path.join(cls.temp.name, "decks")
        os.makedirs(cls.empty)
        common = [f"word{i}" for i in range(60)]
        cls.rare = [f"rare{i}x" for i in range(12)]
        cls.slides = {}  # the link of a slide's page: its text, title included
        for d in range(240):
            name = f"deck{d:03d}"
            folder = os.path.join(cls.out, f"part{d % 6}")
            files = os.path.join(folder, name + "_files")
            os.makedirs(files)
            with open(os.path.join(folder, name + ".htm"), "w") as page:
                page.write(f"<html><head><title>Deck {d}</title></head><body></body></html>")
            for n in range(rng.randint(4, 26)):
                text = rng.choices(common, weights=[1 / (r + 1) for r in range(60)], k=12)
                if rng.random() < 0.35:
                    text.append("often")
                if rng.random() < 0.004 * len(cls.rare):
                    text.append(rng.choice(cls.rare))
                if rng.random() < 0.1:
                    start = rng.randrange(len(CJK) - 5)
                    text.append(CJK[start:start + rng.randint(2, 5)])
                text = " ".join(text)
                with open(os.path.join(files, f"img{n}.html"), "w") as page:
                    page.write("<html></html>")
                with open(os.path.join(files, f"text{n}.html"), "w", encoding="utf-8") as page:
                    page.write(TEXT_PAGE.format(number=n + 1, name=name, title="", text=text,
                                                notes=""))
                cls.slides[f"part{d % 6}/{name}_files/img{n}.html"] = \
                    (f"Deck {d} " if n == 0 else "") + text
        cls.batch("--index", "--out", cls.out, cls.empty)
        cls.browser = Chromium()

    def search(self, query):
        """What the front page finds: the number of decks it says, and for each
        deck it lists, its page, its "words on K of M slides" and the slides it
        links to."""
        self.browser.open("about:blank")
        self.browser.open("file://" + urllib.parse.quote(os.path.join(self.out, "index.html"))
                          + "#q=" + urllib.parse.quote(query))
        self.browser.wait_for("document.body.dataset.state === 'ready'")
        summary = self.browser.evaluate("document.getElementById('summary').textContent")
        found = 0 if summary == "Nothing found" else int(summary.split()[0].replace(",", ""))
        return found, self.browser.evaluate("""
            Array.from(document.querySelectorAll('#results li.hit')).map(li => ({
              deck: li.querySelector('a.title').getAttribute('href').split('#')[0],
              meta: li.querySelector('.meta').textContent,
              slides: Array.from(li.querySelectorAll('ul.slides a'))
                .map(a => a.getAttribute('href').split('#')[0])}))""")

    def expect(self, query, *terms):
        """Checks a search against a scan of the texts: a deck is found when
        every term holds on one of its slides; the slides it shows each hold a
        term, and it counts every slide that does."""
        decks = {}
        for link, text in self.slides.items():
            decks.setdefault(link.split("_files/")[0] + ".htm", {})[link] = text
        expected = {}
        for deck, slides in decks.items():
            if all(any(term(text) for text in slides.values()) for term in terms):
                expected[deck] = {link for link, text in slides.items()
                                  if any(term(text) for term in terms)}
        found, listed = self.search(query)
        self.assertEqual(found, len(expected), query)
        self.assertEqual(len(listed), min(found, 10), query)
        for hit in listed:
            self.assertIn(hit["deck"], expected, query)
            holding = expected[hit["deck"]]
            self.assertTrue(hit["meta"].startswith(f"words on {len(holding)} of "),
                            (query, hit))
            self.assertTrue(hit["slides"] and set(hit["slides"]) <= holding, (query, hit))
        if found <= 10:
            self.assertEqual({hit["deck"] for hit in listed}, set(expected), query)
        return found

    def test_every_answer_is_what_a_scan_of_the_texts_finds(self):
        self.assertGreater(len(self.slides), 3000)
        words = lambda text: set(text.lower().split())
        has = lambda word: lambda text: word in words(text)
        for word in self.rare + ["word7", "word31"]:
            self.assertGreater(self.expect(word + " ", has(word)), 1, word)
        self.assertGreater(self.expect("often ", has("often")), 100)
        self.expect("rare1", lambda t: any(w.startswith("rare1") for w in words(t)))
        self.expect("word3 often ", has("word3"), has("often"))
        for character in "検画":
            self.assertGreater(self.expect(character, lambda t, c=character: c in t), 1)
        self.expect("市場分析", *[lambda t, p=p: p in t for p in ("市場", "場分", "分析")])

    def test_zz_a_page_removed_by_hand_leaves_the_index_at_the_next_update(self):
        gone = next(link for link, text in self.slides.items() if "rare5x" in text.split())
        page = os.path.join(self.out, gone.split("_files/")[0])
        shutil.rmtree(page + "_files")
        os.remove(page + ".htm")
        for link in [link for link in self.slides if link.startswith(gone.split("img")[0])]:
            del self.slides[link]
        self.batch("--update", "--index", "--out", self.out, self.empty)
        self.expect("rare5x ", lambda t: "rare5x" in t.split())
        self.expect("often ", lambda t: "often" in t.split())

if __name__ == "__main__":
    BATCH = sys.argv.pop(1)
    unittest.main()
