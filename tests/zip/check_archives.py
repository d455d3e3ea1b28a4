"""Checks every archive the ZIP test program exported, with tools that are not ours.

For each CASE.zip beside CASE.manifest (lines: name, external attributes,
"YYYY-MM-DD hh:mm:ss" or "-", file in CASE.d holding the expected bytes):
unzip -t, zipinfo -v, Python's zipfile (testzip, names in order, bytes,
header fields) and a walk over the raw records.
"""

import pathlib
import re
import struct
import subprocess
import sys
import zipfile

failures = []


def fail(case, text):
    failures.append(f"{case}: {text}")


def read_manifest(path):
    rows = []
    for line in path.read_text(encoding="utf-8").splitlines():
        name, attr, when, blob = line.split("\t")
        rows.append((name, int(attr), when, blob))
    return rows


def check_raw(case, data, rows):
    """Local headers, central directory and end record, byte by byte."""
    end = len(data) - 22
    sig, disk, cd_disk, n_disk, n, cd_size, cd_offset, comment = struct.unpack_from(
        "<IHHHHIIH", data, end)
    if sig != 0x06054B50 or disk or cd_disk or n_disk != n or comment:
        fail(case, "end record is not a plain one-disk record without comment")
    if cd_offset + cd_size != end:
        fail(case, "central directory does not end at the end record (ZIP64 or gaps?)")
    if n != len(rows):
        fail(case, f"{n} entries, {len(rows)} expected")
    local_at, at = 0, cd_offset
    for i in range(n):
        (csig, made, need, flags, method, mtime, mdate, crc, csize, usize, nlen, xlen, clen,
         dstart, iattr, eattr, offset) = struct.unpack_from("<IHHHHHHIIIHHHHHII", data, at)
        name = data[at + 46:at + 46 + nlen]
        at += 46 + nlen + xlen + clen
        if csig != 0x02014B50:
            fail(case, f"entry {i}: bad central signature")
            return
        if (made, need, flags, method, xlen, clen, dstart, iattr) != (20, 20, 0x800, 8, 0, 0, 0, 0):
            fail(case, f"entry {i}: central fields {made, need, flags, method, xlen, clen, dstart, iattr}")
        if offset != local_at:
            fail(case, f"entry {i}: not where the previous entry ends")
        (lsig, lneed, lflags, lmethod, ltime, ldate, lcrc, lcsize, lusize, lnlen,
         lxlen) = struct.unpack_from("<IHHHHHIIIHH", data, offset)
        if (lsig, lneed, lflags, lmethod, lxlen) != (0x04034B50, 20, 0x800, 8, 0):
            fail(case, f"entry {i}: local header fields")
        if (ltime, ldate, lcrc, lcsize, lusize) != (mtime, mdate, crc, csize, usize):
            fail(case, f"entry {i}: local header differs from the central directory")
        if data[offset + 30:offset + 30 + lnlen] != name:
            fail(case, f"entry {i}: local name differs")
        local_at = offset + 30 + lnlen + lcsize  # no data descriptor follows
    if local_at != cd_offset:
        fail(case, "data does not end where the central directory starts")


def check_zipfile(case, path, rows, folder):
    with zipfile.ZipFile(path) as z:
        if z.testzip() is not None:
            fail(case, f"testzip: {z.testzip()}")
        infos = z.infolist()
        if [i.filename for i in infos] != [r[0] for r in rows]:
            fail(case, f"names {[i.filename for i in infos][:5]} != {[r[0] for r in rows][:5]}")
        blobs = {}
        for info, (name, attr, when, blob) in zip(infos, rows):
            if blob not in blobs:
                blobs[blob] = (folder / blob).read_bytes()
            if z.read(info) != blobs[blob]:
                fail(case, f"{name}: bytes differ from the source")
            if info.flag_bits != 0x800 or info.compress_type != 8:
                fail(case, f"{name}: flags {info.flag_bits:#x} method {info.compress_type}")
            if (info.create_system, info.create_version, info.extract_version) != (0, 20, 20):
                fail(case, f"{name}: versions {info.create_system, info.create_version, info.extract_version}")
            if info.external_attr != attr or info.internal_attr != 0:
                fail(case, f"{name}: attributes {info.external_attr:#x}, expected {attr:#x}")
            if info.extra or info.comment:
                fail(case, f"{name}: extra field or comment")
            if when != "-" and "%04d-%02d-%02d %02d:%02d:%02d" % info.date_time != when:
                fail(case, f"{name}: time {info.date_time}, expected {when}")


def check_tools(case, path, rows):
    t = subprocess.run(["unzip", "-t", "-qq", str(path)], capture_output=True, text=True)
    if rows and t.returncode != 0:
        fail(case, f"unzip -t: {t.returncode} {t.stdout}{t.stderr}")
    if not rows and "zipfile is empty" not in t.stdout + t.stderr:
        fail(case, f"unzip -t on the empty archive: {t.stdout}{t.stderr}")
    if not rows:
        return
    v = subprocess.run(["zipinfo", "-v", str(path)], capture_output=True, text=True,
                       errors="replace").stdout
    for pattern, count in [
        (r"version of encoding software:\s+2\.0", len(rows)),
        (r"file system or operating system of origin:\s+MS-DOS", len(rows)),
        (r"minimum software version required to extract:\s+2\.0", len(rows)),
        (r"compression method:\s+deflated", len(rows)),
        (r"extended local header:\s+no", len(rows)),
        (r"length of extra field:\s+0 bytes", len(rows)),
    ]:
        found = len(re.findall(pattern, v))
        if found != count:
            fail(case, f"zipinfo: '{pattern}' {found} times, {count} expected")


def main(folder):
    folder = pathlib.Path(folder)
    manifests = sorted(folder.glob("*.manifest"))
    if not manifests:
        fail("all", "the test program exported no archive")
    for manifest in manifests:
        case = manifest.stem
        path = folder / (case + ".zip")
        rows = read_manifest(manifest)
        try:
            check_raw(case, path.read_bytes(), rows)
            check_zipfile(case, path, rows, folder / (case + ".d"))
        except (zipfile.BadZipFile, struct.error, OSError) as e:
            fail(case, f"{type(e).__name__}: {e}")
        check_tools(case, path, rows)
        print(f"checked {case}: {len(rows)} entries")
    for f in failures:
        print("FAIL", f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
