#!/usr/bin/env python3
"""An album site for the acceptance check, written from the page markers the crawlers read and nothing else.

    foreign_site.py [--log FILE] [--served DIR]

Serves on 127.0.0.1, port chosen by the system, and prints the port as the first line of stdout.
--log    one line per request: path, Accept-Encoding, User-Agent, cookie state (TAB separated)
--served every picture body the site sends is also written here under its URL path (before any gzip),
         so a check can compare the saved files with what went over the wire.

Pages are GBK. Each page has its own way of being sent: gzip when asked, always or never; charset "GBK",
"gbk" or none; Content-Length or chunked. Connections are kept alive (HTTP/1.1).
Album lists need the login cookies hupu_uid=88 and hupu_sid=S3ss10n; album pages and pictures do not.
GET /__control/add-front-1003 puts a new first picture into album a1003 (for the skip-marker check).
"""
import argparse
import gzip
import http.server
import math
import os
import random
import struct
import sys
import threading
import zlib

# ---------------------------------------------------------------------------------------------------------
# Pictures: small but real, decodable files, made here so the site depends on nothing.

ZIGZAG = [0, 1, 8, 16, 9, 2, 3, 10, 17, 24, 32, 25, 18, 11, 4, 5, 12, 19, 26, 33, 40, 48, 41, 34, 27, 20,
          13, 6, 7, 14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51, 58, 59,
          52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63]
LUMA_Q = [16, 11, 10, 16, 24, 40, 51, 61, 12, 12, 14, 19, 26, 58, 60, 55, 14, 13, 16, 24, 40, 57, 69, 56,
          14, 17, 22, 29, 51, 87, 80, 62, 18, 22, 37, 56, 68, 109, 103, 77, 24, 35, 55, 64, 81, 104, 113, 92,
          49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99]
COS = [[math.cos((2 * x + 1) * u * math.pi / 16) for x in range(8)] for u in range(8)]


def _huffman(symbols, length):
    """Canonical codes of one length for every symbol: a valid JPEG table as long as they do not fill
    the length (the all-ones code stays unused)."""
    assert len(symbols) < (1 << length)
    counts = [0] * 16
    counts[length - 1] = len(symbols)
    table = {s: (i, length) for i, s in enumerate(symbols)}
    return bytes(counts) + bytes(symbols), table


DC_SYMBOLS = list(range(12))
AC_SYMBOLS = [0x00, 0xF0] + [(run << 4) | size for run in range(16) for size in range(1, 11)]
DC_TABLE, DC_CODES = _huffman(DC_SYMBOLS, 4)
AC_TABLE, AC_CODES = _huffman(AC_SYMBOLS, 8)


class _Bits:
    def __init__(self):
        self.out = bytearray()
        self.acc = 0
        self.n = 0

    def put(self, code, length):
        for i in range(length - 1, -1, -1):
            self.acc = (self.acc << 1) | ((code >> i) & 1)
            self.n += 1
            if self.n == 8:
                self.out.append(self.acc)
                if self.acc == 0xFF:
                    self.out.append(0)  # byte stuffing
                self.acc = 0
                self.n = 0

    def flush(self):
        while self.n:
            self.put(1, 1)
        return bytes(self.out)


def _magnitude(v):
    size = abs(v).bit_length()
    return size, (v if v >= 0 else v + (1 << size) - 1)


