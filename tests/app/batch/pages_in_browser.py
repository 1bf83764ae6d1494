"""Opens every page below an output folder in headless Chromium, with the
pages' own policy set aside so that the cleaning alone is tried, and names
what would run or reach out: script that ran (a dialog, a handler), live
javascript:, vbscript: and data: addresses, styles that load from anywhere
but the disk, links to files that are not there, and files a browser could
run that are not pages or pictures. Prints one line per finding; exits 1 when
there is any.

    pages_in_browser.py OUT
"""

import os
import sys
import urllib.parse

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "conversion"))
from chromium import Chromium  # noqa: E402

# Before the page's own script: what a page's script would call is noted.
NOTE_SCRIPT = """
window.__ran = [];
for (const name of ['alert', 'confirm', 'prompt', 'print', 'open'])
    window[name] = (...args) => { window.__ran.push(name + '(' + args.join(',') + ')'); };
"""

FIND = r"""(() => {
    const found = [];
    const links = [];
    const live = /^(javascript|vbscript|data):/i;
    for (const e of document.querySelectorAll('*')) {
        for (const a of e.attributes) {
            if (a.name.startsWith('on')) found.push(`${e.tagName} ${a.name}`);
            if (live.test(a.value.replace(/[\u0000-\u0020]/g, '')))
                found.push(`${e.tagName} ${a.name}=${a.value}`);
        }
        for (const p of ['href', 'src']) {
            const url = e[p];
            if (typeof url !== 'string' || !url) continue;
            if (live.test(url)) found.push(`${e.tagName} ${p} ${url}`);
            else if (url.startsWith('file:')) links.push(url.split('#')[0].split('?')[0]);
        }
        const style = getComputedStyle(e);
        for (const p of ['background-image', 'list-style-image', 'border-image-source', 'cursor'])
            for (const m of style[p].matchAll(/url\("([^"]*)"\)/g))
                if (!m[1].startsWith('file:')) found.push(`${e.tagName} ${p} ${m[1]}`);
    }
    for (const tag of ['iframe', 'frame', 'object', 'embed', 'svg', 'math', 'base', 'form'])
        if (document.querySelector(tag)) found.push(`a ${tag} element`);
    // Deckvane's own script and style beside the pages, and links to the
    // slides before and after, are the only ones a page may have.
    const own = (value, file) => new RegExp(`^([^/:]+_files/)?${file}$`).test(value || '');
    for (const s of document.querySelectorAll('script'))
        if (!own(s.getAttribute('src'), 'reader\\.js') || s.textContent) found.push('a script element');
    for (const l of document.querySelectorAll('link'))
        if (!(l.rel === 'stylesheet' && own(l.getAttribute('href'), 'reader\\.css')) &&
            !(/^(prev|next)$/.test(l.rel) && own(l.getAttribute('href'), '(img|text)[0-9]+\\.html')))
            found.push(`a link element (${l.rel} ${l.getAttribute('href')})`);
    return {found, links, ran: window.__ran};
})()"""

PAGE = (".htm", ".html")
KEPT = PAGE + (".jpg", ".jpeg", ".png", ".gif")
OWN = (".deckvane-source", ".deckvane.lock", "reader.js", "reader.css", "deck.pdf")


def main(out):
    problems = []
    pages = []
    for folder, _, files in os.walk(out):
        for name in files:
            path = os.path.join(folder, name)
            if name.lower().endswith(PAGE):
                pages.append(path)
            elif not name.lower().endswith(KEPT) and name not in OWN:
                problems.append(f"{path}: published, and neither a page nor a picture")
    with Chromium() as browser:
        browser.call("Page.setBypassCSP", enabled=True)
        browser.call("Page.addScriptToEvaluateOnNewDocument", source=NOTE_SCRIPT)
        for path in sorted(pages):
            browser.open("file://" + urllib.parse.quote(path))
            seen = browser.evaluate(FIND)
            for finding in seen["found"]:
                problems.append(f"{path}: {finding}")
            for call in seen["ran"]:
                problems.append(f"{path}: script ran: {call}")
            for link in seen["links"]:
                target = urllib.parse.unquote(urllib.parse.urlparse(link).path)
                if not os.path.exists(target):
                    problems.append(f"{path}: links to {target}, which is not there")
            for event in browser.events:
                if event["method"] == "Page.javascriptDialogOpening":
                    problems.append(f"{path}: a dialog opened")
    print(f"{len(pages)} pages")
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
