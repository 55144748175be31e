#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The Cantorel developers
#
# SPDX-License-Identifier: MIT

# Every catalogue in i18n/ is complete and current: lupdate run over the sources now finds
# no word that is new, gone or untranslated in it, and each translation keeps the
# placeholders (%1, %2, ...) and line breaks of its English.
#   translations_test.py LUPDATE SOURCE_DIR
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

lupdate, source = sys.argv[1], pathlib.Path(sys.argv[2])
catalogues = sorted((source / "i18n").glob("*.ts"))
if not catalogues:
    sys.exit("FAIL: no catalogue in i18n/")
roots = [str(source / d) for d in ("playlist", "shell") if (source / d).is_dir()]

failures = []
with tempfile.TemporaryDirectory() as work:
    for ts in catalogues:
        copy = pathlib.Path(work) / ts.name
        shutil.copy(ts, copy)
        subprocess.run([lupdate, "-silent", "-no-obsolete", "-locations", "none", *roots,
                        "-ts", str(copy)], check=True)
        if copy.read_bytes() != ts.read_bytes():
            failures.append(f"{ts.name}: not current with the sources (run the target "
                            "update_translations, then translate what it added)")
        for message in ET.parse(copy).getroot().iter("message"):
            english = message.findtext("source") or ""
            translation = message.find("translation")
            text = translation.text or "" if translation is not None else ""
            if translation is None or translation.get("type") or not text:
                failures.append(f"{ts.name}: untranslated: {english!r}")
                continue
            placeholders = sorted(re.findall(r"%\d", english))
            if sorted(re.findall(r"%\d", text)) != placeholders:
                failures.append(f"{ts.name}: placeholders differ: {english!r} -> {text!r}")
            if english.count("\n") != text.count("\n"):
                failures.append(f"{ts.name}: line breaks differ: {english!r} -> {text!r}")

for failure in failures:
    print("FAIL:", failure)
sys.exit(1 if failures else 0)
