#!/usr/bin/env python3
"""Compiles the help pages into norvatessa.chm.

The pages, the contents, the index and the project are kept in UTF-8 so that they read well in the
repository. The help viewer, however, takes the contents and the index in the code page of the help
file's language (Russian: Windows-1251), so every text file is written out in Windows-1251 into a work
folder, each page's charset declaration changed to match, and chmcmd compiles that copy.

Texts the build makes from the program's own sources come in as NAME=FILE (UTF-8): a page's line
<!--#NAME--> becomes that text.

usage: build_chm.py CHMCMD SOURCE_DIR WORK_DIR OUTPUT [NAME=FILE...]
"""

import configparser
import html
import os
import re
import shutil
import subprocess
import sys
from pathlib import Path

CODE_PAGE = "cp1251"
# The one declaration a source page or sitemap must carry, and what it becomes in the compiled copy.
SOURCE_CHARSET = re.compile(r"charset=utf-8", re.IGNORECASE)
COMPILED_CHARSET = "charset=windows-1251"
TEXT_SUFFIXES = {".htm", ".html", ".hhc", ".hhk", ".hhp", ".css"}
# A line of a page that the build fills with a generated text.
GENERATED_LINE = re.compile(r"^<!--#([a-z-]+)-->\n", re.MULTILINE)
DECLARING_SUFFIXES = {".htm", ".html", ".hhc", ".hhk"}


class HelpError(Exception):
    pass


def project_files(project: Path) -> list[str]:
    """The project itself, its contents and index, and every file its [FILES] section names."""
    parser = configparser.ConfigParser(allow_no_value=True, delimiters=("=",), interpolation=None)
    parser.optionxform = str  # keep the file names' case
    parser.read_string(project.read_text(encoding="utf-8"))
    names = [project.name]
    for key in ("Contents file", "Index file"):
        value = parser.get("OPTIONS", key, fallback=None)
        if value:
            names.append(value)
    if not parser.has_section("FILES"):
        raise HelpError(f"{project}: no [FILES] section")
    names.extend(parser.options("FILES"))
    return names


def generated_texts(arguments: list[str]) -> dict[str, str]:
    """The generated texts by name, from NAME=FILE arguments."""
    texts = {}
    for argument in arguments:
        name, separator, path = argument.partition("=")
        if not separator:
            raise HelpError(f"'{argument}' is not NAME=FILE")
        texts[name] = Path(path).read_text(encoding="utf-8")
    return texts


def with_generated(text: str, generated: dict[str, str], source) -> str:
    """The text with each line <!--#NAME--> replaced by the generated text NAME, as HTML."""

    def replacement(match):
        name = match.group(1)
        if name not in generated:
            raise HelpError(f"{source}: no generated text named '{name}'")
        return html.escape(generated[name], quote=False)

    return GENERATED_LINE.sub(replacement, text)


def converted(source: Path, generated: dict[str, str]) -> bytes:
    """The file's text in Windows-1251, with its charset declaration to match and the generated texts in
    place."""
    try:
        text = source.read_text(encoding="utf-8")
    except UnicodeDecodeError as error:
        raise HelpError(f"{source}: not UTF-8 ({error})") from None
    text = with_generated(text, generated, source)
    if source.suffix.lower() in DECLARING_SUFFIXES:
        text, count = SOURCE_CHARSET.subn(COMPILED_CHARSET, text)
        if count != 1:
            raise HelpError(f"{source}: needs exactly one 'charset=utf-8' declaration, has {count}")
    for number, line in enumerate(text.splitlines(), start=1):
        for column, character in enumerate(line, start=1):
            try:
                character.encode(CODE_PAGE)
            except UnicodeEncodeError:
                raise HelpError(
                    f"{source}:{number}:{column}: U+{ord(character):04X} has no place in Windows-1251; "
                    "write it as an HTML character reference or choose another character"
                ) from None
    return text.encode(CODE_PAGE)


def build(chmcmd: str, source_dir: Path, work_dir: Path, output: Path, generated: dict[str, str]) -> None:
    project = source_dir / "norvatessa.hhp"
    if work_dir.exists():
        shutil.rmtree(work_dir)
    work_dir.mkdir(parents=True)
    for name in project_files(project):
        source = source_dir / name
        if not source.is_file():
            raise HelpError(f"{project}: names {name}, which does not exist")
        target = work_dir / name
        target.parent.mkdir(parents=True, exist_ok=True)
        if source.suffix.lower() in TEXT_SUFFIXES:
            target.write_bytes(converted(source, generated))
        else:
            shutil.copyfile(source, target)

    # chmcmd writes the file named in the project beside the project. It can crash on some inputs after
    # creating an empty file, so both its exit code and the file's size count.
    compiled = work_dir / "norvatessa.chm"
    run = subprocess.run([chmcmd, project.name], cwd=work_dir, capture_output=True, text=True,
                         errors="replace")
    if run.returncode != 0 or not compiled.is_file() or compiled.stat().st_size == 0:
        raise HelpError(f"chmcmd failed (exit code {run.returncode}):\n{run.stdout}{run.stderr}")
    for line in (run.stdout + run.stderr).splitlines():
        if line.lower().startswith(("error", "warning")):
            raise HelpError(f"chmcmd: {line}")

    output.parent.mkdir(parents=True, exist_ok=True)
    partial = output.with_name(output.name + ".partial")
    shutil.copyfile(compiled, partial)
    os.replace(partial, output)


def main(argv: list[str]) -> int:
    if len(argv) < 5:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    try:
        build(argv[1], Path(argv[2]), Path(argv[3]), Path(argv[4]), generated_texts(argv[5:]))
    except HelpError as error:
        print(f"build_chm: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
