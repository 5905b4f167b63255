#!/usr/bin/env python3
"""Static checks of a built Stowlet.exe: machine, subsystem, hardening flags, the DLLs it
imports, and its resources (icon 500, IMAGE 600, version strings, manifest).

usage: check_pe.py <exe> <win32|win64> <expected version>
Prints one line per failed check and exits 1 when any failed.
"""
import struct
import sys

# What every run needs, and so the only DLLs the program may import statically: each a known
# system DLL that Windows always loads from the system folder. Every other library is loaded
# when a run first uses it: comctl32 when the settings window or the About box opens (by name,
# for the manifest's version 6), shell32, version, comdlg32, ole32 and oleaut32 by full path.
ALLOWED_DLLS = {
    "kernel32.dll": "processes, files, the settings file: every run",
    "user32.dll": "the CTRL key read at every start, message boxes, the idle wait of a hidden start",
    "gdi32.dll": "user32 imports it, so it is loaded anyway; the skin and the About picture paint with it",
    "advapi32.dll": "the registry and the user name for the macros; user32 loads it anyway (under Wine),"
                    " and the scoped registry key owner closes keys with it",
    "msvcrt.dll": "the C runtime start-up of the toolchain",
}
RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 14, 16, 24

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


class PE:
    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        assert data[pe:pe + 4] == b"PE\0\0", "no PE signature"
        self.machine, nsections, _, _, _, optsize, self.characteristics = struct.unpack_from("<HHIIIHH", data, pe + 4)
        opt = pe + 24
        self.magic = struct.unpack_from("<H", data, opt)[0]
        plus = self.magic == 0x20B
        self.subsystem, self.dll_characteristics = struct.unpack_from("<HH", data, opt + 68)
        ndirs_at = opt + (108 if plus else 92)
        ndirs = struct.unpack_from("<I", data, ndirs_at)[0]
        self.dirs = [struct.unpack_from("<II", data, ndirs_at + 4 + 8 * i) for i in range(ndirs)]
        self.sections = []
        at = opt + optsize
        for i in range(nsections):
            name, vsize, va, rawsize, rawptr = struct.unpack_from("<8sIIII", data, at + 40 * i)
            self.sections.append((name.rstrip(b"\0"), va, max(vsize, rawsize), rawptr, rawsize))
        self.plus = plus

    def offset(self, rva):
        for _, va, size, rawptr, _ in self.sections:
            if va <= rva < va + size:
                return rva - va + rawptr
        raise ValueError("rva %#x outside the sections" % rva)

    def cstring(self, rva):
        at = self.offset(rva)
        return self.data[at:self.data.index(b"\0", at)].decode("ascii")

    def imports(self):
        rva, size = self.dirs[1]
        names = []
        at = self.offset(rva)
        while True:
            fields = struct.unpack_from("<IIIII", self.data, at)
            if not any(fields):
                break
            names.append(self.cstring(fields[3]))
            at += 20
        return names

    def delay_imports(self):
        if len(self.dirs) <= 13 or not self.dirs[13][0]:
            return []
        names = []
        at = self.offset(self.dirs[13][0])
        while True:
            fields = struct.unpack_from("<8I", self.data, at)
            if not any(fields):
                break
            names.append(self.cstring(fields[1]))
            at += 32
        return names

    def resources(self):
        """{(type, id): bytes} for every resource (first language)."""
        base_rva = self.dirs[2][0]
        if not base_rva:
            return {}
        base = self.offset(base_rva)
        found = {}

        def entries(at):
            named, ids = struct.unpack_from("<HH", self.data, at + 12)
            for i in range(named + ids):
                name, target = struct.unpack_from("<II", self.data, at + 16 + 8 * i)
                if name & 0x80000000:
                    at_name = base + (name & 0x7FFFFFFF)
                    length = struct.unpack_from("<H", self.data, at_name)[0]
                    key = self.data[at_name + 2:at_name + 2 + 2 * length].decode("utf-16-le")
                else:
                    key = name
                yield key, target

        for rtype, t1 in entries(base):
            for rid, t2 in entries(base + (t1 & 0x7FFFFFFF)):
                for _, t3 in entries(base + (t2 & 0x7FFFFFFF)):
                    rva, size = struct.unpack_from("<II", self.data, base + t3)
                    found[(rtype, rid)] = self.data[self.offset(rva):self.offset(rva) + size]
                    break
        return found


