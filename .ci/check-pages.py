#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Checks that README.md and docs/*.md point at what is there: every relative link resolves, to a
heading where it names one (GitHub's anchors), and every repository path named in backticks, in
text or in code blocks, is in the repository (tracked by git). A repository path is a word with a
/ whose first part is a folder or file at the repository's top (`window/eventhandlers.cpp`,
`tests/lsan.supp`, `.ci/run`; `*` matches as in the shell) and that git does not ignore: what builds
and runs make (`build/asan`, `bench/results/`), installed paths (`/usr/bin/...`) and bare file
names are left alone.
It also holds the table of workarounds in docs/ARCHITECTURE.md to the code, both ways: every tracked
file with a comment that starts with the marker word (MARKER below) is named in the table's Where
column, and every file named there holds such a comment.
Prints each fault and exits 1 if there is one."""
import fnmatch
import pathlib
import re
import subprocess
import sys

top = pathlib.Path(__file__).resolve().parent.parent
tracked = subprocess.run(["git", "-C", top, "ls-files"], capture_output=True, text=True,
                         check=True).stdout.splitlines()
folders = {str(p) for f in tracked for p in pathlib.PurePosixPath(f).parents} - {"."}
known = set(tracked) | folders
tops = {f.split("/")[0] for f in tracked}
pages = [top / "README.md"] + sorted((top / "docs").glob("*.md"))


def prose(page):
    """The page's lines outside code blocks, and the code blocks' lines."""
    text, code, fenced = [], [], False
    for line in page.read_text().splitlines():
        if line.startswith("```"):
            fenced = not fenced
        else:
            (code if fenced else text).append(line)
    return text, code


def anchors(page):
    """GitHub's anchor for each heading: lower case, markup and punctuation dropped, spaces to
    hyphens, and -1, -2... after a repeat."""
    seen, found = {}, set()
    for line in prose(page)[0]:
        if heading := re.match(r"#{1,6} +(.*?) *#* *$", line):
            slug = re.sub(r"[^\w\- ]", "", re.sub(r"[`*]|\[([^]]*)\]\([^)]*\)", r"\1",
                                                   heading[1]).lower()).replace(" ", "-")
            found.add(slug if slug not in seen else f"{slug}-{seen[slug]}")
            seen[slug] = seen.get(slug, 0) + 1
    return found


def ignored(path):
    check = ["git", "-C", top, "check-ignore", "-q", "--no-index", path]
    return subprocess.run(check).returncode == 0


faults, links, paths = [], 0, 0
for page in pages:
    name = page.relative_to(top)
    text, code = prose(page)
    outside_code = "\n".join(re.sub(r"`[^`]*`", "", line) for line in text)
    for target in re.findall(r"\]\(([^)\s]+)\)", outside_code):
        if re.match(r"[a-z]+:", target):
            continue
        links += 1
        file, _, anchor = target.partition("#")
        resolved = (page.parent / file).resolve() if file else page
        if not resolved.is_relative_to(top) or str(resolved.relative_to(top)) not in known:
            faults.append(f"{name}: link {target}: no {file} in the repository")
        elif anchor and (resolved.suffix != ".md" or anchor not in anchors(resolved)):
            faults.append(f"{name}: link {target}: no heading #{anchor} in {file or name}")
    spans = re.findall(r"`([^`]+)`", "\n".join(text)) + code
    for word in (w.strip("()[],;:'\"").removeprefix("./") for s in spans for w in s.split()):
        if word.split("/")[0] in tops and "/" in word and not ignored(word):
            paths += 1
            pattern = word.rstrip("/")
            if not any(fnmatch.fnmatchcase(k, pattern) for k in known):
                faults.append(f"{name}: `{word}` is not in the repository")

MARKER = "Workaround:"
# A comment that starts with the marker, in C++, CMake, shell, Python, XML or a suppression list.
marked_comment = re.compile(r"(#|//|/\*|<!--) *" + MARKER)
table_page = top / "docs" / "ARCHITECTURE.md"
pages_and_check = {str(page.relative_to(top)) for page in pages} | {".ci/check-pages.py"}
marked = set()
for file in tracked:
    path = top / file
    if file not in pages_and_check and path.is_file() and not path.is_symlink():
        if marked_comment.search(path.read_bytes().decode("utf-8", "replace")):
            marked.add(file)


def table_files():
    """The repository files named in backticks in the Where column of the table under the
    Workarounds heading."""
    named, section, where = set(), False, None
    for line in prose(table_page)[0]:
        if line.startswith("## "):
            section = line.strip() == "## Workarounds"
        elif section and line.startswith("|"):
            cells = [cell.strip() for cell in line.strip().strip("|").split("|")]
            if where is None:
                where = cells.index("Where")
            elif not set(line) <= set("|-: "):
                for span in re.findall(r"`([^`]+)`", cells[where]):
                    named.update(w for w in span.split() if w in tracked)
    return named


listed = table_files()
for file in sorted(marked - listed):
    faults.append(f"{file}: holds a {MARKER} comment, but the workaround table in "
                  f"{table_page.relative_to(top)} does not name it")
for file in sorted(listed - marked):
    faults.append(f"{table_page.relative_to(top)}: the workaround table names {file}, which holds "
                  f"no {MARKER} comment")

found = (f"{len(pages)} pages, {links} links, {paths} repository paths: all found; "
         f"{len(marked)} files with workarounds, each in the table")
print("\n".join(faults) or found)
sys.exit(1 if faults else 0)
