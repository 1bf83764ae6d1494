#!/usr/bin/python3
"""Writes app/automation/HtmlEntityTable.inc, the named character
references a browser knows, from the list Python carries
(html.entities.html5, the standard's own table): one line per name,
sorted by its bytes, with the one or two code points it stands for.

    scripts/html-entities.py"""

import html.entities
import os

root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
target = os.path.join(root, "app", "automation", "HtmlEntityTable.inc")
lines = ["// Made by scripts/html-entities.py; do not edit.\n"]
for name in sorted(html.entities.html5, key=lambda n: n.encode()):
    points = [ord(c) for c in html.entities.html5[name]] + [0]
    lines.append(f'{{"{name}", 0x{points[0]:04X}, 0x{points[1]:04X}}},\n')
with open(target, "w") as out:
    out.writelines(lines)
print(f"wrote {len(lines) - 1} names to {os.path.relpath(target, root)}")
