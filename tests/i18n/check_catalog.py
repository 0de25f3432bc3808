#!/usr/bin/env python3
"""Fails when the English catalog is incomplete or a text escapes it.

1. Every message of translations/trawlonix_en.ts has a finished, non-empty
   translation.
2. With --lupdate: the catalog is in step with the sources (lupdate run on a
   copy finds no new text).
3. Every string literal in src/ that holds non-ASCII text (the interface's
   Chinese) is the text argument of a marked call: tr(), translate(), qtr()
   or QT_TRANSLATE_NOOP(); literals outside, other than the few listed in
   ALLOWED, are reported with file and line.
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

ROOT = '.'

# Non-ASCII literals that are not interface texts.
ALLOWED = {
    # The language's own name in the language choice of the options dialog.
    ('src/ui/Dlg_Options.cpp', '"中文"'),
    # Check results are stored data (project file, exports): the command-line
    # check writes and reads them as they are stored.
    ('src/engine/ResultLists.h', '"坏的: "'),
    ('src/engine/export/ExportOptions.h', '"通过"'),
    ('src/engine/export/ExportOptions.h', '"坏的: "'),
    # A separator between the fields of the progress line, not a word.
    ('src/polite/ProgressLine.h', '" · "'),
    # The page stored in the mirror in place of a redirect: mirror contents
    # are the same in every interface language.
    ('src/net/HttpObject.cpp', '"  <TITLE>文件重新部署</TITLE>"'),
    ('src/net/HttpObject.cpp', '"  该文件由 morvek <A HREF=\\"#\\">Trawlonix</A> 自动创建。"'),
    ('src/net/HttpObject.cpp', '"  当被文档<BR>&nbsp;<BR>"'),
    ('src/net/HttpObject.cpp', '"  要求时对方发送了一个重新部署请求到 URL<BR>&nbsp;<BR>"'),
}

MARKED = re.compile(r'\b(?:tr|translate|qtr|QT_TRANSLATE_NOOP)\s*\(\s*(?:"(?:[^"\\]|\\.)*"\s*,\s*)?$')
LITERAL = re.compile(r'"(?:[^"\\\n]|\\.)*"')


def check_catalog(ts_path):
    problems = []
    root = ET.parse(ts_path).getroot()
    for ctx in root.iter('context'):
        name = ctx.findtext('name')
        for msg in ctx.iter('message'):
            src = msg.findtext('source') or ''
            tr = msg.find('translation')
            kind = tr.get('type') if tr is not None else 'missing'
            if tr is None or kind in ('unfinished', 'vanished', 'obsolete') or not (tr.text or '').strip():
                problems.append(f'{ts_path}: [{name}] "{src}" is not translated ({kind or "empty"})')
    return problems


def check_in_step(lupdate, src_dir, ts_path):
    with tempfile.TemporaryDirectory() as tmp:
        copy = os.path.join(tmp, os.path.basename(ts_path))
        shutil.copy(ts_path, copy)
        subprocess.run([lupdate, '-silent', '-locations', 'none', '-no-obsolete',
                        '-tr-function-alias', 'translate+=qtr', '-source-language', 'zh_CN',
                        '-target-language', 'en', src_dir, '-ts', copy], check=True)
        return [p.replace(copy, ts_path) + ' (run the tx_lupdate target and translate it)'
                for p in check_catalog(copy)]


def strip_comments(text):
    """Blanks out comments, keeping line breaks and string literals."""
    out, i, n = [], 0, len(text)
    while i < n:
        c = text[i]
        if c == '"' or (c == "'" and i + 2 < n):
            quote, j = c, i + 1
            while j < n and text[j] != quote and text[j] != '\n':
                j += 2 if text[j] == '\\' else 1
            out.append(text[i:j + 1])
            i = j + 1
        elif text.startswith('//', i):
            j = text.find('\n', i)
            j = n if j < 0 else j
            i = j
        elif text.startswith('/*', i):
            j = text.find('*/', i + 2)
            j = n if j < 0 else j + 2
            out.append('\n' * text.count('\n', i, j))
            i = j
        else:
            out.append(c)
            i += 1
    return ''.join(out)


def check_sources(src_dir):
    problems = []
    for folder, _, files in os.walk(src_dir):
        for f in sorted(files):
            if not f.endswith(('.cpp', '.h')):
                continue
            path = os.path.join(folder, f)
            rel = os.path.relpath(path, ROOT)
            text = strip_comments(open(path, encoding='utf-8').read())
            for m in LITERAL.finditer(text):
                lit = m.group(0)
                if lit.isascii() or (rel, lit) in ALLOWED:
                    continue
                # Adjacent literals continue one text: look before the first.
                start = m.start()
                before = text[:start]
                while True:
                    prev = re.search(r'"(?:[^"\\\n]|\\.)*"\s*$', before)
                    if not prev or MARKED.search(before):
                        break
                    before = before[:prev.start()]
                if not MARKED.search(before):
                    line = text.count('\n', 0, start) + 1
                    problems.append(f'{rel}:{line}: text outside the catalog: {lit}')
    return problems


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('--source-dir', required=True)
    ap.add_argument('--lupdate')
    ap.add_argument('--scan', nargs='*', help='folders under src/ to scan (default: all)')
    a = ap.parse_args()
    global ROOT
    ROOT = a.source_dir
    ts = os.path.join(a.source_dir, 'translations', 'trawlonix_en.ts')
    src = os.path.join(a.source_dir, 'src')
    problems = check_catalog(ts)
    if a.lupdate:
        problems += check_in_step(a.lupdate, src, ts)
    for folder in (a.scan if a.scan is not None else ['']):
        problems += check_sources(os.path.join(src, folder).rstrip('/'))
    for p in problems:
        print(p)
    print(f'{len(problems)} problem(s)')
    return 1 if problems else 0


if __name__ == '__main__':
    sys.exit(main())
