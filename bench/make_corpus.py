#!/usr/bin/env python3
"""Generates the benchmark corpus: a deterministic folder tree that looks like a
publisher's download folder.

At --scale 1.0 it holds about 300 MB in about 20 000 files: roughly a third
text-like (prose, source code, CSV and log files), a third incompressible
binary data and the rest already-compressed files (.zip, .gz, .jpg) and mixed
documents, plus thousands of tiny and empty files spread over folders nested up
to eight levels deep, some non-ASCII names and a few empty folders.

Every byte, name and time stamp comes from fixed seeds, so two runs with the
same scale produce the same tree (the deflated members inside the generated
.zip and .gz files depend on the zlib build, which is fixed per machine).
"""

import argparse
import gzip
import io
import itertools
import math
import os
import random
import re
import shutil
import sys
import time
import zipfile

# 2024-01-02 03:04:05 UTC, given to every file and folder so that runs compare.
FIXED_MTIME = 1704164645
ZIP_DATE_TIME = (2024, 1, 2, 3, 4, 4)

MB = 1_000_000

# Per category at scale 1.0: (file count, total bytes, smallest, largest).
# Sizes are drawn log-uniformly between smallest and largest and then scaled so
# that the category adds up to its total.
PLAN = {
    "prose": (1500, 55 * MB, 1_000, 3_000_000),
    "code": (3000, 22 * MB, 300, 120_000),
    "csv": (180, 12 * MB, 2_000, 1_500_000),
    "log": (220, 11 * MB, 2_000, 1_500_000),
    "binary": (300, 100 * MB, 4_000, 12_000_000),
    "jpeg": (700, 45 * MB, 8_000, 600_000),
    "zip": (80, 25 * MB, 10_000, 3_000_000),
    "gzip": (150, 20 * MB, 5_000, 2_000_000),
    "mixed": (100, 10 * MB, 5_000, 800_000),
}
# A few large files, part of their category's count and total, so that a
# packer has to stream rather than hold whole files in memory.
LARGE_FILES = {
    "binary": [("media/disk-image.img", 48 * MB)],
    "prose": [("docs/complete-edition.txt", 10 * MB)],
    "log": [("logs/server-full.log", 4 * MB)],
}
TINY_FILES = 12500  # 1..200 bytes each
EMPTY_FILES = 1200

COMMON_WORDS = """
the of and to a in that it was he she for on is with as his her at by had not
but be from they you this which or we an were all one there have so would their
been if when who them what out into no up said more could some than then its my
me him over only any time now very did about before after like just down back
still little old way even must through where much your our long never see know
again first man woman day night water house road town door hand eye face head
light dark window room morning evening world year place people thing side word
work life boat sea harbour river hill field stone wall street cart salt letter
book ledger number name voice bell fog wind rain snow winter summer spring mile
began turned looked asked answered thought knew came went took made found left
kept gave told felt seemed stood walked heard saw held brought carried opened
closed small great good new other same last next young quiet cold grey pale
slow sharp clean neat strange early late own every each few many most such
""".split()

SYLLABLES = (
    "ka ro mi ten dar lo vi sen ar el an or ur is bel cor fen gal hal jor lim mor "
    "nel pas quin ras sol tor vel wen ya zor ber ing ed er ly tion ment ness st "
    "tha wil han bro ste mar ca ple ton ri ve de la ma ne se"
).split()

# Names that give the tree its non-ASCII entries; each is used once.
NON_ASCII_FILES = {
    "prose": [
        "Dokumente/Übersicht für Käufer.txt",
        "Dokumente/Größere Änderungen.txt",
        "Документы/Отчёт за квартал.txt",
        "Έγγραφα/Σημειώσεις.txt",
        "資料/説明書.txt",
        "Français/Éléments clés.md",
    ],
    "csv": ["Dokumente/Preisübersicht.csv", "Документы/данные.csv"],
    "jpeg": ["Bilder/Straße am Fluß.jpg", "Φωτογραφίες/θάλασσα.jpg"],
    "gzip": ["Архив/журнал.log.gz"],
    "zip": ["Bilder/Urlaubsfotos Österreich.zip"],
}
EMPTY_FOLDERS = [
    "empty",
    "media/unused",
    "src/legacy/old/deprecated",
    "Пустая папка",
    "downloads/incoming/.cache",
]