def check_icon(res):
    group = res.get((RT_GROUP_ICON, 500))
    check(group is not None, "icon 500 missing")
    if group is None:
        return
    _, kind, count = struct.unpack_from("<HHH", group, 0)
    check(kind == 1, "icon 500 is no icon group")
    seen = set()
    for i in range(count):
        w, h, _, _, _, bpp, size, icon_id = struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i)
        seen.add((w or 256, bpp))
        image = res.get((RT_ICON, icon_id))
        check(image is not None and len(image) == size, "icon image %d missing or of the wrong size" % icon_id)
        if image is not None and image[:4] == b"\x28\0\0\0":
            bw, bh, _, bbpp = struct.unpack_from("<iiHH", image, 4)
            check((bw, bh // 2, bbpp) == (w, h, bpp), "icon image %d header disagrees with its entry" % icon_id)
    want = {(s, b) for s in (16, 24, 32, 48) for b in (8, 32)}
    check(want <= seen, "icon 500 lacks sizes/depths: %s" % sorted(want - seen))


def check_jpeg(res):
    jpeg = res.get(("IMAGE", 600))
    check(jpeg is not None, "IMAGE 600 missing")
    if jpeg is None:
        return
    check(jpeg[:2] == b"\xff\xd8", "IMAGE 600 is no JPEG")
    at, sof, density = 2, None, None
    while at + 4 <= len(jpeg) and sof is None:
        marker, length = jpeg[at + 1], struct.unpack_from(">H", jpeg, at + 2)[0]
        if marker == 0xE0 and jpeg[at + 4:at + 9] == b"JFIF\0":
            units, xd, yd = struct.unpack_from(">BHH", jpeg, at + 11)
            density = (units, xd, yd)
        if 0xC0 <= marker <= 0xCF and marker not in (0xC4, 0xC8, 0xCC):
            sof = (marker,) + struct.unpack_from(">BHHB", jpeg, at + 4)
        at += 2 + length
    check(sof is not None and sof[0] == 0xC0, "IMAGE 600 is not baseline (SOF0)")
    if sof:
        check((sof[3], sof[2]) == (400, 400), "IMAGE 600 is %dx%d, not 400x400" % (sof[3], sof[2]))
        check(sof[4] == 3, "IMAGE 600 has %d components, not 3" % sof[4])
    check(density == (1, 96, 96), "IMAGE 600 density is %s, not 96 dpi" % (density,))


def version_strings(blob):
    """The StringFileInfo table 040904E4 as a dict."""
    text = blob.decode("utf-16-le", errors="replace")
    strings = {}
    table = text.find("040904E4")
    check(table >= 0, "version resource has no string table 040904E4")
    for key in ("FileVersion", "ProductVersion", "FileDescription", "InternalName", "ProductName", "OriginalFilename"):
        at = text.find(key + "\0", table)
        if at < 0:
            continue
        at += len(key) + 1
        while text[at] == "\0":
            at += 1
        strings[key] = text[at:text.index("\0", at)]
    return strings


def main():
    exe, arch, version = sys.argv[1:4]
    data = open(exe, "rb").read()
    pe = PE(data)
    check(pe.machine == (0x14C if arch == "win32" else 0x8664), "machine %#x wrong for %s" % (pe.machine, arch))
    check(pe.magic == (0x10B if arch == "win32" else 0x20B), "optional header magic %#x wrong" % pe.magic)
    check(pe.subsystem == 2, "subsystem %d is not the Windows GUI" % pe.subsystem)
    check(pe.dll_characteristics & 0x40, "DYNAMICBASE (ASLR) is off")
    check(pe.dll_characteristics & 0x100, "NXCOMPAT (DEP) is off")
    for dll in pe.imports():
        check(dll.lower() in ALLOWED_DLLS, "imports %s, which not every run needs" % dll)
    # The loader's delayed imports search beside the exe first; nothing may use them.
    for dll in pe.delay_imports():
        check(False, "delay-imports %s" % dll)

    res = pe.resources()
    check_icon(res)
    check_jpeg(res)
    blob = res.get((RT_VERSION, 1))
    check(blob is not None, "version resource missing")
    if blob:
        strings = version_strings(blob)
        expected = {
            "FileVersion": version, "ProductVersion": version,
            "FileDescription": "Press CTRL Key when executing to show window setting.",
            "InternalName": "Stowlet", "ProductName": "Stowlet", "OriginalFilename": "Stowlet.exe",
        }
        for key, value in expected.items():
            check(strings.get(key) == value, "version %s is %r, not %r" % (key, strings.get(key), value))
    manifest = res.get((RT_MANIFEST, 1))
    check(manifest is not None, "manifest missing")
    if manifest:
        text = manifest.decode("utf-8")
        for needle, what in (
            ('name="Microsoft.Windows.Common-Controls" version="6.0.0.0"', "common controls 6"),
            ('level="asInvoker"', "asInvoker"),
            ("<dpiAware", "DPI awareness"),
            ("{e2011457-1546-43c5-a5fe-008deee3d3f0}", "Windows Vista"),
            ("{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "Windows 7"),
            ("{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "Windows 8"),
            ("{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "Windows 8.1"),
            ("{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}", "Windows 10"),
        ):
            check(" ".join(needle.split()) in " ".join(text.split()), "manifest lacks %s" % what)

    for failure in failures:
        print("FAIL: " + failure)
    print("%s: %d checks failed" % (exe, len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
