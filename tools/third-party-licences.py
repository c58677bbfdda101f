#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Writes the list of third-party components the Windows build can link, with
# the licence text of each, into packaging/windows/third-party/:
#   components.tsv   one component a line: id, name, version, licence, the
#                    licence file under licenses/, and the markers that tell
#                    from the linker's map whether the component is linked
#   licenses/ID.txt  its copyright notice and licence text
# The Qt components come from the attribution files (qt_attribution.json) of
# Debian's qt6-base source; the MinGW-w64 runtime, winpthreads and GCC's
# runtime libraries from Debian's mingw-w64 source and gcc copyright file.
# Markers: "member:NAME" for an object NAME pulled out of one of Qt's static
# libraries (the component's own sources, or the Qt sources that #include
# them), "archive:NAME" for any object pulled out of the library NAME.
#
#   apt-get source --download-only qt6-base mingw-w64   (deb-src entry needed)
#   tar xf qt6-base_*.orig.tar.xz; tar xf mingw-w64_*.orig.tar.bz2
#   tools/third-party-licences.py QTBASE_SOURCE MINGW_SOURCE packaging/windows/third-party
import json
import os
import re
import sys

qt, mingw, out = sys.argv[1:4]
SOURCE = (".c", ".cc", ".cpp")
# Components whose attribution file sits in a folder of Qt's own code, or
# shares its folder with another one: the sources that carry them.
OWN_SOURCES = {
    "grayraster": ["qgrayraster.c"],
    "siphash": ["qhash.cpp"],
    "aglfn": ["qfontsubset_agl.cpp"],
    "opengl-headers": ["qopenglfunctions.cpp"],
    "opengl-es2-headers": ["qopenglfunctions.cpp"],
    "vulkan-registry": ["qvulkanfunctions.cpp"],
    "qeventdispatcher_cf": ["qeventdispatcher_cf.mm"],
    "freetype-zlib": ["ftgzip.c"],
    "freetype-bdf": ["bdf.c"],
    "freetype-pcf": ["pcf.c"],
    "pcre2-sljit": ["pcre2_jit_compile.c"],
    "sha3_endian": ["qcryptographichash.cpp"],
}
# Never part of a Windows program: build tools, tests and other platforms' data.
SKIP_DIRS = ("cmake/", "tests/", "util/", "src/3rdparty/gradle", "src/3rdparty/android",
             "src/3rdparty/wasm", "src/3rdparty/libpsl")

# Every Qt source file and the files it includes, to find the includers of a
# component's files.
includes = {}
for root, _, files in os.walk(os.path.join(qt, "src")):
    for f in files:
        if f.endswith(SOURCE + (".mm",)):
            path = os.path.join(root, f)
            with open(path, encoding="utf-8", errors="replace") as fh:
                includes[path] = re.findall(r'^\s*#\s*include\s*[<"]([^>"]+)[>"]', fh.read(), re.M)


def includers(names):
    """Basenames of Qt's own sources (not the bundled libraries') including
    one of names."""
    found = set()
    for path, incs in includes.items():
        if os.sep + "3rdparty" + os.sep in path:
            continue
        for inc in incs:
            if os.path.basename(inc) in names:
                found.add(os.path.basename(path))
    return found


def leading_comment(path):
    with open(path, encoding="utf-8", errors="replace") as fh:
        text = fh.read()
    m = re.match(r"\s*/\*(.*?)\*/", text, re.S)
    return re.sub(r"^ ?\* ?", "", m.group(1), flags=re.M).strip() + "\n" if m else ""


def read(path):
    with open(path, encoding="utf-8", errors="replace") as fh:
        return fh.read()


