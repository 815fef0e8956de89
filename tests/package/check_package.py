#!/usr/bin/env python3
"""Checks of the release package that need no Windows: what the help file holds, and what the zip and
the installer are made of.

  check_package.py help CHM CHMLS HELP_SOURCE_DIR REPOSITORY [NAME=FILE...]
  check_package.py archive ZIP PROGRAM CLI HELP README SETUP VERSION

Every check that fails is printed; the exit code is the number of failures (at most 100), 0 when all
passed. The closing line says how many checks passed and failed.
"""

import re
import struct
import subprocess
import sys
import tempfile
import zipfile
from html.parser import HTMLParser
from pathlib import Path

CODE_PAGE = "cp1251"
RUSSIAN_LCID = 0x0419


class Checks:
    def __init__(self):
        self.passed = 0
        self.failed = 0

    def expect(self, condition, what):
        if condition:
            self.passed += 1
        else:
            self.failed += 1
            print(f"FAILED: {what}")
        return condition

    def finish(self):
        print(f"{self.passed} passed, {self.failed} failed")
        return min(self.failed, 100)


# ---------------------------------------------------------------------------------------------------
# The help file


class PageParser(HTMLParser):
    """The links, anchors, title and visible text of one page or sitemap."""

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.links = []
        self.anchors = set()
        self.sitemap_locals = []
        self.sitemap_names = []
        self.title = ""
        self.text = []
        self._in_title = False
        self._skip = 0

    def handle_starttag(self, tag, attrs):
        attributes = dict(attrs)
        if "id" in attributes:
            self.anchors.add(attributes["id"])
        if tag == "a" and "name" in attributes:
            self.anchors.add(attributes["name"])
        if tag in ("a", "link") and "href" in attributes:
            self.links.append(attributes["href"])
        if tag == "param":
            name = (attributes.get("name") or "").lower()
            if name == "local":
                self.sitemap_locals.append(attributes.get("value") or "")
            elif name == "name":
                self.sitemap_names.append(attributes.get("value") or "")
        if tag == "title":
            self._in_title = True
        if tag in ("style", "script"):
            self._skip += 1

    def handle_endtag(self, tag):
        if tag == "title":
            self._in_title = False
        if tag in ("style", "script"):
            self._skip -= 1

    def handle_data(self, data):
        if self._in_title:
            self.title += data
        elif not self._skip:
            self.text.append(data)


def parse_page(text):
    parser = PageParser()
    parser.feed(text)
    parser.close()
    return parser


def normalized(text):
    return re.sub(r"\s+", " ", text).strip()


def project_options(project_text):
    """The [OPTIONS] of a help project as a dictionary, and the names in its [FILES] section."""
    options, files, section = {}, [], None
    for line in project_text.splitlines():
        line = line.strip()
        if not line or line.startswith(";"):
            continue
        if line.startswith("[") and line.endswith("]"):
            section = line[1:-1].upper()
        elif section == "OPTIONS" and "=" in line:
            key, value = line.split("=", 1)
            options[key.strip()] = value.strip()
        elif section == "FILES":
            files.append(line)
    return options, files


def system_records(data):
    """The records of a compiled help file's #SYSTEM stream: code -> bytes."""
    records = {}
    position = 4  # the version comes first
    while position + 4 <= len(data):
        code, length = struct.unpack_from("<HH", data, position)
        records[code] = data[position + 4 : position + 4 + length]
        position += 4 + length
    return records


