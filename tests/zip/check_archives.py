"""Checks every archive the ZIP test program exported, with tools that are not ours.

For each CASE.zip beside CASE.manifest (lines: name, external attributes,
"YYYY-MM-DD hh:mm:ss" or "-", and a file in CASE.d holding the expected bytes
or "zeros:N" for N zero bytes): unzip -t, 7-Zip's test, zipinfo -v, Python's
zipfile (testzip, names in order, bytes, header fields) and a walk over the
raw records. The walk also checks that the ZIP64 records are there exactly
where a value does not fit its classic field: from 0xFFFFFFFF on, or from the
value in CASE.zip64from where a test lowered the writer's limit.
"""

import mmap
import pathlib
import re
import struct
import subprocess
import sys
import zipfile
import zlib

MARKER32 = 0xFFFFFFFF
LIMIT16 = 0xFFFF
CHUNK = 1 << 24

failures = []


def fail(case, text):
    failures.append(f"{case}: {text}")


def read_manifest(path):
    rows = []
    for line in path.read_text(encoding="utf-8").splitlines():
        name, attr, when, blob = line.split("\t")
        rows.append((name, int(attr), when, blob))
    return rows


def read_extra(data, at, length):
    """The extra fields as {id: bytes}."""
    fields, end = {}, at + length
    while at + 4 <= end:
        fid, size = struct.unpack_from("<HH", data, at)
        fields[fid] = bytes(data[at + 4:at + 4 + size])
        at += 4 + size
    return fields


def check_end(case, data, count, limit):
    """The end records; returns where the central directory starts and ends."""
    end = len(data) - 22
    sig, disk, cd_disk, n_disk, n16, size32, offset32, comment = struct.unpack_from(
        "<IHHHHIIH", data, end)
    if sig != 0x06054B50 or disk or cd_disk or n_disk != n16 or comment:
        fail(case, "end record is not a plain one-disk record without comment")
    zip64 = end >= 20 and struct.unpack_from("<I", data, end - 20)[0] == 0x07064B50
    if not zip64:
        if count > LIMIT16:
            fail(case, f"{count} entries without the ZIP64 end record")
        if n16 != count:
            fail(case, f"{n16} entries in the end record, {count} expected")
        if offset32 + size32 != end:
            fail(case, "central directory does not end at the end record")
        return offset32, offset32 + size32
    lsig, ldisk, record_at, disks = struct.unpack_from("<IIQI", data, end - 20)
    if ldisk != 0 or disks != 1 or record_at != end - 20 - 56:
        fail(case, f"ZIP64 locator: disk {ldisk}, record at {record_at}, {disks} disks")
    (rsig, rsize, made, need, rdisk, rcd_disk, rn_disk, rn, size, offset) = struct.unpack_from(
        "<IQHHIIQQQQ", data, record_at)
    if (rsig, rsize, made, need, rdisk, rcd_disk) != (0x06064B50, 44, 45, 45, 0, 0):
        fail(case, f"ZIP64 end record fields {rsig:#x} {rsize} {made} {need} {rdisk} {rcd_disk}")
    if rn_disk != rn or rn != count:
        fail(case, f"ZIP64 end record counts {rn_disk}, {rn}; {count} expected")
    if offset + size != record_at:
        fail(case, "central directory does not end at the ZIP64 end record")
    if count <= LIMIT16 and offset < limit and size < limit:
        fail(case, "ZIP64 end record although every value fits the classic one")
    # Each classic field holds its value or, when that does not fit, the marker.
    expected = (min(count, LIMIT16), size if size < limit else MARKER32,
                offset if offset < limit else MARKER32)
    if (n16, size32, offset32) != expected:
        fail(case, f"end record fields {(n16, size32, offset32)}, expected {expected}")
    return offset, offset + size