rows = []
licences = {}
for root, _, files in sorted(os.walk(qt)):
    if "qt_attribution.json" not in files:
        continue
    rel = os.path.relpath(root, qt) + "/"
    if rel.startswith(SKIP_DIRS):
        continue
    data = json.loads(read(os.path.join(root, "qt_attribution.json")), strict=False)
    for c in data if isinstance(data, list) else [data]:
        cid = c["Id"]
        if cid.startswith("vulkan-xml"):
            cid = "vulkan-registry"  # the Vulkan API registry, under a plain file name
        listed = c.get("Files", "").replace(",", " ").split()
        if cid in OWN_SOURCES:
            names = set(OWN_SOURCES[cid])
        elif listed:
            names = {os.path.basename(f) for f in listed}
        elif rel.startswith("src/3rdparty/"):
            names = {f for _, _, fs in os.walk(root) for f in fs}
        else:
            sys.exit(f"{rel}: {cid} names no files; add it to OWN_SOURCES")
        members = {n for n in names if n.endswith(SOURCE + (".mm",))}
        members |= includers(names)
        # Licence: the component's copyright and its licence files; a
        # component without one (public domain) keeps its source's own words.
        text = ""
        if c.get("Copyright"):
            text += c["Copyright"].strip() + "\n\n"
        elif c.get("CopyrightFile"):
            text += read(os.path.join(root, c["CopyrightFile"])).strip() + "\n\n"
        files_ = c.get("LicenseFiles") or ([c["LicenseFile"]] if c.get("LicenseFile") else [])
        for f in files_:
            text += read(os.path.normpath(os.path.join(root, f))).strip() + "\n\n"
        if not files_:
            first = sorted(f for f in os.listdir(root) if f.endswith(SOURCE))
            text += leading_comment(os.path.join(root, first[0])) if first else ""
        licence = c.get("LicenseId") or "public domain"
        licences[cid] = text
        rows.append((cid, c.get("Name", cid), c.get("Version", ""), licence,
                     " ".join(sorted(f"member:{m}.obj" for m in members))))

# The MinGW-w64 runtime linked into every program (with its GUID and small
# system libraries: dxguid, uuid, runtimeobject, synchronization), winpthreads (the threads
# of the posix compiler) and GCC's runtime libraries.
rows.append(("mingw-w64-runtime", "MinGW-w64 runtime", os.path.basename(mingw).split("-v")[-1],
             "ZPL-2.1 AND public domain", "archive:libmingw32.a archive:libmingwex.a "
             "archive:libmoldname.a archive:libmsvcrt.a archive:libucrt.a archive:libucrtbase.a "
             "archive:crt2.o archive:crtbegin.o archive:crtend.o archive:libdxguid.a archive:libuuid.a "
             "archive:libruntimeobject.a archive:libsynchronization.a"))
licences["mingw-w64-runtime"] = (read(os.path.join(mingw, "COPYING.MinGW-w64-runtime",
                                                   "COPYING.MinGW-w64-runtime.txt")) + "\n"
                                 + read(os.path.join(mingw, "DISCLAIMER.PD")))
rows.append(("winpthreads", "winpthreads (MinGW-w64)", os.path.basename(mingw).split("-v")[-1],
             "MIT AND BSD-3-Clause", "archive:libwinpthread.a archive:libpthread.a"))
licences["winpthreads"] = read(os.path.join(mingw, "mingw-w64-libraries", "winpthreads", "COPYING"))
gcc = read("/usr/share/doc/gcc-mingw-w64-base/copyright")
start = gcc.index("GCC RUNTIME LIBRARY EXCEPTION")
rows.append(("gcc-runtime", "GCC runtime libraries (libgcc, libstdc++)",
             os.popen("dpkg-query -W -f='${Version}' gcc-mingw-w64-x86-64-posix").read().strip(),
             "GPL-3.0-or-later WITH GCC-exception-3.1",
             "archive:libgcc.a archive:libgcc_eh.a archive:libstdc++.a"))
licences["gcc-runtime"] = (
    "libgcc and libstdc++ are under the GNU General Public License 3.0 or later with the\n"
    "GCC Runtime Library Exception 3.1, which allows their use in programs of any licence.\n\n"
    + gcc[start:gcc.index("\n\n\n", start) if "\n\n\n" in gcc[start:] else len(gcc)].strip() + "\n")

os.makedirs(os.path.join(out, "licenses"), exist_ok=True)
with open(os.path.join(out, "components.tsv"), "w", encoding="utf-8") as fh:
    fh.write("# id\tname\tversion\tlicence\tmarkers (written by tools/third-party-licences.py)\n")
    for cid, name, version, licence, markers in rows:
        if not markers:
            continue  # nothing of it can be linked
        fh.write(f"{cid}\t{name}\t{version}\t{licence}\t{markers}\n")
        with open(os.path.join(out, "licenses", cid + ".txt"), "w", encoding="utf-8",
                  newline="\r\n") as lf:
            lf.write(licences[cid])
