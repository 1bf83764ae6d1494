// Deckvane's slide pages: keys to move through a deck, and the words a
// search found marked on the slide it opened.
(function () {
  'use strict';

  function go(href) {
    if (href) window.location.href = href;
  }
  function linkHref(rel) {
    const link = document.querySelector('link[rel="' + rel + '"]');
    return link ? link.getAttribute('href') : null;
  }

  document.addEventListener('keydown', function (event) {
    if (event.defaultPrevented || event.altKey || event.ctrlKey || event.metaKey) return;
    const target = event.target;
    if (target && (target.isContentEditable || /^(INPUT|TEXTAREA|SELECT|BUTTON)$/.test(target.tagName))) return;
    const body = document.body;
    let href = null;
    switch (event.key) {
      case 'ArrowRight': case 'PageDown': href = linkHref('next'); break;
      case 'ArrowLeft': case 'PageUp': href = linkHref('prev'); break;
      case ' ': href = linkHref(event.shiftKey ? 'prev' : 'next'); break;
      case 'Home': href = body.dataset.first; break;
      case 'End': href = body.dataset.last; break;
      default: return;
    }
    if (!href) return;
    event.preventDefault();
    go(href);
  });

  // The same folding the archive's search uses: compatibility forms, no
  // accents, lower case; Chinese and Japanese are found inside runs.
  const LETTER = /[\p{L}\p{N}]/u;
  const IDEOGRAPHIC = /[\p{Script=Han}\p{Script=Hiragana}\p{Script=Katakana}\u30fc]/u;
  function foldChar(c) {
    return c.normalize('NFKD').replace(/\p{M}/gu, '').toLowerCase().replace(/\u03c2/g, '\u03c3');
  }
  // The folded text and, for each of its code units, where it came from.
  function fold(text) {
    let folded = '';
    const from = [];
    let at = 0;
    for (const c of text) {
      const f = foldChar(c);
      for (let k = 0; k < f.length; ++k) from.push(at);
      folded += f;
      at += c.length;
    }
    from.push(at);
    return { text: folded, from: from };
  }
  // Runs of letters and digits; a run of Chinese or Japanese characters is
  // one term, found anywhere.
  function terms(query) {
    const out = [];
    let run = '';
    let ideographic = false;
    const flush = function () {
      if (run && out.indexOf(run) < 0) out.push(run);
      run = '';
    };
    for (const c of fold(query).text) {
      if (!LETTER.test(c)) { flush(); continue; }
      const kind = IDEOGRAPHIC.test(c);
      if (run && kind !== ideographic) flush();
      ideographic = kind;
      run += c;
    }
    flush();
    return out.slice(0, 31);
  }
  // Where the terms occur in a folded text: a word is found at the start
  // of a word (the search matches prefixes), an ideographic run anywhere.
  function matches(folded, list) {
    const found = [];
    for (const term of list) {
      const ideographic = IDEOGRAPHIC.test(term);
      for (let at = folded.indexOf(term); at >= 0; at = folded.indexOf(term, at + 1)) {
        if (!ideographic && at > 0 && LETTER.test(folded[at - 1])) continue;
        found.push([at, at + term.length]);
      }
    }
    found.sort(function (a, b) { return a[0] - b[0] || b[1] - a[1]; });
    const merged = [];
    for (const m of found) {
      const last = merged[merged.length - 1];
      if (last && m[0] <= last[1]) last[1] = Math.max(last[1], m[1]);
      else merged.push(m.slice());
    }
    return merged;
  }
  function mark(root, list) {
    const walker = document.createTreeWalker(root, NodeFilter.SHOW_TEXT);
    const nodes = [];
    for (let node = walker.nextNode(); node; node = walker.nextNode()) nodes.push(node);
    let first = null;
    for (const node of nodes) {
      const text = node.nodeValue;
      const folded = fold(text);
      const found = matches(folded.text, list);
      if (!found.length) continue;
      const parts = document.createDocumentFragment();
      let last = 0;
      for (const m of found) {
        const start = folded.from[m[0]], end = folded.from[m[1]];
        if (start > last) parts.appendChild(document.createTextNode(text.slice(last, start)));
        const marked = document.createElement('mark');
        marked.className = 'dv-found';
        marked.textContent = text.slice(start, end);
        parts.appendChild(marked);
        if (!first) first = marked;
        last = end;
      }
      if (last < text.length) parts.appendChild(document.createTextNode(text.slice(last)));
      node.parentNode.replaceChild(parts, node);
    }
    return first;
  }
  function query() {
    const hash = window.location.hash;
    if (hash.indexOf('#q=') !== 0) return '';
    try {
      return decodeURIComponent(hash.slice(3).replace(/\+/g, ' '));
    } catch (e) {
      return '';
    }
  }
  function highlight() {
    for (const old of document.querySelectorAll('mark.dv-found')) old.replaceWith(document.createTextNode(old.textContent));
    document.normalize();
    const list = terms(query());
    if (!list.length) return;
    let first = null;
    for (const root of document.querySelectorAll('main h1, .dv-text > :not(h2), .dv-slides')) {
      const found = mark(root, list);
      if (!first) first = found;
    }
    if (first) first.scrollIntoView({ block: 'nearest' });
  }
  window.addEventListener('hashchange', highlight);
  if (document.readyState === 'loading') document.addEventListener('DOMContentLoaded', highlight);
  else highlight();
})();
