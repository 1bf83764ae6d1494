// The archive's front page: the list of decks and the search over every
// slide. The data lives in index-search/ as scripts that call deckvaneData;
// they are loaded with script elements, which work from the disk too, and
// only the parts a search needs are loaded.
'use strict';
(function () {
  const DATA = 'index-search/';
  const PAGE = 30;
  const FIRST_DECKS = 200;
  // A short prefix can begin a good part of all words: while it is typed,
  // the words it begins are read from this many chunks at most (the first
  // in their order), so each keystroke stays quick; a finished word, or
  // one more letter, finds the rest.
  const SHORT_PREFIX_CHUNKS = 3;
  const PREFIX_CHUNKS = 6;
  const MAX_WORD = 40;

  const loaded = new Map();
  const waiting = new Map();
  window.deckvaneData = function (key, data) {
    loaded.set(key, data);
    const entry = waiting.get(key);
    if (entry) {
      waiting.delete(key);
      entry.resolve(data);
    }
  };
  function load(key, file) {
    if (loaded.has(key)) return Promise.resolve(loaded.get(key));
    if (waiting.has(key)) return waiting.get(key).promise;
    const entry = {};
    entry.promise = new Promise(function (resolve, reject) {
      entry.resolve = resolve;
      entry.reject = reject;
    });
    waiting.set(key, entry);
    const script = document.createElement('script');
    script.src = DATA + file;
    script.onload = function () {
      script.remove();
      if (waiting.get(key) === entry) {
        waiting.delete(key);
        entry.reject(new Error(file + ' holds no data'));
      }
    };
    script.onerror = function () {
      script.remove();
      waiting.delete(key);
      entry.reject(new Error(file + ' is missing'));
    };
    document.head.appendChild(script);
    return entry.promise;
  }

  // The same rules the index was written with (deckvane-batch's SearchTerms).
  const LETTER = /[\p{L}\p{N}]/u;
  const IDEOGRAPHIC = /[\p{Script=Han}\p{Script=Hiragana}\p{Script=Katakana}\u30fc]/u;
  function fold(text) {
    return text.normalize('NFKD').replace(/\p{M}/gu, '').toLowerCase().replace(/\u03c2/g, '\u03c3');
  }
  // Runs of letters and digits, each {text, ideographic}.
  function runs(folded) {
    const out = [];
    let current = null;
    for (const c of folded) {
      if (!LETTER.test(c)) {
        current = null;
        continue;
      }
      const ideographic = IDEOGRAPHIC.test(c);
      if (!current || current.ideographic !== ideographic) {
        current = { chars: [], ideographic: ideographic };
        out.push(current);
      }
      current.chars.push(c);
    }
    return out;
  }
  // What a query looks for: terms, each whole or as a prefix. The word
  // being typed is a prefix; so is a single Chinese or Japanese character.
  function queryTerms(query) {
    const folded = fold(query);
    const list = runs(folded);
    const typing = folded.length > 0 && LETTER.test(Array.from(folded).pop());
    const terms = [];
    list.forEach(function (run, i) {
      const last = i === list.length - 1;
      if (!run.ideographic) {
        // One letter begins too many words to be worth reading them all.
        terms.push({ term: run.chars.slice(0, MAX_WORD).join(''), prefix: last && typing && run.chars.length > 1 });
      } else if (run.chars.length === 1) {
        terms.push({ term: run.chars[0], prefix: true });
      } else {
        for (let k = 0; k + 1 < run.chars.length; ++k)
          terms.push({ term: run.chars[k] + run.chars[k + 1], prefix: false });
      }
    });
    const seen = new Set();
    return terms.filter(function (t) {
      const key = t.term + (t.prefix ? '*' : '');
      if (seen.has(key)) return false;
      seen.add(key);
      return true;
    }).slice(0, 31);
  }

  // Strings compare by UTF-16 code units, as the index sorted them.
  function lastAtOrBefore(sorted, value) {
    let low = 0, high = sorted.length;
    while (low < high) {
      const mid = (low + high) >> 1;
      if (sorted[mid] <= value) low = mid + 1; else high = mid;
    }
    return low - 1;
  }

  const segments = [];
  let decks = [];
  let tree = false;

  function Segment(id) {
    this.id = id;
  }
  Segment.prototype.open = function () {
    const self = this;
    return load(this.id + '/meta', this.id + '/meta.js').then(function (meta) {
      self.meta = meta;
      self.firstSlide = new Int32Array(meta.decks.length + 1);
      meta.decks.forEach(function (row, i) {
        self.firstSlide[i + 1] = self.firstSlide[i] + row[3];
      });
      self.slides = self.firstSlide[meta.decks.length];
      self.deckOf = new Int32Array(self.slides);
      for (let d = 0; d < meta.decks.length; ++d) self.deckOf.fill(d, self.firstSlide[d], self.firstSlide[d + 1]);
    });
  };
  Segment.prototype.chunk = function (k) {
    return load(this.id + '/t' + k, this.id + '/t' + k + '.js');
  };
  // Marks with the bit every slide holding the term (or a word it begins).
  Segment.prototype.mark = function (t, marks, bit) {
    const first = this.meta.terms;
    let start = lastAtOrBefore(first, t.term);
    const wanted = [];
    if (!t.prefix) {
      if (start >= 0) wanted.push(start);
    } else {
      start = Math.max(start, 0);
      const limit = Array.from(t.term).length < 3 ? SHORT_PREFIX_CHUNKS : PREFIX_CHUNKS;
      for (let k = start; k < first.length && wanted.length < limit; ++k) {
        if (k > start && !first[k].startsWith(t.term)) break;
        wanted.push(k);
      }
    }
    const self = this;
    return Promise.all(wanted.map(function (k) { return self.chunk(k); })).then(function (chunks) {
      const mark = function (word, chunk) {
        const slides = self.postings(word, chunk[word]);
        if (slides.bits) {
          const bits = slides.bits;
          for (let i = 0; i < bits.length; ++i) {
            const byte = bits[i];
            if (byte) for (let b = 0; b < 8; ++b) if (byte & (1 << b)) marks[i * 8 + b] |= bit;
          }
          return;
        }
        for (let i = 0; i < slides.length; ++i) marks[slides[i]] |= bit;
      };
      chunks.forEach(function (chunk) {
        if (!t.prefix) {
          if (Object.prototype.hasOwnProperty.call(chunk, t.term)) mark(t.term, chunk);
          return;
        }
        for (const word in chunk)
          if (word.startsWith(t.term)) mark(word, chunk);
      });
    });
  };
  // A word's slides (a list, or a bitmap for common words), decoded once:
  // typing on reads the same words again.
  Segment.prototype.postings = function (word, text) {
    this.decoded = this.decoded || new Map();
    let slides = this.decoded.get(word);
    if (slides) return slides;
    if (text.charCodeAt(0) === 33) {
      const text8 = atob(text.slice(1));
      slides = { bits: new Uint8Array(text8.length) };
      for (let i = 0; i < text8.length; ++i) slides.bits[i] = text8.charCodeAt(i);
      this.decoded.set(word, slides);
      return slides;
    }
    let count = 1;
    for (let i = 0; i < text.length; ++i) if (text.charCodeAt(i) === 44) ++count;
    slides = new Int32Array(count);
    let slide = 0, value = 0, n = 0;
    for (let i = 0; i <= text.length; ++i) {
      const c = i < text.length ? text.charCodeAt(i) : 44;
      if (c === 44) {
        slide += value;
        slides[n++] = slide;
        value = 0;
      } else {
        value = value * 36 + (c <= 57 ? c - 48 : c - 87);
      }
    }
    this.decoded.set(word, slides);
    return slides;
  };
  // The slides holding every term, in the segment's order (by page path,
  // then slide), leaving out pages a newer segment holds.
  Segment.prototype.search = function (terms) {
    const marks = new Uint32Array(this.slides);
    const self = this;
    return Promise.all(terms.map(function (t, i) {
      return self.mark(t, marks, 2 ** i);
    })).then(function () {
      const all = 2 ** terms.length - 1;
      const found = [];
      for (let slide = 0; slide < marks.length; ++slide)
        if (marks[slide] === all && self.live[self.deckOf[slide]]) found.push(slide);
      return { segment: self, slides: found, next: 0 };
    });
  };
  Segment.prototype.hit = function (ordinal) {
    const deck = this.deckOf[ordinal];
    return { segment: this, deck: deck, row: this.meta.decks[deck], slide: ordinal - this.firstSlide[deck] };
  };
  // The next hit in path order over every segment's sorted hits.
  function nextHit(found) {
    let best = null, bestHit = null;
    found.forEach(function (f) {
      if (f.next >= f.slides.length) return;
      const hit = f.segment.hit(f.slides[f.next]);
      if (!bestHit || hit.row[1] < bestHit.row[1] ||
          (hit.row[1] === bestHit.row[1] && hit.slide < bestHit.slide)) {
        best = f;
        bestHit = hit;
      }
    });
    if (best) best.next++;
    return bestHit;
  }
  Segment.prototype.slideText = function (deck, slide) {
    const starts = this.meta.texts;
    const k = lastAtOrBefore(starts, deck);
    return load(this.id + '/x' + k, this.id + '/x' + k + '.js').then(function (texts) {
      return (texts[deck - starts[k]] || [])[slide] || '';
    });
  };

  // A page's newest segment holds it.
  const owner = new Map();

  function element(tag, attributes, text) {
    const node = document.createElement(tag);
    for (const name in attributes || {}) node.setAttribute(name, attributes[name]);
    if (text !== undefined) node.textContent = text;
    return node;
  }
  function companion(href) {
    return href.slice(0, -4) + '_files/';
  }
  function day(seconds) {
    if (!seconds) return '';
    const d = new Date(seconds * 1000);
    const two = function (n) { return String(n).padStart(2, '0'); };
    return d.getFullYear() + '-' + two(d.getMonth() + 1) + '-' + two(d.getDate());
  }
  function folderOf(path) {
    const slash = path.lastIndexOf('/');
    return slash < 0 ? '' : path.slice(0, slash);
  }
  function plural(n, one, many) {
    return n + ' ' + (n === 1 ? one : many);
  }

  function deckItem(row) {
    const href = row[0];
    const item = element('li', { class: 'deck' });
    const thumb = element('div', { class: 'thumb' });
    if (row[4]) {
      const link = element('a', { href: href, tabindex: '-1', 'aria-hidden': 'true' });
      link.appendChild(element('img', { src: companion(href) + 'thumb0.jpg', alt: '', loading: 'lazy', width: '128' }));
      thumb.appendChild(link);
    }
    item.appendChild(thumb);
    const text = element('div');
    text.appendChild(element('a', { href: href, class: 'title' }, row[2]));
    const date = day(row[6]);
    text.appendChild(element('div', { class: 'meta' }, plural(row[3], 'slide', 'slides') + (date ? ', ' + date : '')));
    text.appendChild(element('div', { class: 'where' }, row[5] || row[1]));
    item.appendChild(text);
    return item;
  }

  function sorted(list) {
    const how = document.getElementById('sort').value;
    const copy = list.slice();
    if (how === 'date') copy.sort(function (a, b) { return b[6] - a[6] || (a[1] < b[1] ? -1 : 1); });
    else if (how === 'name') copy.sort(function (a, b) { return a[2].localeCompare(b[2]) || (a[1] < b[1] ? -1 : 1); });
    else copy.sort(function (a, b) { return a[1] < b[1] ? -1 : a[1] > b[1] ? 1 : 0; });
    return copy;
  }

  // A list drawn a part at a time: thousands of decks need not all be
  // drawn before the page can be used.
  function growingList(container, rows, draw, first, label) {
    const list = element('ul');
    container.appendChild(list);
    let shown = 0;
    function more(count) {
      const end = Math.min(rows.length, shown + count);
      for (; shown < end; ++shown) list.appendChild(draw(rows[shown]));
      button.hidden = shown >= rows.length;
      button.textContent = 'Show ' + Math.min(first, rows.length - shown) + ' more ' + label + ' of ' + (rows.length - shown);
    }
    const button = element('button', { type: 'button', class: 'more' });
    button.addEventListener('click', function () {
      const next = shown;
      more(first);
      const link = list.children[next] && list.children[next].querySelector('a.title, a');
      if (link) link.focus();
    });
    container.appendChild(button);
    more(first);
  }

  function folderTree(rows) {
    const root = { folders: new Map(), decks: [], count: 0 };
    rows.forEach(function (row) {
      let node = root;
      node.count++;
      const folder = folderOf(row[1]);
      if (folder) folder.split('/').forEach(function (part) {
        if (!node.folders.has(part)) node.folders.set(part, { folders: new Map(), decks: [], count: 0 });
        node = node.folders.get(part);
        node.count++;
      });
      node.decks.push(row);
    });
    return root;
  }
  function drawFolder(container, node) {
    Array.from(node.folders.keys()).sort(function (a, b) { return a.localeCompare(b); }).forEach(function (name) {
      const child = node.folders.get(name);
      const details = element('details');
      details.appendChild(element('summary', {}, name + ' (' + plural(child.count, 'deck', 'decks') + ')'));
      details.addEventListener('toggle', function () {
        if (details.open && !details.drawn) {
          details.drawn = true;
          drawFolder(details, child);
        }
      });
      container.appendChild(details);
    });
    if (node.decks.length) growingList(container, node.decks, deckItem, FIRST_DECKS, 'decks');
  }

  function drawArchive() {
    const archive = document.getElementById('archive');
    archive.textContent = '';
    const rows = sorted(decks);
    if (tree) drawFolder(archive, folderTree(rows));
    else growingList(archive, rows, deckItem, FIRST_DECKS, 'decks');
  }

  // The words in context: the first place any searched word occurs, a few
  // dozen characters either side, every searched word in it marked.
  function context(text, terms) {
    const chars = Array.from(text);
    let folded = '';
    const origin = [];
    chars.forEach(function (c, i) {
      const f = fold(c);
      for (let k = 0; k < f.length; ++k) origin.push(i);
      folded += f;
    });
    origin.push(chars.length);
    const spans = [];
    terms.forEach(function (t) {
      const word = t.term;
      let at = folded.indexOf(word);
      while (at >= 0) {
        const before = at > 0 ? folded[at - 1] : '';
        const starts = !before || !LETTER.test(before) || IDEOGRAPHIC.test(word[0]);
        const end = at + word.length;
        const after = folded[end] || '';
        const whole = t.prefix || IDEOGRAPHIC.test(word[0]) || !after || !LETTER.test(after);
        if (starts && whole) spans.push([origin[at], origin[end]]);
        at = folded.indexOf(word, at + 1);
      }
    });
    spans.sort(function (a, b) { return a[0] - b[0]; });
    const from = spans.length ? Math.max(0, spans[0][0] - 60) : 0;
    const to = Math.min(chars.length, (spans.length ? spans[0][0] : 0) + 140);
    const paragraph = element('p', { class: 'context' });
    let cursor = from;
    if (from > 0) paragraph.appendChild(document.createTextNode('\u2026'));
    spans.forEach(function (span) {
      if (span[0] < cursor || span[0] >= to) return;
      paragraph.appendChild(document.createTextNode(chars.slice(cursor, span[0]).join('')));
      paragraph.appendChild(element('mark', {}, chars.slice(span[0], span[1]).join('')));
      cursor = span[1];
    });
    paragraph.appendChild(document.createTextNode(chars.slice(cursor, Math.max(cursor, to)).join('')));
    if (to < chars.length) paragraph.appendChild(document.createTextNode('\u2026'));
    return paragraph;
  }

  function resultItem(hit, terms) {
    const row = hit.row;
    const item = element('li');
    const link = element('a', { href: companion(row[0]) + 'img' + hit.slide + '.html' });
    link.appendChild(element('span', { class: 'title' }, row[2]));
    link.appendChild(document.createTextNode(' '));
    link.appendChild(element('span', { class: 'slide' }, 'slide ' + (hit.slide + 1)));
    item.appendChild(element('div')).appendChild(link);
    const folder = folderOf(row[1]);
    item.appendChild(element('div', { class: 'where' }, (folder ? folder + '/' : '') + row[1].slice(folder.length ? folder.length + 1 : 0)));
    hit.segment.slideText(hit.deck, hit.slide).then(function (text) {
      item.appendChild(context(text, terms));
    }, function () {});
    return item;
  }

  let generation = 0;
  function search(query) {
    const mine = ++generation;
    const results = document.getElementById('results');
    const archive = document.getElementById('archive');
    const summary = document.getElementById('summary');
    const terms = queryTerms(query);
    if (!terms.length) {
      results.hidden = true;
      results.textContent = '';
      archive.hidden = false;
      summary.textContent = plural(decks.length, 'deck', 'decks') + ', ' +
        plural(decks.reduce(function (n, row) { return n + row[3]; }, 0), 'slide', 'slides');
      document.body.dataset.state = 'ready';
      return Promise.resolve();
    }
    document.body.dataset.state = 'searching';
    return Promise.all(segments.map(function (s) { return s.search(terms); })).then(function (found) {
      if (mine !== generation) return;
      const total = found.reduce(function (n, f) { return n + f.slides.length; }, 0);
      archive.hidden = true;
      results.hidden = false;
      results.textContent = '';
      summary.textContent = total ? plural(total, 'slide', 'slides') + ' found' : 'Nothing found';
      let shown = 0;
      const holder = element('li', { class: 'more-holder' });
      const more = element('button', { type: 'button', class: 'more' });
      holder.appendChild(more);
      results.appendChild(holder);
      function show() {
        const end = Math.min(total, shown + PAGE);
        for (; shown < end; ++shown) results.insertBefore(resultItem(nextHit(found), terms), holder);
        more.hidden = shown >= total;
        more.textContent = 'Show ' + Math.min(PAGE, total - shown) + ' more slides of ' + (total - shown);
      }
      more.addEventListener('click', function () {
        const next = shown;
        show();
        const link = results.children[next] && results.children[next].querySelector('a');
        if (link) link.focus();
      });
      show();
      document.body.dataset.state = 'ready';
    }, function (error) {
      if (mine !== generation) return;
      summary.textContent = 'The search data could not be read: ' + error.message;
      document.body.dataset.state = 'failed';
    });
  }

  function queryFromAddress() {
    const hash = new URLSearchParams(location.hash.slice(1));
    if (hash.has('q')) return hash.get('q');
    return new URLSearchParams(location.search).get('q') || '';
  }

  function start() {
    const input = document.getElementById('q');
    const summary = document.getElementById('summary');
    document.getElementById('search').addEventListener('submit', function (event) {
      event.preventDefault();
    });
    // The manifest changes with every index update; a cached one would
    // hide the newest decks.
    load('manifest', 'manifest.js?' + Date.now()).then(function (manifest) {
      manifest.segments.forEach(function (s) { segments.push(new Segment(s.id)); });
      return Promise.all(segments.map(function (s) { return s.open(); }));
    }).then(function () {
      segments.forEach(function (s) {
        s.meta.decks.forEach(function (row) { owner.set(row[1], s); });
        // A page gone from the disk: no older segment shows it.
        (s.meta.gone || []).forEach(function (path) { owner.set(path, s); });
      });
      segments.forEach(function (s) {
        s.live = new Uint8Array(s.meta.decks.length);
        s.meta.decks.forEach(function (row, d) {
          if (owner.get(row[1]) !== s) return;
          s.live[d] = 1;
          decks.push(row);
        });
      });
      tree = decks.some(function (row) { return row[1].indexOf('/') >= 0; });
      drawArchive();
      input.value = queryFromAddress();
      return search(input.value);
    }).then(function () {
      // When the page became usable, for anyone measuring it.
      performance.mark('deckvane-ready');
    }).catch(function (error) {
      summary.textContent = 'The archive\u2019s index could not be read: ' + error.message;
      document.body.dataset.state = 'failed';
    });

    input.addEventListener('input', function () {
      const q = input.value;
      history.replaceState(null, '', q ? '#q=' + encodeURIComponent(q) : location.pathname);
      search(q);
    });
    window.addEventListener('hashchange', function () {
      const q = queryFromAddress();
      if (q !== input.value) {
        input.value = q;
        search(q);
      }
    });
    document.getElementById('sort').addEventListener('change', drawArchive);
    document.addEventListener('keydown', function (event) {
      if (event.key === '/' && document.activeElement !== input) {
        event.preventDefault();
        input.focus();
      } else if (event.key === 'Escape' && document.activeElement === input && input.value) {
        input.value = '';
        input.dispatchEvent(new Event('input'));
      } else if (event.key === 'ArrowDown' && document.activeElement === input) {
        const first = document.querySelector('#results:not([hidden]) a, #archive a.title, #archive summary');
        if (first) {
          event.preventDefault();
          first.focus();
        }
      }
    });
  }

  document.addEventListener('DOMContentLoaded', start);
})();
