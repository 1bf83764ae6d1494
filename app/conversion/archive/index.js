// The archive's front page: the list of decks and the search over every
// deck and slide. The data lives in index-search/ as scripts that call
// deckvaneData; they are loaded with script elements, which work from the
// disk too, and only the parts a search needs are loaded.
'use strict';
(function () {
  const DATA = 'index-search/';
  const FORMAT = 2;
  const PAGE = 10;
  const FIRST_DECKS = 200;
  const SLIDES_SHOWN = 3;
  // A short prefix can begin a good part of all words: while it is typed,
  // the words it begins are read from this many chunks at most (the first
  // in their order), so each keystroke stays quick; a finished word, or
  // one more letter, finds the rest, and until then the count says "at
  // least".
  const SHORT_PREFIX_CHUNKS = 3;
  const PREFIX_CHUNKS = 6;
  const MAX_WORD = 40;
  // How much a word counts where it is: in the deck's folder, file name or
  // title (against about 0.5 for one mention on a slide, approaching 1 for
  // many), and a word of a slide's title as three mentions. The index
  // weighs a word in a unit: on a slide, 1 to 4 for how often, IN_TITLE
  // more in its title; in a deck's name, 1 for a folder, IN_FILE_NAME and
  // IN_DECK_TITLE.
  const IN_TITLE = 5, IN_FILE_NAME = 10, IN_DECK_TITLE = 11;
  const NAME_BONUS = { 1: 0.4, [IN_FILE_NAME]: 1.0, [IN_DECK_TITLE]: 1.5 };
  const TITLE_MENTIONS = 3;
  const TOGETHER = 1.25;
  const SATURATION = 1.2;
  // What a term found in a segment is kept for the next keystrokes, which
  // mostly search the same words again.
  const KEPT_TERMS = 24;
  const DECODED_BYTES = 64 << 20;

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
    return text.normalize('NFKD').replace(/[\p{M}\u00ad\u200b-\u200d\u2060\ufeff]/gu, '')
      .toLowerCase().replace(/\u03c2/g, '\u03c3');
  }
  // Runs of letters and digits, each {chars, ideographic}.
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

  // The other forms of an English word that the search finds with it:
  // plurals and the simple endings (-s, -es, -ies, -ed, -ing), both ways.
  // Only forms the index holds are ever looked at, so a made-up one costs
  // nothing.
  function otherForms(word) {
    const forms = new Set();
    if (word.length < 3 || !/^[a-z]+$/.test(word)) return [];
    const bases = new Set([word]);
    const cut = function (n) { return word.slice(0, word.length - n); };
    if (/[^aeiou]ies$/.test(word) && word.length > 4) bases.add(cut(3) + 'y');
    if (/[^aeiou]ied$/.test(word) && word.length > 4) bases.add(cut(3) + 'y');
    if (/(s|x|z|ch|sh)es$/.test(word)) bases.add(cut(2));
    if (/[^sui]s$/.test(word) && word.length > 3) bases.add(cut(1));
    if (/[^e]ed$/.test(word) && word.length > 4) bases.add(cut(2));
    if (/ed$/.test(word) && word.length > 4) bases.add(cut(1));
    if (/ing$/.test(word) && word.length > 5) {
      bases.add(cut(3));
      bases.add(cut(3) + 'e');
    }
    if (/([^aeiou])\1(ed|ing)$/.test(word)) bases.add(word.replace(/(.)(ed|ing)$/, ''));
    bases.forEach(function (base) {
      forms.add(base);
      if (/[^aeiou]y$/.test(base)) {
        const stem = base.slice(0, -1);
        forms.add(stem + 'ies');
        forms.add(stem + 'ied');
      } else if (/(s|x|z|ch|sh)$/.test(base)) {
        forms.add(base + 'es');
      } else {
        forms.add(base + 's');
      }
      if (/e$/.test(base)) {
        forms.add(base + 'd');
        forms.add(base.slice(0, -1) + 'ing');
      } else {
        forms.add(base + 'ed');
        forms.add(base + 'ing');
        if (/[^aeiou][aeiou][bdgklmnprt]$/.test(base)) {
          const last = base[base.length - 1];
          forms.add(base + last + 'ed');
          forms.add(base + last + 'ing');
        }
      }
    });
    forms.delete(word);
    return Array.from(forms).filter(function (form) { return form.length <= MAX_WORD; });
  }

  // What a query looks for: terms, each whole or as a prefix, with its
  // other forms. The word being typed is a prefix; so is a single Chinese
  // or Japanese character.
  function queryTerms(query) {
    const folded = fold(query);
    const list = runs(folded);
    const typing = folded.length > 0 && LETTER.test(Array.from(folded).pop());
    const terms = [];
    list.forEach(function (run, i) {
      const last = i === list.length - 1;
      if (!run.ideographic) {
        const word = run.chars.slice(0, MAX_WORD).join('');
        // One letter begins too many words to be worth reading them all.
        const prefix = last && typing && run.chars.length > 1;
        // A prefix finds the forms that only add an ending by itself.
        const forms = otherForms(word).filter(function (form) { return !prefix || !form.startsWith(word); });
        terms.push({ term: word, prefix: prefix, forms: forms });
      } else if (run.chars.length === 1) {
        terms.push({ term: run.chars[0], prefix: true, forms: [], ideographic: true });
      } else {
        for (let k = 0; k + 1 < run.chars.length; ++k)
          terms.push({ term: run.chars[k] + run.chars[k + 1], prefix: false, forms: [], ideographic: true });
      }
    });
    const seen = new Set();
    return terms.filter(function (t) {
      if (seen.has(termKey(t))) return false;
      seen.add(termKey(t));
      return true;
    }).slice(0, 31);
  }

  function termKey(t) {
    return t.term + (t.prefix ? '*' : '');
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
  let averageSlides = 1;
  let tree = false;

  // A segment's units are, deck after deck, the deck's name (title, file
  // and folders) and then each of its slides.
  function Segment(id) {
    this.id = id;
  }
  Segment.prototype.open = function () {
    const self = this;
    return load(this.id + '/meta', this.id + '/meta.js').then(function (meta) {
      self.meta = meta;
      const count = meta.decks.length;
      self.firstUnit = new Int32Array(count + 1);
      meta.decks.forEach(function (row, i) {
        self.firstUnit[i + 1] = self.firstUnit[i] + 1 + row[3];
      });
      self.units = self.firstUnit[count];
      self.deckOf = new Int32Array(self.units);
      for (let d = 0; d < count; ++d) self.deckOf.fill(d, self.firstUnit[d], self.firstUnit[d + 1]);
    });
  };
  Segment.prototype.chunk = function (k) {
    return load(this.id + '/t' + k, this.id + '/t' + k + '.js');
  };
  // The words of the index a term finds here, with their data; partial
  // when a prefix had more chunks than were read.
  Segment.prototype.lookUp = function (t) {
    const kept = this.terms && this.terms.get(termKey(t));
    if (kept) return Promise.resolve(kept);
    const first = this.meta.terms;
    const wanted = new Set();
    let partial = false;
    let start = lastAtOrBefore(first, t.term);
    if (!t.prefix) {
      if (start >= 0) wanted.add(start);
    } else {
      start = Math.max(start, 0);
      const limit = Array.from(t.term).length < 3 ? SHORT_PREFIX_CHUNKS : PREFIX_CHUNKS;
      let k = start;
      for (; k < first.length && wanted.size < limit; ++k) {
        if (k > start && !first[k].startsWith(t.term)) break;
        wanted.add(k);
      }
      partial = k < first.length && first[k].startsWith(t.term);
    }
    t.forms.forEach(function (form) {
      const k = lastAtOrBefore(first, form);
      if (k >= 0) wanted.add(k);
    });
    const self = this;
    return Promise.all(Array.from(wanted).map(function (k) { return self.chunk(k); })).then(function (chunks) {
      const words = new Map();
      const take = function (chunk, word) {
        if (!words.has(word) && Object.prototype.hasOwnProperty.call(chunk, word))
          words.set(word, { word: word, text: chunk[word] });
      };
      chunks.forEach(function (chunk) {
        if (t.prefix) {
          for (const word in chunk) if (word.startsWith(t.term)) take(chunk, word);
        } else {
          take(chunk, t.term);
        }
        t.forms.forEach(function (form) { take(chunk, form); });
      });
      return { words: Array.from(words.values()), partial: partial };
    });
  };
  const ONES = new Uint8Array(256);
  for (let i = 1; i < 256; ++i) ONES[i] = (i & 1) + ONES[i >> 1];
  // How many of the units from lo up to hi the bitset holds.
  function bitsIn(bits, lo, hi) {
    let n = 0, u = lo;
    for (; u < hi && (u & 7); ++u) n += (bits[u >> 3] >> (u & 7)) & 1;
    for (; u + 8 <= hi; u += 8) n += ONES[bits[u >> 3]];
    for (; u < hi; ++u) n += (bits[u >> 3] >> (u & 7)) & 1;
    return n;
  }

  // A word's places (units and weights), decoded once: typing on reads the
  // same words again.
  function decodeGaps(text, from) {
    let count = 1;
    for (let i = from; i < text.length; ++i) if (text.charCodeAt(i) === 44) ++count;
    const units = new Int32Array(count);
    const weights = new Uint8Array(count).fill(1);
    let unit = 0, value = 0, n = 0, inWeight = false;
    for (let i = from; i <= text.length; ++i) {
      const c = i < text.length ? text.charCodeAt(i) : 44;
      if (c === 44) {
        if (inWeight) weights[n - 1] = value; else { unit += value; units[n++] = unit; }
        value = 0;
        inWeight = false;
      } else if (c === 46) {
        unit += value;
        units[n++] = unit;
        value = 0;
        inWeight = true;
      } else {
        value = value * 36 + (c <= 57 ? c - 48 : c - 87);
      }
    }
    return { units: units, weights: weights };
  }
  Segment.prototype.places = function (word, text) {
    // Common words' bitmaps are large: a long session keeps only so many.
    if (!this.decoded || this.decodedSize > DECODED_BYTES) {
      this.decoded = new Map();
      this.decodedSize = 0;
    }
    let places = this.decoded.get(word);
    if (places) return places;
    this.decodedSize += text.length;
    if (text.charCodeAt(0) === 33) {
      const bar = text.indexOf('|');
      const text8 = atob(text.slice(1, bar < 0 ? text.length : bar));
      // Whole 32-bit words, so bitmaps are combined four bytes at a time.
      const bits = new Uint8Array((text8.length + 3) & ~3);
      for (let i = 0; i < text8.length; ++i) bits[i] = text8.charCodeAt(i);
      places = { bits: bits, heavy: bar < 0 ? { units: new Int32Array(0), weights: new Uint8Array(0) } : decodeGaps(text, bar + 1) };
    } else {
      places = decodeGaps(text, 0);
    }
    this.decoded.set(word, places);
    return places;
  };
  // A term in this segment: the units holding any of its words (a bitset),
  // its weight beyond 1 where a word is more than once or in a title, and
  // for each deck its mentions on the slides and its strongest place in
  // the deck's name.
  Segment.prototype.term = function (key, found) {
    this.terms = this.terms || new Map();
    let term = this.terms.get(key);
    if (term) {
      // The newest last, so the oldest go first.
      this.terms.delete(key);
      this.terms.set(key, term);
      return term;
    }
    const count = this.meta.decks.length;
    const deckOf = this.deckOf, firstUnit = this.firstUnit;
    const bits = new Uint8Array((((this.units + 7) >> 3) + 3) & ~3);
    const words32 = new Uint32Array(bits.buffer);
    let extra = null;
    const name = new Uint8Array(count);
    const slides = new Float32Array(count);
    const weigh = function (unit, weight) {
      const d = deckOf[unit];
      if (unit === firstUnit[d]) {
        if (weight > name[d]) name[d] = weight;
        return;
      }
      const more = (weight >= IN_TITLE ? weight - IN_TITLE + TITLE_MENTIONS : weight) - 1;
      if (!extra) extra = new Uint8Array(bits.length * 8);
      extra[unit] = Math.min(255, extra[unit] + more);
      slides[d] += more;
    };
    for (const w of found.words) {
      const places = this.places(w.word, w.text);
      if (places.bits) {
        const other = new Uint32Array(places.bits.buffer);
        for (let i = 0; i < other.length; ++i) words32[i] |= other[i];
        const heavy = places.heavy;
        for (let i = 0; i < heavy.units.length; ++i) weigh(heavy.units[i], heavy.weights[i]);
      } else {
        const units = places.units, weights = places.weights;
        for (let i = 0; i < units.length; ++i) {
          bits[units[i] >> 3] |= 1 << (units[i] & 7);
          if (weights[i] > 1) weigh(units[i], weights[i]);
        }
      }
    }
    for (let d = 0; d < count; ++d) {
      const lo = firstUnit[d];
      if (!name[d] && bits[lo >> 3] & (1 << (lo & 7))) name[d] = 1;
      slides[d] += bitsIn(bits, lo + 1, firstUnit[d + 1]);
    }
    let decksWith = 0;
    for (let d = 0; d < count; ++d) if (this.live[d] && (slides[d] || name[d])) ++decksWith;
    term = { bits: bits, extra: extra || new Uint8Array(0), name: name, slides: slides, decks: decksWith,
             words: found.words, partial: found.partial };
    this.terms.set(key, term);
    if (this.terms.size > KEPT_TERMS) this.terms.delete(this.terms.keys().next().value);
    return term;
  };
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
  const NUMBER = new Intl.NumberFormat('en');
  // Where a deck is: its file below the converted folder. A source noted
  // with the whole path of the machine that converted it says no more to
  // a reader than the page's own folder does.
  function where(row) {
    const source = row[5];
    if (source && source[0] !== '/') return source;
    const file = source || row[1];
    const folder = folderOf(row[1]);
    return (folder ? folder + '/' : '') + file.slice(file.lastIndexOf('/') + 1);
  }
  function plural(n, one, many) {
    return NUMBER.format(n) + ' ' + (n === 1 ? one : many);
  }
  function thumbnail(href, target, picture) {
    const thumb = element('div', { class: 'thumb' });
    if (picture) {
      const link = element('a', { href: target, tabindex: '-1', 'aria-hidden': 'true' });
      const image = element('img', { src: picture, alt: '', loading: 'lazy', width: '128' });
      // A slide without its thumbnail shows the deck's first one.
      image.addEventListener('error', function () {
        const first = companion(href) + 'thumb0.jpg';
        if (image.getAttribute('src') !== first) image.src = first;
      }, { once: true });
      link.appendChild(image);
      thumb.appendChild(link);
    }
    return thumb;
  }

  function deckItem(row) {
    const href = row[0];
    const item = element('li', { class: 'deck' });
    item.appendChild(thumbnail(href, href, row[4] ? companion(href) + 'thumb0.jpg' : ''));
    const text = element('div');
    text.appendChild(element('a', { href: href, class: 'title' }, row[2]));
    const date = day(row[6]);
    text.appendChild(element('div', { class: 'meta' }, plural(row[3], 'slide', 'slides') + (date ? ', ' + date : '')));
    text.appendChild(element('div', { class: 'where' }, where(row)));
    item.appendChild(text);
    return item;
  }

  const ORDERS = {
    date: function (a, b) { return b[6] - a[6] || (a[1] < b[1] ? -1 : 1); },
    name: function (a, b) { return a[2].localeCompare(b[2]) || (a[1] < b[1] ? -1 : 1); },
    folder: function (a, b) { return a[1] < b[1] ? -1 : a[1] > b[1] ? 1 : 0; },
  };
  function sortSelect() {
    return document.getElementById('sort');
  }

  // A list drawn a part at a time: thousands of decks need not all be
  // drawn before the page can be used.
  function growingList(container, rows, draw, first, label, tag) {
    const list = element(tag || 'ul');
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
    return list;
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
  // The first level of folders opens with the page, and in it a folder
  // that holds nothing but one folder opens that one too, down to the
  // first choice, so the archive shows what it holds.
  function drawFolder(container, node, open) {
    const names = Array.from(node.folders.keys()).sort(function (a, b) { return a.localeCompare(b); });
    names.forEach(function (name) {
      const child = node.folders.get(name);
      const details = element('details');
      details.appendChild(element('summary', {}, name + ' (' + plural(child.count, 'deck', 'decks') + ')'));
      details.addEventListener('toggle', function () {
        if (details.open && !details.drawn) {
          details.drawn = true;
          drawFolder(details, child, open && child.folders.size === 1 && !child.decks.length);
        }
      });
      container.appendChild(details);
      if (open) details.open = true;
    });
    if (node.decks.length) growingList(container, node.decks, deckItem, FIRST_DECKS, 'decks');
  }

  let listOrder = 'name';
  function drawArchive() {
    const archive = document.getElementById('archive');
    archive.textContent = '';
    const rows = decks.slice().sort(ORDERS[listOrder]);
    if (tree && listOrder !== 'date') drawFolder(archive, folderTree(rows), true);
    else growingList(archive, rows, deckItem, FIRST_DECKS, 'decks');
  }

  // Where the searched words are in a text: the words the index found for
  // them, a word being typed as a prefix, Chinese and Japanese anywhere.
  function spansIn(text, sought) {
    const chars = Array.from(text);
    let folded = '';
    const origin = [];
    // Folding leaves plain text as long as it was, so it needs no map back.
    const plain = /^[\x20-\x7e]*$/.test(text);
    if (plain) {
      folded = text.toLowerCase();
    } else {
      chars.forEach(function (c, i) {
        const f = fold(c);
        for (let k = 0; k < f.length; ++k) origin.push(i);
        folded += f;
      });
      origin.push(chars.length);
    }
    const at = function (i) { return plain ? i : origin[i]; };
    const spans = [];
    const word = /[\p{L}\p{N}]+/gu;
    let match;
    while ((match = word.exec(folded))) {
      const w = match[0];
      if (IDEOGRAPHIC.test(w[0])) continue;
      if (sought.words.has(w.slice(0, MAX_WORD)) || sought.prefixes.some(function (p) { return w.startsWith(p); }))
        spans.push([at(match.index), at(match.index + w.length)]);
    }
    sought.ideographic.forEach(function (piece) {
      for (let i = folded.indexOf(piece); i >= 0; i = folded.indexOf(piece, i + 1))
        spans.push([at(i), at(i + piece.length)]);
    });
    spans.sort(function (a, b) { return a[0] - b[0]; });
    return { chars: chars, spans: spans };
  }
  // The text with the searched words marked; long texts are cut to a few
  // dozen characters either side of the first.
  function marked(tag, attributes, text, sought, cut) {
    const found = spansIn(text, sought);
    const chars = found.chars, spans = found.spans;
    const node = element(tag, attributes);
    const from = cut && spans.length ? Math.max(0, spans[0][0] - 60) : 0;
    const to = cut ? Math.min(chars.length, from + 200) : chars.length;
    let cursor = from;
    if (from > 0) node.appendChild(document.createTextNode('\u2026'));
    spans.forEach(function (span) {
      if (span[0] < cursor || span[0] >= to) return;
      node.appendChild(document.createTextNode(chars.slice(cursor, span[0]).join('')));
      node.appendChild(element('mark', {}, chars.slice(span[0], span[1]).join('')));
      cursor = span[1];
    });
    node.appendChild(document.createTextNode(chars.slice(cursor, Math.max(cursor, to)).join('')));
    if (to < chars.length) node.appendChild(document.createTextNode('\u2026'));
    return node;
  }

  // The slides of a deck that hold the most of the words, best first.
  function bestSlides(hit, search) {
    const seg = hit.segment, d = hit.deck;
    const lo = seg.firstUnit[d] + 1, hi = seg.firstUnit[d + 1];
    const terms = search.terms.map(function (perSegment) { return perSegment.get(seg); });
    const slides = [];
    for (let unit = lo; unit < hi; ++unit) {
      let count = 0, weight = 0;
      terms.forEach(function (term) {
        if (!(term.bits[unit >> 3] & (1 << (unit & 7)))) return;
        ++count;
        weight += 1 + (term.extra[unit] || 0);
      });
      if (count) slides.push({ slide: unit - lo, terms: count, weight: weight });
    }
    slides.sort(function (a, b) { return b.terms - a.terms || b.weight - a.weight || a.slide - b.slide; });
    return slides;
  }

  // The words in context come from the slides' texts, a file for a few
  // decks each: they are read once the typing pauses, not for every
  // search typed over meanwhile.
  const CONTEXT_PAUSE = 120;
  function later(search, then) {
    setTimeout(function () { if (current === search) then(); }, CONTEXT_PAUSE);
  }

  function resultItem(hit, search) {
    const row = hit.row;
    const address = '#q=' + encodeURIComponent(search.query);
    const slides = bestSlides(hit, search);
    const item = element('li', { class: 'deck hit' });
    const best = slides.length ? slides[0].slide : 0;
    item.appendChild(thumbnail(row[0], row[0] + address, row[4] ? companion(row[0]) + 'thumb' + best + '.jpg' : ''));
    const text = element('div');
    const title = element('a', { href: row[0] + address, class: 'title' });
    title.appendChild(marked('span', {}, row[2], search.sought, false));
    text.appendChild(title);
    text.appendChild(marked('div', { class: 'where' }, where(row), search.sought, false));
    const date = day(row[6]);
    text.appendChild(element('div', { class: 'meta' },
      (slides.length ? 'words on ' + slides.length + ' of ' : '') + plural(row[3], 'slide', 'slides') + (date ? ', ' + date : '')));
    const list = element('ul', { class: 'slides' });
    slides.slice(0, SLIDES_SHOWN).forEach(function (s) {
      const entry = element('li');
      entry.appendChild(element('a', { href: companion(row[0]) + 'img' + s.slide + '.html' + address }, 'slide ' + (s.slide + 1)));
      later(search, function () {
        hit.segment.slideText(hit.deck, s.slide).then(function (slideText) {
          entry.appendChild(marked('p', { class: 'context' }, slideText, search.sought, true));
        }, function () {});
      });
      list.appendChild(entry);
    });
    if (slides.length) text.appendChild(list);
    item.appendChild(text);
    return item;
  }

  // Each deck's score: for every term, how rare it is in the archive times
  // what it adds to the deck (its name's place, and its mentions on the
  // slides, counting less for each more and in long decks); a deck with
  // every term on one slide, or in its name, counts a quarter more.
  function rank(perTerm) {
    const total = decks.length;
    const idf = perTerm.map(function (p) {
      let with_ = 0;
      p.forEach(function (term) { with_ += term.decks; });
      return Math.log(1 + (total - with_ + 0.5) / (with_ + 0.5));
    });
    // Thousands of decks can hold a short prefix: kept in arrays, not as
    // an object each.
    const hits = { length: 0, segment: new Uint16Array(total), deck: new Int32Array(total),
                   score: new Float64Array(total) };
    segments.forEach(function (seg, k) {
      const terms = perTerm.map(function (p) { return p.get(seg); });
      const together = new Uint8Array(seg.meta.decks.length);
      if (terms.length > 1) {
        const all = terms[0].bits.slice();
        const all32 = new Uint32Array(all.buffer);
        terms.forEach(function (term) {
          const other = new Uint32Array(term.bits.buffer);
          for (let i = 0; i < all32.length; ++i) all32[i] &= other[i];
        });
        for (let i = 0; i < all.length; ++i)
          if (all[i]) for (let b = 0; b < 8; ++b) if (all[i] & (1 << b)) together[seg.deckOf[i * 8 + b]] = 1;
      }
      for (let d = 0; d < seg.meta.decks.length; ++d) {
        if (!seg.live[d]) continue;
        const length = SATURATION * (0.5 + 0.5 * seg.meta.decks[d][3] / averageSlides);
        let score = 0, every = true;
        for (let i = 0; i < terms.length && every; ++i) {
          const mentions = terms[i].slides[d];
          const name = terms[i].name[d];
          if (!mentions && !name) every = false;
          else score += idf[i] * ((NAME_BONUS[name] || 0) + mentions / (mentions + length));
        }
        if (!every) continue;
        if (together[d]) score *= TOGETHER;
        hits.segment[hits.length] = k;
        hits.deck[hits.length] = d;
        hits.score[hits.length++] = score;
      }
    });
    return hits;
  }
  function hitAt(hits, i) {
    const seg = segments[hits.segment[i]];
    return { segment: seg, deck: hits.deck[i], row: seg.meta.decks[hits.deck[i]] };
  }
  // The hits' numbers, best first with equal scores in the order found
  // (segment, then path): sorted as numbers, which a browser does far
  // quicker than with a comparison function.
  function ordered(hits, order) {
    if (order !== 'relevance') {
      const byRow = ORDERS[order];
      const rows = function (i) { return segments[hits.segment[i]].meta.decks[hits.deck[i]]; };
      return Int32Array.from({ length: hits.length }, function (_, i) { return i; })
        .sort(function (a, b) { return byRow(rows(a), rows(b)); });
    }
    const keys = new Float64Array(hits.length);
    for (let i = 0; i < hits.length; ++i) keys[i] = -Math.floor(hits.score[i] * 1e6) * 1048576 + i;
    keys.sort();
    return Int32Array.from(keys, function (key) { return ((key % 1048576) + 1048576) % 1048576; });
  }

  let generation = 0;
  let current = null;
  let searchOrder = 'relevance';
  function showSort(searching) {
    const select = sortSelect();
    const best = select.querySelector('option[value="relevance"]');
    best.hidden = best.disabled = !searching;
    select.value = searching ? searchOrder : listOrder;
  }
  function drawResults() {
    const results = document.getElementById('results');
    const search = current;
    results.textContent = '';
    const order = ordered(search.hits, searchOrder);
    growingList(results, order, function (i) { return resultItem(hitAt(search.hits, i), search); }, PAGE, 'decks', 'ol')
      .setAttribute('aria-label', 'Decks found');
  }
  function search(query) {
    const mine = ++generation;
    const results = document.getElementById('results');
    const archive = document.getElementById('archive');
    const summary = document.getElementById('summary');
    const terms = queryTerms(query);
    if (!terms.length) {
      current = null;
      results.hidden = true;
      results.textContent = '';
      archive.hidden = false;
      showSort(false);
      summary.textContent = plural(decks.length, 'deck', 'decks') + ', ' +
        plural(decks.reduce(function (n, row) { return n + row[3]; }, 0), 'slide', 'slides');
      document.body.dataset.state = 'ready';
      return Promise.resolve();
    }
    document.body.dataset.state = 'searching';
    return Promise.all(segments.map(function (s) {
      return Promise.all(terms.map(function (t) { return s.lookUp(t); }));
    })).then(function (lookups) {
      if (mine !== generation) return;
      const perTerm = terms.map(function () { return new Map(); });
      const sought = { words: new Set(), prefixes: [], ideographic: [] };
      let partial = false;
      segments.forEach(function (seg, k) {
        terms.forEach(function (t, i) {
          const term = seg.term(termKey(t), lookups[k][i]);
          partial = partial || term.partial;
          perTerm[i].set(seg, term);
          term.words.forEach(function (w) { sought.words.add(w.word); });
        });
      });
      terms.forEach(function (t) {
        if (t.ideographic) sought.ideographic.push(t.term);
        else if (t.prefix) sought.prefixes.push(t.term);
      });
      current = { query: query, terms: perTerm, sought: sought, hits: rank(perTerm) };
      const count = current.hits.length;
      archive.hidden = true;
      results.hidden = false;
      showSort(true);
      summary.textContent = !count ? (partial ? 'Nothing found yet' : 'Nothing found')
        : (partial ? 'at least ' : '') + plural(count, 'deck', 'decks') + ' found';
      drawResults();
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
      if (manifest.format !== FORMAT) throw new Error('the index was written by another version; index the folder again');
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
      averageSlides = Math.max(1, decks.reduce(function (n, row) { return n + row[3]; }, 0) / Math.max(1, decks.length));
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
    sortSelect().addEventListener('change', function () {
      if (current) {
        searchOrder = sortSelect().value;
        drawResults();
      } else {
        listOrder = sortSelect().value;
        drawArchive();
      }
    });
    document.addEventListener('keydown', function (event) {
      if (event.key === '/' && document.activeElement !== input) {
        event.preventDefault();
        input.focus();
      } else if (event.key === 'Escape' && document.activeElement === input && input.value) {
        input.value = '';
        input.dispatchEvent(new Event('input'));
      } else if (event.key === 'ArrowDown' && document.activeElement === input) {
        const first = document.querySelector('#results:not([hidden]) a.title, #archive a.title, #archive summary');
        if (first) {
          event.preventDefault();
          first.focus();
        }
      }
    });
  }

  document.addEventListener('DOMContentLoaded', start);
})();
