#!/usr/bin/env python3
"""The house rules of docs/architecture.md, checked on the source tree.

Fails (exit 1, one line per fault) when
  - a file includes one of a folder on its own or a higher floor (the floors are read
    from the layer table of docs/architecture.md, so the order is written down once);
  - a file outside app/ includes the controller's header;
  - code outside the settings owner calls the store or includes its headers;
  - a media extension is spelled out outside the media table;
  - an internal window message is posted;
  - a class spans more than 500 lines over its files.

Usage: check_architecture.py SOURCE_DIR
"""
import os
import re
import sys
from collections import defaultdict

PROGRAM_EXCLUDED = {"tests", "bench", "fuzz", "tools", "scripts", "docs", "res", "cmake", ".ci"}
CONTROLLER_HEADER = "TavoraPlayerDlg.h"
SETTINGS_OWNERS = ("settings/", "platform/")
STORE_CALL = re.compile(r"\b(ReadReg\w*|WriteReg\w*|DeleteReg\w*|IncrementReg\w*|ReadClasses\w*|WriteClasses\w*)\s*\(")
STORE_HEADERS = {"Registry.h", "RegistryKeys.h", "RegistryStore.h"}
MEDIA_TABLE = ("contracts/MediaTypes.h", "contracts/MediaTypes.cpp")
MEDIA_LITERAL = re.compile(
    r'"\.?(mp3|mp2|mp1|ogg|oga|wma|asf|wav|cda|m3u|pls|zip|rar|alz|flac|opus|m4a|aac|alac)"', re.IGNORECASE)
POST_MESSAGE = re.compile(r"\bPostMessage\s*\(")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)
CLASS_LIMIT = 500


def read_floors(root):
    """Folder -> floor, from the layer table (| floor | `folder/`, ... | ...)."""
    floors = {}
    with open(os.path.join(root, "docs", "architecture.md"), encoding="utf-8") as doc:
        for line in doc:
            m = re.match(r"\|\s*(\d+)[^|]*\|([^|]*)\|", line)
            if not m:
                continue
            for folder in re.findall(r"`([\w.-]+)/`", m.group(2)):
                floors[folder] = int(m.group(1))
    return floors


def program_files(root):
    out = []
    for top in sorted(os.listdir(root)):
        path = os.path.join(root, top)
        if not os.path.isdir(path) or top in PROGRAM_EXCLUDED or top.startswith((".", "build")):
            continue
        for folder, dirs, files in os.walk(path):
            dirs[:] = [d for d in dirs if not d.startswith("build")]
            for name in files:
                if name.endswith((".h", ".hpp", ".cpp", ".c")):
                    out.append(os.path.relpath(os.path.join(folder, name), root))
    return out


def strip_comments(text):
    text = re.sub(r"/\*.*?\*/", "", text, flags=re.DOTALL)
    return re.sub(r"//[^\n]*", "", text)


def resolve(include, source, by_name, by_path):
    """The file an include names: a path relative to the including file or to the tree,
    else the file of that name in the including file's folder, else the only one."""
    direct = os.path.normpath(os.path.join(os.path.dirname(source), include))
    if direct in by_path:
        return direct
    if include in by_path:
        return include
    candidates = by_name.get(os.path.basename(include), [])
    near = [c for c in candidates if os.path.dirname(c) == os.path.dirname(source)]
    if near:
        return near[0]
    tops = {c.split("/")[0] for c in candidates}
    if len(tops) == 1:
        return candidates[0]
    return None


def code_lines(text):
    return sum(1 for line in text.splitlines() if line.strip())


def block_end(text, open_brace):
    """The index just past the brace that closes the one at `open_brace`."""
    depth = 0
    i = open_brace
    while i < len(text):
        c = text[i]
        if c in "\"'":
            # Skip a string or character literal (raw strings are not used around braces).
            i += 1
            while i < len(text) and text[i] != c:
                i += 2 if text[i] == "\\" else 1
        elif c == "{":
            depth += 1
        elif c == "}":
            depth -= 1
            if depth == 0:
                return i + 1
        i += 1
    return len(text)


def class_sizes(root, files, texts):
    """Lines of code of each class (blank lines and comments not counted): its body in
    the header plus its members' bodies in the sources."""
    sizes = defaultdict(int)
    for path in files:
        text = strip_comments(texts[path])
        if path.endswith(".h"):
            pattern = r"^(?:class|struct)\s+(\w+)[^;{]*\{"
        else:
            pattern = r"^[\w:<>,&*\s~]*?\b(\w+)::~?\w+\s*\([^;{]*?\)[^;{]*\{"
        for m in re.finditer(pattern, text, re.MULTILINE):
            sizes[m.group(1)] += code_lines(text[m.start():block_end(text, m.end() - 1)])
    return sizes


def main():
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else ".")
    floors = read_floors(root)
    files = program_files(root)
    by_path = set(files)
    by_name = defaultdict(list)
    for f in files:
        by_name[os.path.basename(f)].append(f)
    texts = {}
    for f in files:
        with open(os.path.join(root, f), encoding="utf-8", errors="replace") as handle:
            texts[f] = handle.read()

    faults = []
    for folder in {f.split("/")[0] for f in files}:
        if folder not in floors:
            faults.append(f"{folder}/: the layer table of docs/architecture.md does not place this folder")

    for f in files:
        top = f.split("/")[0]
        code = strip_comments(texts[f])
        for include in INCLUDE.findall(code):
            name = os.path.basename(include)
            if name == CONTROLLER_HEADER and top != "app":
                faults.append(f"{f}: includes the controller's header outside app/")
            if name in STORE_HEADERS and not f.startswith(SETTINGS_OWNERS):
                faults.append(f"{f}: includes the store's header {name} outside the settings owner")
            target = resolve(include, f, by_name, by_path)
            if target is None:
                continue
            other = target.split("/")[0]
            if other == top or top not in floors or other not in floors:
                continue
            if floors[other] >= floors[top]:
                faults.append(f"{f}: includes {target} ({other}/ is on floor {floors[other]}, "
                              f"{top}/ on floor {floors[top]})")
        if not f.startswith(SETTINGS_OWNERS) and STORE_CALL.search(code):
            faults.append(f"{f}: calls the store outside the settings owner")
        if f not in MEDIA_TABLE:
            for m in MEDIA_LITERAL.finditer(code):
                if not (m.group(1).islower() or m.group(1).isupper()):
                    continue  # a magic number such as "fLaC", not a name
                faults.append(f"{f}: spells out the media extension {m.group(0)} outside the media table")
                break
        if not f.startswith("platform/") and POST_MESSAGE.search(code):
            faults.append(f"{f}: posts an internal window message")

    for name, lines in sorted(class_sizes(root, files, texts).items()):
        if lines > CLASS_LIMIT:
            faults.append(f"class {name}: {lines} lines (at most {CLASS_LIMIT})")

    for fault in faults:
        print(fault)
    print(f"{len(files)} files checked, {len(faults)} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