def c_string_fragments(source):
    """The wide string literals of a C++ source, adjacent literals joined, with their escapes resolved.
    A literal interrupted by an expression (`L"a" + x + L"b"`) gives two fragments; comments and
    character literals are skipped. A raw literal (`LR"(...)"`, a page of usage text) gives one fragment
    per line."""
    escapes = {"n": "\n", "t": "\t", "r": "\r", '"': '"', "\\": "\\", "'": "'", "0": "\0"}
    fragments, current, position, joinable = [], None, 0, False
    while position < len(source):
        raw = re.match(r'LR"([^(\s]*)\(', source[position:])
        if raw:
            start = position + raw.end()
            end = source.find(")" + raw.group(1) + '"', start)
            end = len(source) if end < 0 else end
            if current is not None:
                fragments.append(current)
            fragments.extend(source[start:end].splitlines())
            current, joinable = None, False
            position = end + len(raw.group(1)) + 2
        elif source.startswith("//", position):
            position = source.find("\n", position)
            position = len(source) if position < 0 else position
        elif source.startswith("/*", position):
            end = source.find("*/", position + 2)
            position = len(source) if end < 0 else end + 2
        elif source[position] in "'\"":
            quote, start = source[position], position + 1
            position = start
            while position < len(source) and source[position] != quote:
                position += 2 if source[position] == "\\" else 1
            body = source[start:position]
            position += 1
            if quote == "'" or source[start - 2 : start - 1] != "L":
                joinable = False
                continue
            value = re.sub(r"\\(.)", lambda m: escapes.get(m.group(1), m.group(1)), body)
            if joinable and current is not None:
                current += value
            else:
                if current is not None:
                    fragments.append(current)
                current = value
            joinable = True
        else:
            if not source[position].isspace() and source[position] != "L":
                joinable = False
            position += 1
    if current is not None:
        fragments.append(current)
    return fragments


# The program's own words that the help must quote exactly: its sentences (the refusals, failures, the
# missing help file, the log and status texts, the wait steps, the about box and the console program's
# messages), the titles of the list's columns, the console program's listings, and the labels of a
# controller's settings. A sentence's numbered places (%1) split it into fragments; a fragment counts
# when it holds a Cyrillic word, and the bits between the words of a composed message (", ", ":\n") do not.
# The console program's usage is no source of these: the pages show it whole, from the program's own file.
QUOTED_SOURCES = [
    "common/Words.h",
    "app/ListColumns.cpp",
    "cli/ControllerListing.cpp",
    "settings/SettingTable.cpp",
]


# And the labels the user sees in the resources: the settings pages, the menu, and the strings, less
# those that never reach the screen (the countdown unit, a command without a menu item).
RESOURCES = "res/norvatessa.rc"
QUOTED_DIALOGS = ["IDD_NETWORK_PAGE", "IDD_ACCESS_PAGE", "IDD_SENSORS_PAGE"]
UNSHOWN_STRINGS = {"IDS_SECONDS", "ID_PROGRAM_SETTINGS"}


def resource_labels(resources):
    def block(header):
        match = re.search(r"^" + re.escape(header) + r"\b[^\n]*\n(?:(?!BEGIN\n)[^\n]*\n)*?BEGIN\n(.*?)^END",
                          resources, re.S | re.M)
        if match is None:
            raise ValueError(f"{RESOURCES} has no {header}")
        return match.group(1)

    def shown(text):
        return text.replace("&&", "\0").replace("&", "").replace("\0", "&")

    literal = r'"((?:[^"\\]|\\.)*)"'
    for dialog in QUOTED_DIALOGS:
        # One control a statement; a statement's continuation lines are indented further. A hidden label
        # names its field for a screen reader only, and the help need not quote it.
        for statement in re.split(r"\n(?=    \S)", block(f"{dialog} DIALOGEX")):
            if "NOT WS_VISIBLE" not in statement:
                yield from (shown(text) for text in re.findall(literal, statement))
    for text in re.findall(literal, block("IDR_MAINFRAME MENU")):
        yield shown(text.split("\\t")[0])
    for name, text in re.findall(r"^\s*(\w+)\s+" + literal, block("STRINGTABLE"), re.M):
        if name not in UNSHOWN_STRINGS:
            yield from text.split("\\n")