def make_jpeg(width, height, seed):
    """Baseline grayscale JPEG (JFIF) of a noisy gradient."""
    rng = random.Random(seed)
    pixels = [[max(0, min(255, (x * 255) // width // 2 + (y * 255) // height // 2 + rng.randint(-40, 40)))
               for x in range(width)] for y in range(height)]
    bits = _Bits()
    previous_dc = 0
    for by in range(0, height, 8):
        for bx in range(0, width, 8):
            block = [[pixels[min(by + y, height - 1)][min(bx + x, width - 1)] - 128 for x in range(8)]
                     for y in range(8)]
            coef = [0] * 64
            for v in range(8):
                for u in range(8):
                    s = 0.0
                    for y in range(8):
                        cy = COS[v][y]
                        row = block[y]
                        for x in range(8):
                            s += row[x] * COS[u][x] * cy
                    cu = math.sqrt(0.5) if u == 0 else 1.0
                    cv = math.sqrt(0.5) if v == 0 else 1.0
                    coef[v * 8 + u] = int(round(0.25 * cu * cv * s / LUMA_Q[v * 8 + u]))
            zz = [coef[i] for i in ZIGZAG]
            size, value = _magnitude(zz[0] - previous_dc)
            previous_dc = zz[0]
            bits.put(*DC_CODES[size])
            if size:
                bits.put(value, size)
            run = 0
            for k in range(1, 64):
                if zz[k] == 0:
                    run += 1
                    continue
                while run > 15:
                    bits.put(*AC_CODES[0xF0])
                    run -= 16
                size, value = _magnitude(zz[k])
                bits.put(*AC_CODES[(run << 4) | size])
                bits.put(value, size)
                run = 0
            if run:
                bits.put(*AC_CODES[0x00])

    def segment(marker, payload):
        return struct.pack(">BBH", 0xFF, marker, len(payload) + 2) + payload

    return (b"\xff\xd8"
            + segment(0xE0, b"JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00")
            + segment(0xDB, b"\x00" + bytes(LUMA_Q[i] for i in ZIGZAG))
            + segment(0xC0, struct.pack(">BHHB", 8, height, width, 1) + b"\x01\x11\x00")
            + segment(0xC4, b"\x00" + DC_TABLE)
            + segment(0xC4, b"\x10" + AC_TABLE)
            + segment(0xDA, b"\x01\x01\x00\x00\x3f\x00")
            + bits.flush() + b"\xff\xd9")


def make_png(width, height, seed):
    """8-bit RGB PNG of noise."""
    rng = random.Random(seed)
    raw = b"".join(b"\x00" + bytes(rng.randrange(256) for _ in range(width * 3)) for _ in range(height))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def make_gif(width, height, seed):
    """GIF89a with a 256-colour table; the LZW stream clears its table often enough to stay at 9-bit codes."""
    rng = random.Random(seed)
    palette = bytes(rng.randrange(256) for _ in range(768))
    pixels = [rng.randrange(256) for _ in range(width * height)]
    codes = []
    for i, p in enumerate(pixels):
        if i % 250 == 0:
            codes.append(256)  # clear
        codes.append(p)
    codes.append(257)  # end of information
    stream = bytearray()
    acc = 0
    n = 0
    for c in codes:
        acc |= c << n
        n += 9
        while n >= 8:
            stream.append(acc & 0xFF)
            acc >>= 8
            n -= 8
    if n:
        stream.append(acc & 0xFF)
    blocks = b"".join(bytes([len(stream[i:i + 255])]) + bytes(stream[i:i + 255])
                      for i in range(0, len(stream), 255))
    return (b"GIF89a" + struct.pack("<HHBBB", width, height, 0xF7, 0, 0) + palette
            + b"\x2c" + struct.pack("<HHHHB", 0, 0, width, height, 0)
            + b"\x08" + blocks + b"\x00\x3b")


MAKERS = {"jpeg": lambda seed: make_jpeg(96, 64, seed),
          "png": lambda seed: make_png(40, 36, seed),
          "gif": lambda seed: make_gif(64, 60, seed)}

# ---------------------------------------------------------------------------------------------------------
# The site's content. H stands for the site's own base address in every page.

LONG_TITLE = "洛杉矶湖人队夺冠庆典" * 9          # 90 characters
LONG_DESCRIPTION = "紫金王朝的荣耀时刻" * 11 + "终"  # 100 characters
LONG_ASCII_DESCRIPTION = "long_" + "x" * 220 + "_end.png"
TWIN_TITLE = "双胞胎相册" * 16                    # 80 characters: two titles alike up to here


def pic(path, kind, title_attr, *, chunked=False, gz="never", title_first=False):
    """One picture entry of an album page; title_attr None leaves the title attribute out."""
    return {"path": path, "kind": kind, "title": title_attr, "chunked": chunked, "gz": gz,
            "title_first": title_first}


AD = {"ad": True}

# album id -> header title (alt text as written in the page), stated count, pages of entries
ALBUMS = {
    "1001": ("湖人总冠军游行", 9, [
        [pic("/img/1001/1.small.jpg", "jpeg", "科比 扣篮"),
         pic("/img/1001/2.small.png", "png", "合影.PNG", chunked=True),
         pic("/img/1001/3.small.jpg", "jpeg", None, title_first=True),
         AD],
        [pic("/small.pics/1001/5.small.gif", "gif", "Sunset"),
         pic("/img/1001/6.small.jpg", "png", "sunset"),
         pic("/img/1001/7.small.jpg", "jpeg", "SUNSET"),
         pic("/img/1001/8.small.jpg", "jpeg", "a.webp"),
         pic("/img/1001/9.small.jpg", "jpeg", "   ", chunked=True),
         pic("/img/1001/10.small.jpg", "gif", "Tom &amp;amp; Jerry", chunked=True)],
    ]),
    "1002": ("Tom &amp; Jerry: 1/2 &lt;final&gt;", 12, [
        [pic("/img/1002/1.small.jpg", "jpeg", "a:b/c*d?e"),
         pic("/img/1002/2.small.jpg", "png", LONG_ASCII_DESCRIPTION, chunked=True),
         pic("/img/1002/3.small.jpg", "gif", "  多  空格  "),
         pic("/img/1002/4.small.jpg", "jpeg", "..."),
         pic("/img/1002/5.small.jpg", "png", "scan.TIF", chunked=True)],
    ]),
    "1003": ("旅行 Trip", 2, [
        [pic("/img/1003/1.small.jpg", "png", "海边"),
         pic("/img/1003/2.small.jpg", "jpeg", "海边", chunked=True)],
    ]),
    "1004": ("Trip", 3, [
        [pic("/img/1004/1.small.gif", "gif", "日落")],
        [pic("/img/1004/2.small.jpg", "jpeg", "日落", chunked=True)],
        [pic("/img/1004/3.small.png", "png", "日落", gz="always")],
    ]),
    "1005": ("Trip (1)", 2, [[pic("/img/1005/1.small.jpg", "jpeg", "x")]]),
    "1006": ("trip", 1, [[pic("/img/1006/1.small.jpg", "jpeg", "x")]]),
    "1007": ("...", 0, [[pic("/img/1007/1.small.jpg", "jpeg", "x")]]),
    "1008": ("A B", 7, [[pic("/img/1008/1.small.jpg", "jpeg", "x")]]),
    "1009": ("标题在前", 4, [[pic("/img/1009/1.small.jpg", "jpeg", "x")]]),
    "1010": (LONG_TITLE, 2, [
        [pic("/img/1010/1.small.jpg", "jpeg", ""),
         pic("/img/1010/2.small.jpg", "gif", LONG_DESCRIPTION)],
    ]),
    "1011": ("say hi", 1, [[pic("/img/1011/1.small.jpg", "jpeg", "x")]]),
    "1013": ("湖人总冠军游行", 2, [
        [pic("/img/1013/1.small.jpg", "gif", "科比 扣篮"),
         pic("/img/1013/2.small.jpg", "jpeg", "合影.PNG")],
    ]),
    "1014": ("表情", 1, [[pic("/img/1014/1.small.jpg", "jpeg", "x")]]),
    "3001": (TWIN_TITLE + "之一", 1, [[pic("/img/3001/1.small.jpg", "jpeg", "同名")]]),
    "3002": (TWIN_TITLE + "之二", 1, [[pic("/img/3002/1.small.jpg", "png", "同名")]]),
    "2001": ("维护前的相册", 5, [[pic("/img/2001/1.small.jpg", "jpeg", "一")]]),
    "2002": ("第二本", 6, [[pic("/img/2002/1.small.jpg", "jpeg", "二")]]),
}
NEW_FRONT_PICTURE = pic("/img/1003/0.small.jpg", "jpeg", "新的一张")

# How each album page is sent: album id -> list per page of (gzip, charset, chunked)
ALBUM_PAGE_STYLE = {
    "1001": [("asked", "GBK", False), ("always", None, True)],
    "1002": [("never", None, False)],
    "1003": [("asked", "gbk", True)],
    "1004": [("asked", "GBK", True), ("never", "gbk", False), ("always", "GBK", True)],
}


def list_entry(album, title_attr, count_text, *, href=None, title_first=False, lazy=False):
    href = href if href is not None else "hoopfan88/photo/a%s.html" % album
    link = ' href="%s"' % href if href else ""
    img = '<img class="lazy" data-src="H/s/lazy.gif" src="H/cover/%s.jpg">' % album if lazy else \
          '<img src="H/cover/%s.jpg" width="120" height="90" alt="封面">' % album
    if title_first:
        return ('<li class="album_item"><a%s title="%s" target="_blank">%s</a>'
                '<span class="c">%s</span></li>' % (link, title_attr, img, count_text))
    return ('<li class="album_item" data-id="%s">\n'
            '  <a class="cover"%s target="_blank">%s</a>\n'
            '  <p class="tit"><a%s title="%s">%s</a></p>\n'
            '  <p class="info"><span>%s</span> <em>2024-06-%s</em></p>\n'
            '</li>' % (album, link, img, link, title_attr, title_attr, count_text, album[-2:]))


MEMBER_LISTS = {
    "hoopfan88": [
        [list_entry("1001", "湖人总冠军游行", "(共 9 张)"),
         list_entry("1002", "Tom &amp; Jerry: 1/2 &lt;final&gt;", "(共12张)",
                    href="hoopfan88/photo/a1002-1.html"),
         list_entry("1003", "Trip", "共8张"),
         list_entry("1004", "Trip", "(共3张)")],
        [list_entry("1005", "Trip (1)", "(共2张)"),
         list_entry("1006", "trip", "(共 1 张)"),
         list_entry("1007", "...", "(共0张)"),
         list_entry("1008", "  A&nbsp;&nbsp;B\t?*|  ", "(共7张)"),
         list_entry("1009", "标题在前", "(共4张)", title_first=True)],
        [list_entry("1010", LONG_TITLE, "(共2张)"),
         list_entry("1011", "say &quot;hi&quot; twice", "(共1张)"),
         '<li class="album_item"><img class="lazy" data-src="H/s/lazy.gif" src="H/cover/none.jpg">'
         '<p title="无链接相册">无链接相册</p>(共3张)</li>',
         list_entry("1013", "湖人总冠军游行", "(共 2 张)", lazy=True),
         list_entry("1014", "表情&#128512;", "(共1张)")],
    ],
    "maint_guy": [
        [list_entry("2001", "维护前的相册", "(共5张)", href="maint_guy/photo/a2001.html"),
         list_entry("2002", "第二本", "(共6张)", href="maint_guy/photo/a2002.html")],
        "maintenance",
        [list_entry("2003", "不该出现", "(共1张)", href="maint_guy/photo/a2003.html")],
    ],
    "down_now": ["maintenance"],
    "twins": [
        [list_entry("3001", TWIN_TITLE + "之一", "(共1张)", href="twins/photo/a3001.html"),
         list_entry("3002", TWIN_TITLE + "之二", "(共1张)", href="twins/photo/a3002.html")],
    ],
}
# How each list page is sent: (gzip, charset, chunked, wrapper around the list)
LIST_PAGE_STYLE = [("asked", "GBK", False, False), ("never", "gbk", True, False), ("always", None, True, True)]
NEXT_LINKS = ['<a id="j_next" class="page-next" href="/{m}/photo-{n}">下一页</a>',
              '<a class="btn" id="j_next_page" href="/{m}/photo-{n}">下一页 &gt;</a>']

MAINTENANCE = ('<html><head><title>维护</title></head><body><div class="notice">当前页面正在维护中，请稍后再来。</div>'
               '<ul class="album_list"><li><a href="x/photo/a9.html" title="维护页里的相册">'
               '<img src="H/cover/9.jpg"></a>(共1张)</li></ul>'
               '<a id="j_next" href="/{m}/photo-{n}">下一页</a></body></html>')

NAV = ('<div class="nav"><ul><li><a href="/">首页</a></li><li class="on"><a href="/{m}/photo-1">相册</a></li>'
       '<li><a href="/bbs">论坛</a></li></ul></div>\n')
FOOTER = '<div class="footer"><ul><li>关于虎扑</li><li>联系我们</li></ul></div>\n'
REQUIRED_COOKIES = ("hupu_uid=88", "hupu_sid=S3ss10n")


def list_page(member, number, logged_in):
    pages = MEMBER_LISTS.get(member, [[]])
    style = LIST_PAGE_STYLE[(number - 1) % len(LIST_PAGE_STYLE)]
    if number > len(pages):
        entries, last = [], True
    else:
        entries, last = pages[number - 1], number == len(pages)
    if entries == "maintenance":
        return MAINTENANCE.format(m=member, n=number + 1), style
    if not logged_in:
        entries, last = [], True
    head = ('<!DOCTYPE html>\n<html><head><meta http-equiv="Content-Type" content="text/html; charset=gbk">\n'
            '<title>%s的相册 - 虎扑</title>\n<link rel="stylesheet" href="/s/main.css">\n</head><body>\n' % member)
    body = NAV.format(m=member)
    if not logged_in:
        body += '<div class="tip">登录后才能查看TA的相册</div>\n'
    if style[3]:
        body += '<div class="album_list_wrap">\n'
    body += '<ul class="album_list clearfix" data-page="%d">\n' % number
    body += "\n".join(entries) + "\n</ul>\n"
    if style[3]:
        body += "</div>\n"
    body += '<div class="pager"><a class="prev" href="/%s/photo-%d">上一页</a>' % (member, max(1, number - 1))
    if not last:
        body += NEXT_LINKS[(number - 1) % len(NEXT_LINKS)].format(m=member, n=number + 1)
    body += "</div>\n" + FOOTER + "</body></html>\n"
    return head + body, style


def album_entries(album, page_index, add_front):
    pages = ALBUMS[album][2]
    entries = list(pages[page_index])
    if album == "1003" and page_index == 0 and add_front:
        entries.insert(0, NEW_FRONT_PICTURE)
    out = []
    for i, e in enumerate(entries):
        if e.get("ad"):
            out.append('<li class="ad"><a href="http://ad.example.com/">广告：球鞋特卖</a></li>')
            continue
        title = '' if e["title"] is None else ' title="%s"' % e["title"]
        if e["title_first"]:
            out.append('<li class="pic"><a href="/view/%d" title="不该用的标题"><img src="H%s" alt="p"></a></li>'
                       % (i, e["path"]))
        else:
            out.append('<li class="pic" data-n="%d">\n  <a href="/view/%d" target="_blank"><img class="photo" '
                       'src="H%s"%s width="200"></a>\n  <p class="d">第%d张</p>\n</li>'
                       % (i, i, e["path"], title, i + 1))
    return out


def album_page(member, album, number, add_front):
    alt, count, pages = ALBUMS[album]
    styles = ALBUM_PAGE_STYLE.get(album, [("asked", "GBK", False)])
    style = styles[(number - 1) % len(styles)]
    # album a1003's page has no albumlist_list marker, so its picture list must be the page's first list
    nav = "" if album == "1003" else NAV.format(m=member)
    page = ('<!DOCTYPE html>\n<html><head><meta charset="gbk"><title>相册 - 虎扑</title></head><body>\n'
            + nav
            + '<div class="albumlist_info clearfix" data-album="%s"><img class="cover" src="H/cover/%s.jpg" '
              'alt="%s" width="160"><h1>相册</h1><p class="meta"><span class="num">共%d张</span> 浏览 120 次</p>'
              '</div>\n' % (album, album, alt, count))
    if album == "1003":
        page += '<ul class="photo_grid">\n'  # no albumlist_list marker on this album's page
    else:
        page += '<ul class="albumlist_list clearfix" id="pics">\n'
    if number <= len(pages):
        page += "\n".join(album_entries(album, number - 1, add_front))
    page += "\n</ul>\n<div class=\"pages\">"
    if number > 1:
        page += '<a class="prev" href="/%s/photo/a%s-%d.html">上一页</a>' % (member, album, number - 1)
    if number < len(pages):
        page += '<a class="%s" href="/%s/photo/a%s-%d.html">下一页</a>' % (
            "next" if number == 1 else "next_page", member, album, number + 1)
    page += "</div>\n" + FOOTER + "</body></html>\n"
    return page, (style[0], style[1], style[2])


def picture_table():
    """URL path of every big picture -> (bytes, chunked, gzip); small paths give a thumbnail instead."""
    table = {}
    for album, (_, _, pages) in ALBUMS.items():
        for page in pages:
            for e in page:
                if e.get("ad"):
                    continue
                add_picture(table, e)
    add_picture(table, NEW_FRONT_PICTURE)
    return table


def add_picture(table, e):
    big = e["path"].replace("small.", "big.")
    table[big] = (MAKERS[e["kind"]](big), e["chunked"], e["gz"])


# ---------------------------------------------------------------------------------------------------------


class Site:
    def __init__(self, log_path, served_dir):
        self.pictures = picture_table()
        self.thumbnail = make_png(8, 8, "thumbnail")
        self.add_front = False
        self.lock = threading.Lock()
        self.log = open(log_path, "a", encoding="utf-8") if log_path else None
        self.served_dir = served_dir

    def record(self, handler):
        if not self.log:
            return
        cookie = handler.headers.get("Cookie", "")
        state = "cookie" if all(c in cookie for c in REQUIRED_COOKIES) else ("partial" if cookie else "none")
        line = "\t".join([handler.path, handler.headers.get("Accept-Encoding", "-"),
                          handler.headers.get("User-Agent", "-"), state])
        with self.lock:
            self.log.write(line + "\n")
            self.log.flush()

    def keep_served(self, path, body):
        if not self.served_dir:
            return
        target = os.path.join(self.served_dir, path.lstrip("/"))
        os.makedirs(os.path.dirname(target), exist_ok=True)
        temp = "%s.%d.part" % (target, threading.get_ident())
        with open(temp, "wb") as f:
            f.write(body)
        os.replace(temp, target)


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "hupu-like/1.0"
    timeout = 15

    def log_message(self, fmt, *args):
        pass

    def send(self, status, body, content_type, gz="asked", chunked=False):
        zipped = gz == "always" or (gz == "asked" and "gzip" in self.headers.get("Accept-Encoding", ""))
        if zipped:
            body = gzip.compress(body)
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        if zipped:
            self.send_header("Content-Encoding", "gzip")
        if chunked:
            self.send_header("Transfer-Encoding", "chunked")
        else:
            self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        if not chunked:
            self.wfile.write(body)
            return
        step = 700
        for i in range(0, len(body), step):
            piece = body[i:i + step]
            self.wfile.write(b"%x\r\n" % len(piece) + piece + b"\r\n")
        self.wfile.write(b"0\r\n\r\n")

    def send_page(self, text, style):
        gz, charset, chunked = style
        content_type = "text/html" + ("; charset=" + charset if charset else "")
        base = "http://127.0.0.1:%d" % self.server.server_address[1]
        self.send(200, text.replace('"H/', '"%s/' % base).encode("gbk"), content_type, gz, chunked)

    def do_GET(self):
        site = self.server.site
        site.record(self)
        path = self.path.split("?", 1)[0].split("#", 1)[0]
        parts = path.strip("/").split("/")
        if path == "/__control/add-front-1003":
            site.add_front = True
            return self.send(200, b"ok", "text/plain", "never")
        if len(parts) == 2 and parts[1].startswith("photo-") and parts[1][6:].isdigit():
            cookie = self.headers.get("Cookie", "")
            logged_in = all(c in cookie for c in REQUIRED_COOKIES)
            text, style = list_page(parts[0], int(parts[1][6:]), logged_in)
            return self.send_page(text, style[:3])
        if len(parts) == 3 and parts[1] == "photo" and parts[2].startswith("a") and parts[2].endswith(".html"):
            key = parts[2][1:-5]
            album, _, number = key.partition("-")
            if album in ALBUMS and (number == "" or number.isdigit()):
                text, style = album_page(parts[0], album, int(number or 1), site.add_front)
                return self.send_page(text, style)
        if path in site.pictures:
            body, chunked, gz = site.pictures[path]
            site.keep_served(path, body)
            return self.send(200, body, "image/jpeg", gz, chunked)
        if "small." in path and path.replace("small.", "big.") in site.pictures or path.startswith("/cover/"):
            return self.send(200, site.thumbnail, "image/png", "never")
        self.send(404, "<html><body><h1>404</h1><p>页面不存在</p></body></html>".encode("gbk"),
                  "text/html; charset=GBK", "never")


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def handle_error(self, request, client_address):
        # A client may drop a reply it does not want (a picture over its size limit): not the site's error.
        if isinstance(sys.exc_info()[1], ConnectionError):
            return
        super().handle_error(request, client_address)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--log")
    parser.add_argument("--served")
    args = parser.parse_args()
    server = Server(("127.0.0.1", 0), Handler)
    server.site = Site(args.log, args.served)
    print(server.server_address[1], flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