def check_raw(case, data, rows, limit):
    """Local headers, central directory and end records, field by field."""
    cd_start, cd_end = check_end(case, data, len(rows), limit)
    local_at, at = 0, cd_start
    for i in range(len(rows)):
        (csig, made, need, flags, method, mtime, mdate, crc, csize32, usize32, nlen, xlen, clen,
         dstart, iattr, eattr, offset32) = struct.unpack_from("<IHHHHHHIIIHHHHHII", data, at)
        if csig != 0x02014B50:
            fail(case, f"entry {i}: bad central signature")
            return
        name = bytes(data[at + 46:at + 46 + nlen])
        extra = read_extra(data, at + 46 + nlen, xlen)
        at += 46 + nlen + xlen + clen
        # The ZIP64 field holds, in order, the values whose fields carry the marker.
        values = list(struct.unpack(f"<{len(extra.get(1, b'')) // 8}Q", extra.get(1, b"")))
        usize = values.pop(0) if usize32 == MARKER32 and values else usize32
        csize = values.pop(0) if csize32 == MARKER32 and values else csize32
        offset = values.pop(0) if offset32 == MARKER32 and values else offset32
        if values or set(extra) - {1}:
            fail(case, f"entry {i}: extra fields {sorted(extra)} with values left over")
        big = [v >= limit for v in (usize, csize, offset)]
        if [f == MARKER32 for f in (usize32, csize32, offset32)] != big:
            fail(case, f"entry {i}: markers {usize32:#x} {csize32:#x} {offset32:#x} "
                       f"for values {usize} {csize} {offset}")
        zip64 = any(big)
        version = 45 if zip64 else 20
        if (made, need, flags, method, clen, dstart, iattr) != (version, version, 0x800, 8, 0, 0, 0):
            fail(case, f"entry {i}: central fields {made, need, flags, method, clen, dstart, iattr}")
        if zip64 != (1 in extra):
            fail(case, f"entry {i}: ZIP64 field present {1 in extra}, needed {zip64}")
        if offset != local_at:
            fail(case, f"entry {i}: not where the previous entry ends")
        (lsig, lneed, lflags, lmethod, ltime, ldate, lcrc, lcsize, lusize, lnlen,
         lxlen) = struct.unpack_from("<IHHHHHIIIHH", data, offset)
        if (lsig, lneed, lflags, lmethod) != (0x04034B50, version, 0x800, 8):
            fail(case, f"entry {i}: local header fields {lneed} {lflags:#x} {lmethod}")
        if (ltime, ldate, lcrc) != (mtime, mdate, crc):
            fail(case, f"entry {i}: local header differs from the central directory")
        if bytes(data[offset + 30:offset + 30 + lnlen]) != name:
            fail(case, f"entry {i}: local name differs")
        lextra = read_extra(data, offset + 30 + lnlen, lxlen)
        # A local ZIP64 field holds both sizes, and the header both markers.
        want = ({1: struct.pack("<QQ", usize, csize)}, MARKER32, MARKER32) if zip64 else (
            {}, csize, usize)
        if (lextra, lcsize, lusize) != want:
            fail(case, f"entry {i}: local sizes {lcsize:#x} {lusize:#x} extra {lextra}")
        local_at = offset + 30 + lnlen + lxlen + csize  # no data descriptor follows
    if local_at != cd_start:
        fail(case, "data does not end where the central directory starts")
    if at != cd_end:
        fail(case, "central directory has bytes after its records")


def zeros_crc(n):
    crc, block = 0, bytes(CHUNK)
    while n > 0:
        crc = zlib.crc32(block[:min(n, CHUNK)], crc)
        n -= CHUNK
    return crc


def same_content(z, info, path):
    """The member's bytes equal the file's, compared piece by piece."""
    with z.open(info) as member, open(path, "rb") as f:
        while True:
            a, b = member.read(CHUNK), f.read(CHUNK)
            if a != b:
                return False
            if not a:
                return True