def quoted_fragments(repository):
    sources = [(relative, c_string_fragments((repository / relative).read_text(encoding="utf-8")))
               for relative in QUOTED_SOURCES]
    sources.append((RESOURCES, list(resource_labels((repository / RESOURCES).read_text(encoding="utf-8")))))
    for relative, fragments in sources:
        for fragment in fragments:
            for piece in re.split(r"%[1-9]", fragment):
                words = normalized(piece).strip(" ,:")
                if re.search(r"[А-Яа-яЁё]{2,}", words):
                    yield relative, words


def check_help(checks, chm, chmls, source_dir, repository, generated_arguments):
    # The texts the build puts into the pages, as it puts them (help/build_chm.py).
    sys.path.insert(0, str(source_dir))
    import build_chm

    generated = build_chm.generated_texts(generated_arguments)
    with tempfile.TemporaryDirectory() as folder:
        extracted = Path(folder)
        run = subprocess.run([chmls, "extractall", str(chm), str(extracted)], capture_output=True)
        if not checks.expect(run.returncode == 0, f"chmls extracts {chm}"):
            return
        project_text = (source_dir / "norvatessa.hhp").read_text(encoding="utf-8")
        options, files = project_options(project_text)

        # The help viewer reads the texts in the code page of the file's language.
        system = system_records((extracted / "#SYSTEM").read_bytes())
        lcid = struct.unpack_from("<I", system.get(4, b"\0\0\0\0"))[0]
        checks.expect(lcid == RUSSIAN_LCID, f"the help file's language is Russian (LCID {lcid:#06x})")
        title = system.get(3, b"").rstrip(b"\0").decode(CODE_PAGE, errors="replace")
        checks.expect(title == options.get("Title"), f"the help file's title reads '{title}'")
        default_topic = system.get(2, b"").rstrip(b"\0").decode("ascii", errors="replace")
        checks.expect(default_topic == options.get("Default topic"), f"the first page is {default_topic}")

        # Every page and sitemap holds its source's text, in Windows-1251, declared as such.
        compiled = {}
        for name in [options["Contents file"], options["Index file"]] + files:
            path = extracted / name
            if not checks.expect(path.is_file(), f"the help file holds {name}"):
                continue
            raw = path.read_bytes()
            try:
                text = raw.decode(CODE_PAGE)
            except UnicodeDecodeError:
                checks.expect(False, f"{name} is Windows-1251 text")
                continue
            source = (source_dir / name).read_text(encoding="utf-8")
            try:
                source = build_chm.with_generated(source, generated, name)
            except build_chm.HelpError as error:
                checks.expect(False, str(error))
            if name.endswith((".htm", ".hhc", ".hhk")):
                checks.expect("charset=windows-1251" in text, f"{name} declares charset=windows-1251")
                source = re.sub(r"charset=utf-8", "charset=windows-1251", source, flags=re.I)
            checks.expect(text == source, f"{name} reads in the help file as its source says")
            compiled[name] = parse_page(text)

        pages = [name for name in files if name.endswith(".htm")]
        for name in pages:
            page = compiled.get(name)
            if page:
                checks.expect(re.search(r"[А-Яа-я]", page.title) is not None,
                              f"{name} has a Russian title ('{page.title}')")

        def resolves(link, base):
            target, _, anchor = link.partition("#")
            target = target or base
            if target not in compiled:
                return False
            return not anchor or anchor in compiled[target].anchors

        # Contents, index and the links between pages lead to pages and anchors that exist.
        contents = compiled.get(options["Contents file"])
        index = compiled.get(options["Index file"])
        if contents:
            for local in contents.sitemap_locals:
                checks.expect(resolves(local, ""), f"the contents entry {local} exists")
            listed = {local.partition("#")[0] for local in contents.sitemap_locals}
            for name in pages:
                checks.expect(name in listed, f"the contents list {name}")
        if index:
            checks.expect(len(index.sitemap_names) >= 30, "the index has at least 30 keywords")
            for local in index.sitemap_locals:
                checks.expect(resolves(local, ""), f"the index entry {local} exists")
            keys = [name.casefold() for name in index.sitemap_names]
            checks.expect(keys == sorted(keys), "the index keywords are in alphabetical order")
        for name in pages:
            page = compiled.get(name)
            for link in page.links if page else []:
                if re.match(r"[a-z]+:", link):
                    continue
                checks.expect(resolves(link, name), f"{name} links to {link}, which exists")

        # Every text the build makes from the programs' sources (the console program's usage) is on a page.
        sources = [(source_dir / name).read_text(encoding="utf-8") for name in pages]
        for name in generated:
            checks.expect(any(f"<!--#{name}-->" in source for source in sources), f"a page shows the text {name}")

        # The help quotes the program's messages as the program words them.
        visible = normalized(" ".join(" ".join(compiled[name].text) for name in pages if name in compiled))
        for source, words in quoted_fragments(repository):
            checks.expect(words in visible, f"the help quotes '{words}' ({source})")