# Where each category lives: (top folder, subfolders in its tree, max depth).
HOMES = {
    "prose": ("docs", 60, 4),
    "code": ("src", 160, 6),
    "csv": ("data", 25, 3),
    "log": ("logs", 20, 3),
    "binary": ("bin", 20, 3),
    "jpeg": ("media/photos", 50, 4),
    "zip": ("downloads", 15, 2),
    "gzip": ("downloads/archives", 15, 3),
    "mixed": ("docs/print", 12, 2),
    "tiny": ("assets", 700, 8),
}

WRAP = re.compile(r"(.{1,72})(?: |$)")


class Words:
    """A fixed vocabulary of words and of short phrases with Zipf-like
    weights. Prose is drawn phrase by phrase: the repeated word groups give
    deflate the matches that real English offers it, so the text compresses
    about 3:1."""

    def __init__(self, seed):
        rng = random.Random(seed)
        vocabulary = list(dict.fromkeys(COMMON_WORDS))
        known = set(vocabulary)
        while len(vocabulary) < 6000:
            word = "".join(rng.choice(SYLLABLES) for _ in range(rng.choice((1, 2, 2, 2, 3, 3, 3, 4))))
            if word not in known:
                known.add(word)
                vocabulary.append(word)
        self.words = vocabulary
        self.cum = list(itertools.accumulate(1.0 / (rank + 6) ** 1.1 for rank in range(len(vocabulary))))
        self.phrases = [" ".join(self.Pick(rng, rng.choice((1, 1, 2, 2, 3, 4)))) for _ in range(30000)]
        self.phrase_cum = list(itertools.accumulate(1.0 / (rank + 10) for rank in range(len(self.phrases))))

    def Pick(self, rng, count):
        return rng.choices(self.words, cum_weights=self.cum, k=count)

    def Identifier(self, rng, camel):
        parts = self.Pick(rng, rng.randint(1, 3))
        if camel:
            return parts[0] + "".join(p.capitalize() for p in parts[1:])
        return "_".join(parts)

    def Sentence(self, rng):
        phrases = rng.choices(self.phrases, cum_weights=self.phrase_cum, k=rng.randint(2, 9))
        if rng.random() < 0.15 and len(phrases) > 3:
            phrases[len(phrases) // 2] += ","
        sentence = " ".join(phrases)
        return sentence[0].upper() + sentence[1:] + rng.choice(".....?!;:")

    def Prose(self, rng, size):
        """About `size` bytes of wrapped paragraphs, occasionally a heading."""
        out = []
        total = 0
        chapter = 1
        while total < size:
            if rng.random() < 0.04:
                block = "Chapter %d: %s\n\n" % (chapter, " ".join(self.Pick(rng, 3)).title())
                chapter += 1
            else:
                paragraph = " ".join(self.Sentence(rng) for _ in range(rng.randint(2, 9)))
                block = "\n".join(WRAP.findall(paragraph)) + "\n\n"
            out.append(block)
            total += len(block)
        return "".join(out).encode("utf-8")[:size]


# Random.randbytes takes at most 2**31 bits in one call; larger files (from
# --scale 7 on) are drawn in pieces. Below that the bytes are those of one call.
RANDOM_PIECE = 1 << 26


def RandomBytes(rng, count):
    if count <= RANDOM_PIECE:
        return rng.randbytes(count)
    pieces = []
    while count > 0:
        pieces.append(rng.randbytes(min(count, RANDOM_PIECE)))
        count -= RANDOM_PIECE
    return b"".join(pieces)


def LogUniformSizes(rng, count, total, smallest, largest):
    if count <= 0:
        return []
    raw = [math.exp(rng.uniform(math.log(smallest), math.log(largest))) for _ in range(count)]
    factor = total / sum(raw)
    return [max(1, int(value * factor)) for value in raw]


class Tree:
    """A random folder tree under `top`, at most `max_depth` levels below the
    corpus root; files are dropped into its folders at random."""

    SEGMENTS = (
        "alpha beta gamma delta common shared core util misc extra old new v1 v2 "
        "2019 2020 2021 2022 2023 2024 drafts final review chapters parts images "
        "icons sounds fonts levels maps config locale en de fr ru el ja build "
        "Übungen Ärzte Größen Straßen Москва Αθήνα"
    ).split()

    def __init__(self, rng, top, count, max_depth):
        top_depth = top.count("/") + 1
        self.folders = [top]
        depth = {top: top_depth}
        attempts = 0
        while len(self.folders) < count + 1 and attempts < count * 20:
            attempts += 1
            parent = rng.choice(self.folders)
            if depth[parent] >= max_depth:
                continue
            child = parent + "/" + rng.choice(self.SEGMENTS)
            if child in depth:
                child += "-%d" % rng.randint(2, 99)
                if child in depth:
                    continue
            depth[child] = depth[parent] + 1
            self.folders.append(child)

    def Folder(self, rng):
        return rng.choice(self.folders)


class Corpus:
    def __init__(self, root, scale, words):
        self.root = root
        self.scale = scale
        self.words = words
        self.used = set()
        self.stats = {}  # category -> [files, bytes]
        self.folders = set()

    def UniqueName(self, rng, folder, stem, extension):
        name = "%s/%s%s" % (folder, stem, extension)
        while name in self.used:
            name = "%s/%s-%d%s" % (folder, stem, rng.randint(2, 9999), extension)
        self.used.add(name)
        return name

    def Write(self, category, relative, data):
        self.used.add(relative)
        path = os.path.join(self.root, relative)
        folder = os.path.dirname(path)
        if folder not in self.folders:
            os.makedirs(folder, exist_ok=True)
            self.folders.add(folder)
        with open(path, "wb") as handle:
            handle.write(data)
        entry = self.stats.setdefault(category, [0, 0])
        entry[0] += 1
        entry[1] += len(data)


# ----- content makers; each returns bytes of about the requested size -----

C_LINES = [
    "static int {a}(const struct {b} *{c}, size_t {d})\n{{\n",
    "    if ({c} == NULL || {d} == 0) {{\n        return -{n};\n    }}\n",
    "    for (size_t i = 0; i < {d}; ++i) {{\n        {e} += {c}->{f}[i] * {n};\n    }}\n",
    "    {e} = {a}({c}, {d} - 1);\n",
    "    /* {s} */\n",
    "    return {e} > {n} ? {e} : 0;\n}}\n\n",
    "#define {U} {n}\n",
    "#include \"{b}.h\"\n",
    "    const char *{f} = \"{w}\";\n",
    "    switch ({e}) {{\n    case {n}:\n        {a}({c}, {d});\n        break;\n    default:\n        break;\n    }}\n",
]
PY_LINES = [
    "def {a}({c}, {d}={n}):\n",
    '    """{s}"""\n',
    "    if not {c}:\n        return None\n",
    "    for {e} in range({d}):\n        {f}.append({c}[{e}] * {n})\n",
    "    {e} = {a}({c}, {d} - 1)\n",
    "    return {e}\n\n\n",
    "class {B}:\n    def __init__(self, {c}):\n        self.{f} = {c}\n\n",
    "import {b}\n",
    "{U} = {n}\n",
    "    # {s}\n",
]
WEB_LINES = [
    '<div class="{b}" id="{f}">\n',
    "  <p>{s}</p>\n",
    '  <a href="/{b}/{f}.html">{w}</a>\n',
    "</div>\n",
    ".{b} {{\n  margin: {n}px;\n  color: #{h};\n}}\n",
    "function {a}({c}, {d}) {{\n  return {c}.map(({e}) => {e} + {n});\n}}\n",
]
CODE_KINDS = [(".c", C_LINES), (".h", C_LINES), (".cpp", C_LINES), (".py", PY_LINES),
              (".js", WEB_LINES), (".html", WEB_LINES), (".css", WEB_LINES)]


def MakeCode(rng, words, size, lines):
    # A source file reuses a few dozen names over and over.
    functions = [words.Identifier(rng, False) for _ in range(12)]
    types = [words.Identifier(rng, False) for _ in range(6)]
    locals_ = words.Pick(rng, 16)
    fields = [words.Identifier(rng, True) for _ in range(10)]
    out = []
    total = 0
    while total < size:
        template = rng.choice(lines)
        text = template.format(
            a=rng.choice(functions),
            b=rng.choice(types),
            B=rng.choice(types).title().replace("_", ""),
            c=rng.choice(locals_),
            d=rng.choice(locals_) + "_count",
            e=rng.choice(locals_),
            f=rng.choice(fields),
            U=rng.choice(functions).upper(),
            n=rng.choice((0, 1, 2, 4, 8, 16, 32, 100, 255, 1024, rng.randint(0, 99999))),
            h="%06x" % rng.randrange(1 << 24),
            s=words.Sentence(rng),
            w=" ".join(words.Pick(rng, 2)),
        )
        out.append(text)
        total += len(text)
    return "".join(out).encode("utf-8")[:size]


def MakeCsv(rng, words, size):
    out = ["id,date,customer,city,product,quantity,unit_price,total,status\n"]
    total = len(out[0])
    row = 1
    cities = words.Pick(rng, 40)
    products = [words.Identifier(rng, False) for _ in range(60)]
    statuses = ("paid", "paid", "paid", "open", "refunded", "cancelled")
    while total < size:
        quantity = rng.randint(1, 40)
        price = rng.randint(99, 99999) / 100
        line = "%d,2023-%02d-%02d,%s %s,%s,%s,%d,%.2f,%.2f,%s\n" % (
            row, rng.randint(1, 12), rng.randint(1, 28),
            words.Pick(rng, 1)[0].capitalize(), words.Pick(rng, 1)[0].capitalize(),
            rng.choice(cities).capitalize(), rng.choice(products),
            quantity, price, quantity * price, rng.choice(statuses))
        out.append(line)
        total += len(line)
        row += 1
    return "".join(out).encode("utf-8")[:size]


def MakeLog(rng, words, size):
    out = []
    total = 0
    stamp = 1_700_000_000 + rng.randint(0, 10_000_000)
    levels = ("INFO", "INFO", "INFO", "INFO", "DEBUG", "DEBUG", "WARN", "ERROR")
    components = [words.Identifier(rng, False) for _ in range(12)]
    messages = [
        "request {n} served in {m} ms",
        "cache miss for key {w}",
        "connection from 10.{a}.{b}.{c} closed",
        "retrying {w} (attempt {a} of 5)",
        "wrote {n} bytes to {w}.dat",
        "user {w} signed in",
    ]
    while total < size:
        stamp += rng.randint(0, 3)
        tm = time.gmtime(stamp)
        line = "%s.%03d %-5s [%s] %s\n" % (
            time.strftime("%Y-%m-%dT%H:%M:%S", tm), rng.randint(0, 999), rng.choice(levels),
            rng.choice(components),
            rng.choice(messages).format(n=rng.randint(1, 1 << 20), m=rng.randint(1, 900),
                                        w=words.Identifier(rng, False), a=rng.randint(0, 255),
                                        b=rng.randint(0, 255), c=rng.randint(0, 255)))
        out.append(line)
        total += len(line)
    return "".join(out).encode("utf-8")[:size]


JPEG_HEADER = bytes.fromhex(
    "ffd8ffe000104a46494600010101004800480000"  # SOI, APP0 JFIF 1.1, 72 dpi
    "ffdb004300"  # DQT, table 0 follows
)


def MakeJpeg(rng, size):
    table = bytes(rng.randint(1, 80) for _ in range(64))
    frame = bytes.fromhex("ffc0001108") + rng.randint(200, 3000).to_bytes(2, "big") + \
        rng.randint(200, 3000).to_bytes(2, "big") + bytes.fromhex("03012200021101031101")
    scan = bytes.fromhex("ffda000c03010002110311003f00")
    head = JPEG_HEADER + table + frame + scan
    body = max(0, size - len(head) - 2)
    return head + RandomBytes(rng, body) + b"\xff\xd9"


def MakeZip(rng, words, size):
    """A .zip of text members (deflated) and photo-like members (stored)."""
    buffer = io.BytesIO()
    remaining = size
    with zipfile.ZipFile(buffer, "w") as archive:
        index = 0
        while remaining > 0:
            index += 1
            if rng.random() < 0.5:
                part = max(64, min(remaining, rng.randint(4_000, 400_000)))
                info = zipfile.ZipInfo("photo-%03d.jpg" % index, ZIP_DATE_TIME)
                info.compress_type = zipfile.ZIP_STORED
                data = MakeJpeg(rng, part)
                used = part
            else:
                used = max(64, min(remaining, rng.randint(2_000, 150_000)))
                info = zipfile.ZipInfo("notes/%s.txt" % words.Identifier(rng, False), ZIP_DATE_TIME)
                info.compress_type = zipfile.ZIP_DEFLATED
                data = words.Prose(rng, used * 3)
            info.external_attr = 0o644 << 16
            archive.writestr(info, data)
            remaining -= used
    return buffer.getvalue()


def MakeGzip(rng, words, size):
    """A .gz whose content is part text and part binary, like a tarball."""
    text = words.Prose(rng, int(size * 0.9))
    binary = RandomBytes(rng, int(size * 0.7))
    return gzip.compress(text[: len(text) // 2] + binary + text[len(text) // 2:], compresslevel=6, mtime=0)


def MakeMixed(rng, words, size):
    """A PDF-like document: readable objects with incompressible streams."""
    out = [b"%PDF-1.4\n%\xe2\xe3\xcf\xd3\n"]
    total = len(out[0])
    number = 1
    while total < size:
        if rng.random() < 0.5:
            chunk = b"%d 0 obj\n<< /Type /Page /Contents (" % number + words.Prose(rng, rng.randint(500, 8000)) + b") >>\nendobj\n"
        else:
            length = rng.randint(1000, 30000)
            chunk = b"%d 0 obj\n<< /Length %d /Filter /FlateDecode >>\nstream\n" % (number, length) + \
                RandomBytes(rng, length) + b"\nendstream\nendobj\n"
        out.append(chunk)
        total += len(chunk)
        number += 1
    out.append(b"trailer\n<< /Size %d >>\n%%%%EOF\n" % number)
    return b"".join(out)


# ----- the corpus -----

def Build(root, scale):
    words = Words(1)
    corpus = Corpus(root, scale, words)
    trees = {}
    for index, (category, (top, folders, depth)) in enumerate(HOMES.items()):
        trees[category] = Tree(random.Random(100 + index), top, max(1, round(folders * scale)), depth)

    extensions = {
        "prose": (".txt", ".txt", ".txt", ".md"),
        "csv": (".csv",),
        "log": (".log",),
        "binary": (".bin", ".dat", ".dll", ".pak"),
        "jpeg": (".jpg",),
        "zip": (".zip",),
        "gzip": (".gz", ".tar.gz", ".log.gz"),
        "mixed": (".pdf",),
    }

    for index, (category, (count, total, smallest, largest)) in enumerate(PLAN.items()):
        rng = random.Random(1000 + index)
        large = [(name, max(1, round(size * scale))) for name, size in LARGE_FILES.get(category, [])]
        count = max(1, round(count * scale) - len(large))
        total = max(count, total * scale - sum(size for _, size in large))
        sizes = [size for _, size in large] + LogUniformSizes(rng, count, total, smallest, largest)
        special = [name for name, _ in large] + NON_ASCII_FILES.get(category, [])
        for size in sizes:
            if category == "code":
                extension, lines = rng.choice(CODE_KINDS)
            else:
                extension = rng.choice(extensions[category])
            if special:
                relative = special.pop(0)
                corpus.used.add(relative)
            else:
                relative = corpus.UniqueName(rng, trees[category].Folder(rng),
                                             words.Identifier(rng, False).replace("_", "-"), extension)
            if category == "prose":
                data = words.Prose(rng, size)
            elif category == "code":
                data = MakeCode(rng, words, size, lines)
            elif category == "csv":
                data = MakeCsv(rng, words, size)
            elif category == "log":
                data = MakeLog(rng, words, size)
            elif category == "binary":
                data = RandomBytes(rng, size)
            elif category == "jpeg":
                data = MakeJpeg(rng, size)
            elif category == "zip":
                data = MakeZip(rng, words, size)
            elif category == "gzip":
                data = MakeGzip(rng, words, size)
            else:
                data = MakeMixed(rng, words, size)
            corpus.Write(category, relative, data)

    # Thousands of tiny and empty files: most under the deep assets tree, some
    # next to the other categories' files (config snippets, markers).
    rng = random.Random(2000)
    tiny_extensions = (".txt", ".json", ".ini", ".cfg", ".md", ".xml", ".sig", "")
    all_trees = list(trees.values())
    for index in range(round((TINY_FILES + EMPTY_FILES) * scale)):
        tree = trees["tiny"] if rng.random() < 0.7 else rng.choice(all_trees)
        folder = tree.Folder(rng)
        if index % 11 == 0:  # one in eleven empty: about EMPTY_FILES in all
            category, data = "empty", b""
        else:
            category = "tiny"
            length = rng.randint(1, 200)
            data = words.Prose(rng, length) if rng.random() < 0.6 else RandomBytes(rng, length)
        relative = corpus.UniqueName(rng, folder, words.Pick(rng, 1)[0], rng.choice(tiny_extensions))
        corpus.Write(category, relative, data)

    for folder in EMPTY_FOLDERS:
        os.makedirs(os.path.join(root, folder), exist_ok=True)

    return corpus


def FixTimes(root):
    for folder, subfolders, files in os.walk(root, topdown=False):
        for name in files:
            os.utime(os.path.join(folder, name), (FIXED_MTIME, FIXED_MTIME), follow_symlinks=False)
        os.utime(folder, (FIXED_MTIME, FIXED_MTIME))


def Main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("outdir", help="folder to create (must not exist or be empty)")
    parser.add_argument("--scale", type=float, default=1.0, help="size factor (1.0: ~300 MB, ~20 000 files)")
    parser.add_argument("--force", action="store_true", help="delete OUTDIR first if it is not empty")
    arguments = parser.parse_args()
    if not 0 < arguments.scale <= 10:
        parser.error("--scale must be in (0, 10]")

    root = arguments.outdir
    if os.path.exists(root) and os.listdir(root):
        if not arguments.force:
            parser.error("%s exists and is not empty (use --force to replace it)" % root)
        shutil.rmtree(root)
    os.makedirs(root, exist_ok=True)

    started = time.monotonic()
    corpus = Build(root, arguments.scale)
    FixTimes(root)
    elapsed = time.monotonic() - started

    folders = sum(len(subfolders) for _, subfolders, _ in os.walk(root))
    text_like = ("prose", "code", "csv", "log")
    compressed = ("jpeg", "zip", "gzip")
    groups = [("text-like", text_like), ("incompressible", ("binary",)),
              ("already compressed", compressed), ("other", ("mixed", "tiny", "empty"))]
    total_files = sum(entry[0] for entry in corpus.stats.values())
    total_bytes = sum(entry[1] for entry in corpus.stats.values())
    print("corpus %s (scale %g), made in %.1f s" % (root, arguments.scale, elapsed))
    for category, (files, size) in corpus.stats.items():
        print("  %-8s %7d files %12d bytes" % (category, files, size))
    for title, members in groups:
        size = sum(corpus.stats.get(name, (0, 0))[1] for name in members)
        print("  %-19s %5.1f%% of the bytes" % (title, 100.0 * size / max(1, total_bytes)))
    print("total: %d files, %d folders, %d bytes (%.1f MB)" % (total_files, folders, total_bytes, total_bytes / MB))
    return 0


if __name__ == "__main__":
    sys.exit(Main())
