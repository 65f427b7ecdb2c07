#!/usr/bin/env python3
"""Builds the Debian package from a build tree into a temporary folder and checks what a
user's apt would get: the files in their usual places, a stripped program, a desktop entry
whose command and icon are in the package, and Depends naming the Qt 6 runtime, its
platform plugins and a CJK font.

    check_package.py BUILD_DIR
"""

import configparser
import os
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree

DESKTOP = "usr/share/applications/tankora.desktop"
METAINFO = "usr/share/metainfo/io.github.tankora.Tankora.metainfo.xml"
PROGRAM = "usr/bin/tankora"
EXPECTED_FILES = [PROGRAM, DESKTOP, "usr/share/icons/hicolor/scalable/apps/tankora.svg", METAINFO]
# Each wanted dependency, as alternatives any one of which must be named.
EXPECTED_DEPENDS = [("libqt6core6",), ("libqt6gui6",), ("libqt6widgets6",), ("qt6-qpa-plugins",),
                    ("fonts-wqy-microhei", "fonts-noto-cjk")]


def output(*args):
    return subprocess.run(args, check=True, stdout=subprocess.PIPE, stderr=subprocess.PIPE).stdout.decode()


def main():
    build = os.path.abspath(sys.argv[1])
    failures = []
    work = tempfile.mkdtemp(prefix="tankora-package-")
    try:
        result = subprocess.run(["cpack", "-G", "DEB", "--config", os.path.join(build, "CPackConfig.cmake"),
                                 "-B", work], stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        if result.returncode != 0:
            print(result.stdout.decode(errors="replace"), file=sys.stderr)
            print("FAILED: cpack could not build the package", file=sys.stderr)
            return 1
        debs = [name for name in os.listdir(work) if name.endswith(".deb")]
        if len(debs) != 1:
            print(f"FAILED: cpack made {debs}, not one .deb", file=sys.stderr)
            return 1
        deb = os.path.join(work, debs[0])

        fields = {key: output("dpkg-deb", "-f", deb, key).strip() for key in ("Package", "Version", "Depends")}
        if fields["Package"] != "tankora":
            failures.append(f"package name {fields['Package']!r}")
        if not re.fullmatch(r"\d+\.\d+(\.\d+)?", fields["Version"]):
            failures.append(f"version {fields['Version']!r}")
        named = {re.split(r"[\s(]", alternative.strip())[0]
                 for relation in fields["Depends"].split(",") for alternative in relation.split("|")}
        for alternatives in EXPECTED_DEPENDS:
            if not named.intersection(alternatives):
                failures.append(f"Depends names none of {alternatives}: {fields['Depends']}")

        listing = output("dpkg-deb", "-c", deb)
        shipped = {line.split()[-1].lstrip("./").rstrip("/"): line.split()[0] for line in listing.splitlines()}
        for path in EXPECTED_FILES:
            if path not in shipped:
                failures.append(f"the package lacks /{path}")
        if shipped.get(PROGRAM, "").count("x") < 3:
            failures.append(f"/{PROGRAM} is not executable: {shipped.get(PROGRAM)}")

        tree = os.path.join(work, "tree")
        output("dpkg-deb", "-x", deb, tree)
        if os.path.exists(os.path.join(tree, PROGRAM)) and "not stripped" in output("file", os.path.join(tree, PROGRAM)):
            failures.append(f"/{PROGRAM} is not stripped")
        if os.path.exists(os.path.join(tree, DESKTOP)):
            entry = configparser.ConfigParser(interpolation=None)
            entry.optionxform = str
            entry.read(os.path.join(tree, DESKTOP), encoding="utf-8")
            section = entry["Desktop Entry"]
            command = section.get("Exec", "").split()[0] if section.get("Exec") else ""
            if not os.path.exists(os.path.join(tree, "usr/bin", command)):
                failures.append(f"the desktop entry starts {command!r}, which the package does not hold")
            icon = section.get("Icon", "")
            icons = os.path.join(tree, "usr/share/icons/hicolor")
            if not any(name.startswith(icon + ".") for _, _, names in os.walk(icons) for name in names):
                failures.append(f"the desktop entry's icon {icon!r} is not in the package")
        if os.path.exists(os.path.join(tree, METAINFO)):
            launchable = ElementTree.parse(os.path.join(tree, METAINFO)).getroot().find("launchable")
            if launchable is None or launchable.text != os.path.basename(DESKTOP):
                failures.append("the metainfo does not launch the packaged desktop entry")
    finally:
        shutil.rmtree(work, ignore_errors=True)

    for failure in failures:
        print(f"FAILED: {failure}", file=sys.stderr)
    if not failures:
        print("package: files, desktop entry and Depends as expected")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