# ---------------------------------------------------------------------------------------------------
# The zip and the installer


def check_archive(checks, archive, program, cli, help_file, readme, setup, version):
    expected = {"norvatessa.exe": program, "norvatessa-cli.exe": cli, "norvatessa.chm": help_file,
                "readme.txt": readme}
    with zipfile.ZipFile(archive) as opened:
        names = sorted(opened.namelist())
        checks.expect(names == sorted(expected), f"the zip holds exactly {sorted(expected)}, not {names}")
        checks.expect(opened.testzip() is None, "every member of the zip is intact")
        for name, original in expected.items():
            if name in names:
                checks.expect(opened.read(name) == original.read_bytes(),
                              f"{name} in the zip is the built {original.name}")
        text_bytes = opened.read("readme.txt") if "readme.txt" in names else b""

    # The readme opens right in any Notepad: UTF-8 with a byte-order mark, CR LF line ends.
    checks.expect(text_bytes.startswith(b"\xef\xbb\xbf"), "readme.txt starts with the UTF-8 byte-order mark")
    try:
        text = text_bytes[3:].decode("utf-8")
    except UnicodeDecodeError:
        text = ""
        checks.expect(False, "readme.txt is UTF-8")
    bare_line_feeds = len(re.findall(r"(?<!\r)\n", text))
    bare_returns = len(re.findall(r"\r(?!\n)", text))
    checks.expect(text.endswith("\r\n") and bare_line_feeds == 0 and bare_returns == 0,
                  f"readme.txt lines end in CR LF ({bare_line_feeds} bare LF, {bare_returns} bare CR)")
    checks.expect("@" not in text, "readme.txt has no placeholder left")
    checks.expect(f"версия {version}" in text, f"readme.txt names version {version}")
    for needed in ("norvatessa.exe", "norvatessa-cli.exe --help", "norvatessa.config", "UDP 30303",
                   "profile=any", "searchTimeout", "/AllUsers"):
        checks.expect(needed in text, f"readme.txt mentions {needed}")

    # wine64 runs only 64-bit installers, and the program is 64-bit: so is the installer.
    data = setup.read_bytes()
    machine = None
    if len(data) > 0x40 and data[:2] == b"MZ":
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe : pe + 4] == b"PE\0\0":
            machine = struct.unpack_from("<H", data, pe + 4)[0]
    checks.expect(machine == 0x8664, f"the installer is an x86-64 program (machine {machine})")
    checks.expect(setup.name == f"norvatessa-{version}-setup.exe", f"the installer is named for {version}")
    checks.expect(archive.name == f"norvatessa-{version}.zip", f"the zip is named for {version}")


def main(argv):
    checks = Checks()
    if len(argv) >= 6 and argv[1] == "help":
        check_help(checks, Path(argv[2]), argv[3], Path(argv[4]), Path(argv[5]), argv[6:])
    elif len(argv) == 9 and argv[1] == "archive":
        check_archive(checks, *[Path(argument) for argument in argv[2:8]], argv[8])
    else:
        print(__doc__.strip().splitlines()[2:4], file=sys.stderr)
        return 2
    return checks.finish()


if __name__ == "__main__":
    sys.exit(main(sys.argv))
