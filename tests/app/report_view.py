#!/usr/bin/env python3
"""Reads a report page the way a browser's parser does and prints what it
found as JSON: the declared charset, every tag name met, the title and each
table row as a list of cells (decoded text, and the link target if any)."""
import json
import sys
from html.parser import HTMLParser


class ReportView(HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.charset = None
        self.tags = set()
        self.rows = []
        self.cell = None
        self.in_title = False
        self.title = ""

    def handle_starttag(self, tag, attrs):
        self.tags.add(tag)
        attrs = dict(attrs)
        if tag == "meta" and "charset=" in (attrs.get("content") or ""):
            self.charset = attrs["content"].split("charset=", 1)[1].strip()
        elif tag == "title":
            self.in_title = True
        elif tag == "tr":
            self.rows.append([])
        elif tag == "td":
            self.cell = {"text": "", "href": None}
            self.rows[-1].append(self.cell)
        elif tag == "a" and self.cell is not None:
            self.cell["href"] = attrs.get("href")

    def handle_endtag(self, tag):
        if tag == "td":
            self.cell = None
        elif tag == "title":
            self.in_title = False

    def handle_data(self, data):
        if self.cell is not None:
            self.cell["text"] += data.strip("\n")
        elif self.in_title:
            self.title += data


with open(sys.argv[1], "rb") as page:
    raw = page.read()
view = ReportView()
view.feed(raw.decode("utf-8"))
view.close()
print(json.dumps({"charset": view.charset, "tags": sorted(view.tags), "title": view.title,
                  "rows": view.rows}))
