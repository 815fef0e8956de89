#!/usr/bin/env python3
"""Turns the console program's usage (cli/Usage.txt) into what the build needs: a C++ source that the
program embeds, and the parts of the help file's page, each in a file of its own.

  usage.py source USAGE OUTPUT
      OUTPUT: a C++ source defining OM::Norvatessa::Cli::UsagePart (cli/UsagePart.h).
  usage.py help USAGE KEY_LIST OUTPUT_DIR NAME...
      OUTPUT_DIR/NAME.txt for each part, in UTF-8 without the last line break, the key list of "set" (the
      file KEY_LIST, UTF-8) in place of the line {set-keys}. The names must be the usage's parts, every one.

The usage is UTF-8. Lines above the first part are a note; a part runs from its name in brackets ("[get]",
alone on a line) to the next.
"""

import re
import sys
from pathlib import Path

PART = re.compile(r"^\[([a-z-]+)\]$")
KEY_LIST_LINE = "{set-keys}\n"
# The raw literal's delimiter: a part may hold any text but this.
DELIMITER = "usage"


class UsageError(Exception):
    pass


def parts(usage: Path) -> dict[str, str]:
    """The parts of the usage by name, each with its last line break."""
    found: dict[str, str] = {}
    name = None
    for line in usage.read_text(encoding="utf-8").splitlines(keepends=True):
        header = PART.match(line.rstrip("\n"))
        if header:
            name = header.group(1)
            if name in found:
                raise UsageError(f"{usage}: the part [{name}] comes twice")
            found[name] = ""
        elif name is not None:
            found[name] += line if line.endswith("\n") else line + "\n"
    if not found:
        raise UsageError(f"{usage}: no part")
    return found


def source(usage: Path, output: Path) -> None:
    lines = [
        f"// Made by cli/usage.py from {usage.name} at build time: change that file, not this one.",
        '#include "cli/UsagePart.h"',
        "",
        "namespace OM::Norvatessa::Cli",
        "{",
        "",
        "std::wstring_view UsagePart(std::wstring_view name)",
        "{",
    ]
    for name, text in parts(usage).items():
        if f'){DELIMITER}"' in text:
            raise UsageError(f'{usage}: the part [{name}] holds "){DELIMITER}"", which ends the literal')
        lines.append(f'    if (name == L"{name}")')
        lines.append(f'        return LR"{DELIMITER}({text}){DELIMITER}";')
    lines += ["    return {};", "}", "", "} // namespace OM::Norvatessa::Cli", ""]
    write(output, "\n".join(lines))


def help_texts(usage: Path, key_list: Path, output_dir: Path, names: list[str]) -> None:
    found = parts(usage)
    if sorted(found) != sorted(names):
        raise UsageError(f"{usage}: has the parts {sorted(found)}, the help file expects {sorted(names)}")
    keys = key_list.read_text(encoding="utf-8")
    output_dir.mkdir(parents=True, exist_ok=True)
    for name in names:
        text = found[name].replace(KEY_LIST_LINE, keys)
        # The page's <pre> ends right after the text.
        write(output_dir / f"{name}.txt", text.removesuffix("\n"))


def write(path: Path, text: str) -> None:
    path.write_bytes(text.encode("utf-8"))


def main(argv: list[str]) -> int:
    try:
        if len(argv) == 4 and argv[1] == "source":
            source(Path(argv[2]), Path(argv[3]))
        elif len(argv) >= 6 and argv[1] == "help":
            help_texts(Path(argv[2]), Path(argv[3]), Path(argv[4]), argv[5:])
        else:
            print(__doc__.strip().split("\n\n")[1], file=sys.stderr)
            return 2
    except (UsageError, OSError) as error:
        print(f"usage.py: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