def check_zipfile(case, path, rows, folder):
    with zipfile.ZipFile(path) as z:
        bad = z.testzip()
        if bad is not None:
            fail(case, f"testzip: {bad}")
        infos = z.infolist()
        if [i.filename for i in infos] != [r[0] for r in rows]:
            fail(case, f"names {[i.filename for i in infos][:5]} != {[r[0] for r in rows][:5]}")
        for info, (name, attr, when, blob) in zip(infos, rows):
            if blob.startswith("zeros:"):
                n = int(blob[6:])
                if info.file_size != n or info.CRC != zeros_crc(n):
                    fail(case, f"{name}: {info.file_size} bytes, CRC {info.CRC:#x}; {n} zeros expected")
            elif not same_content(z, info, folder / blob):
                fail(case, f"{name}: bytes differ from the source")
            if info.flag_bits != 0x800 or info.compress_type != 8:
                fail(case, f"{name}: flags {info.flag_bits:#x} method {info.compress_type}")
            if info.create_system != 0 or info.internal_attr != 0 or info.comment:
                fail(case, f"{name}: system {info.create_system} or internal attributes or comment")
            if info.external_attr != attr:
                fail(case, f"{name}: attributes {info.external_attr:#x}, expected {attr:#x}")
            if when != "-" and "%04d-%02d-%02d %02d:%02d:%02d" % info.date_time != when:
                fail(case, f"{name}: time {info.date_time}, expected {when}")


def check_tools(case, path, rows):
    t = subprocess.run(["unzip", "-t", "-qq", str(path)], capture_output=True, text=True)
    if rows and t.returncode != 0:
        fail(case, f"unzip -t: {t.returncode} {t.stdout}{t.stderr}")
    if not rows and "zipfile is empty" not in t.stdout + t.stderr:
        fail(case, f"unzip -t on the empty archive: {t.stdout}{t.stderr}")
    s = subprocess.run(["7zz", "t", "-bso0", "-bsp0", str(path)], capture_output=True, text=True)
    if s.returncode != 0 or s.stderr:
        fail(case, f"7zz t: {s.returncode} {s.stderr}")
    if not rows:
        return
    v = subprocess.run(["zipinfo", "-v", str(path)], capture_output=True, text=True,
                       errors="replace").stdout
    classic = len(re.findall(r"length of extra field:\s+0 bytes", v))
    for pattern in [
        r"version of encoding software:\s+2\.0",
        r"minimum software version required to extract:\s+2\.0",
    ]:
        found = len(re.findall(pattern, v))
        if found != classic:
            fail(case, f"zipinfo: '{pattern}' {found} times, {classic} expected")
    for pattern in [
        r"file system or operating system of origin:\s+MS-DOS",
        r"compression method:\s+deflated",
        r"extended local header:\s+no",
    ]:
        found = len(re.findall(pattern, v))
        if found != len(rows):
            fail(case, f"zipinfo: '{pattern}' {found} times, {len(rows)} expected")


def main(folder):
    folder = pathlib.Path(folder)
    manifests = sorted(folder.glob("*.manifest"))
    if not manifests:
        fail("all", "the test program exported no archive")
    for manifest in manifests:
        case = manifest.stem
        path = folder / (case + ".zip")
        rows = read_manifest(manifest)
        limit_file = folder / (case + ".zip64from")
        limit = int(limit_file.read_text()) if limit_file.exists() else MARKER32
        try:
            with open(path, "rb") as f, mmap.mmap(f.fileno(), 0, access=mmap.ACCESS_READ) as data:
                check_raw(case, data, rows, limit)
            check_zipfile(case, path, rows, folder / (case + ".d"))
        except (zipfile.BadZipFile, struct.error, OSError, ValueError) as e:
            fail(case, f"{type(e).__name__}: {e}")
        check_tools(case, path, rows)
        print(f"checked {case}: {len(rows)} entries")
    for f in failures:
        print("FAIL", f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
