#!/usr/bin/env python3
"""Writes the seed corpus under tests/fuzz/corpus/: small valid files and
broken ones of every kind the readers must survive. The zip archives are built
by hand here so that they can lie (declared sizes, flags, duplicate names, raw
name bytes) the way no archiver would. Run it again after changing it; the
output is deterministic and committed."""

import json
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
CORPUS = os.path.join(HERE, "corpus")

# An 8x8 baseline JPEG (teal) and a 4x4 PNG (red).
JPEG = bytes.fromhex(
    "ffd8ffe000104a46494600010100000100010000ffdb004300100b0c0e0c0a100e0d0e1211101318281a18161618"
    "3123251d283a333d3c3933383740485c4e404457453738506d51575f626768673e4d71797064785c656763ffdb00"
    "43011112121815182f1a1a2f63423842636363636363636363636363636363636363636363636363636363636363"
    "6363636363636363636363636363636363636363ffc00011080008000803012200021101031101ffc40015000101"
    "00000000000000000000000000000005ffc40014100100000000000000000000000000000000ffc4001501010100"
    "000000000000000000000000000405ffc40014110100000000000000000000000000000000ffda000c0301000211"
    "0311003f009801482fffd9")
# The same picture written progressively: ten scans.
PROGRESSIVE = bytes.fromhex(
    "ffd8ffe000104a46494600010101006400640000ffdb004300080606070605080707070909080a0c140d0c0b0b0c19"
    "12130f141d1a1f1e1d1a1c1c20242e2720222c231c1c2837292c30313434341f27393d38323c2e333432ffdb004301"
    "0909090c0b0c180d0d1832211c21323232323232323232323232323232323232323232323232323232323232323232"
    "3232323232323232323232323232323232ffc20011080008000803012200021101031101ffc4001500010100000000"
    "000000000000000000000005ffc4001501010100000000000000000000000000000405ffda000c0301000210031000"
    "000198150bffc40014100100000000000000000000000000000000ffda00080101000105027fffc400141101000000"
    "00000000000000000000000000ffda0008010301013f017fffc40014110100000000000000000000000000000000ff"
    "da0008010201013f017fffc40014100100000000000000000000000000000000ffda0008010100063f027fffc40014"
    "100100000000000000000000000000000000ffda0008010100013f217fffda000c0301000200030000001007ffc400"
    "14110100000000000000000000000000000000ffda0008010301013f107fffc4001411010000000000000000000000"
    "0000000000ffda0008010201013f107fffc40014100100000000000000000000000000000000ffda0008010100013f"
    "107fffd9")
PNG = bytes.fromhex(
    "89504e470d0a1a0a0000000d4948445200000004000000040802000000269309290000001249444154789c63f8cf"
    "c0f09f010f30a0000085bf0ffd0f1e10a90000000049454e44ae426082")


def jpeg_claiming(width, height, base=JPEG, frame=b"\xff\xc0"):
    at = base.index(frame)
    return base[:at + 5] + struct.pack(">HH", height, width) + base[at + 9:]


def repeated_last_scan(jpeg, extra):
    scan = jpeg.rindex(b"\xff\xda")
    end = jpeg.rindex(b"\xff\xd9")
    return jpeg[:end] + jpeg[scan:end] * extra + jpeg[end:]


class Entry:
    def __init__(self, name, data, method=8, flags=None, declared_size=None,
                 declared_crc=None, extra=b"", comment=b""):
        self.name = name if isinstance(name, bytes) else name.encode("utf-8")
        self.data = data
        self.method = method
        self.flags = flags
        self.declared_size = declared_size
        self.declared_crc = declared_crc
        self.extra = extra
        self.comment = comment


def archive(entries):
    out = bytearray()
    central = bytearray()
    for e in entries:
        if e.method == 8:
            c = zlib.compressobj(6, zlib.DEFLATED, -15)
            stored = c.compress(e.data) + c.flush()
        else:
            stored = e.data
        crc = e.declared_crc if e.declared_crc is not None else zlib.crc32(e.data) & 0xFFFFFFFF
        size = e.declared_size if e.declared_size is not None else len(e.data)
        flags = e.flags if e.flags is not None else 0x800
        offset = len(out)
        out += struct.pack("<IHHHHHIIIHH", 0x04034B50, 20, flags, e.method, 0, 0x21,
                           crc, len(stored), size, len(e.name), len(e.extra))
        out += e.name + e.extra + stored
        central += struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 0x031E, 20, flags, e.method, 0,
                               0x21, crc, len(stored), size, len(e.name), len(e.extra),
                               len(e.comment), 0, 0, 0o100644 << 16, offset)
        central += e.name + e.extra + e.comment
    start = len(out)
    out += central
    out += struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, len(entries), len(entries),
                       len(central), start, 0)
    return bytes(out)


def central_record(e, offset):
    """A central-directory record for a stored entry whose local header is at offset."""
    flags = e.flags if e.flags is not None else 0x800
    return struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 0x031E, 20, flags, 0, 0, 0x21,
                       zlib.crc32(e.data) & 0xFFFFFFFF, len(e.data), len(e.data), len(e.name),
                       0, 0, 0, 0, 0o100644 << 16, offset) + e.name


def local_bytes(e):
    return 30 + len(e.name) + len(e.extra) + len(e.data)


def end_record(count, size, offset, comment_length=0):
    return struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, count, count, size, offset, comment_length)


def decoy_zip64(shown, hidden):
    """The last stored entry hides a zip64 end record and locator, more than
    a page before the end but within the 64 KiB the zip library searches,
    describing a directory of only the second "scene.json"."""
    entries = [Entry("scene.json", shown, method=0), Entry("thumbnail.jpg", JPEG * 8, method=0),
               Entry("scene.json", hidden, method=0)]
    offset = sum(local_bytes(e) for e in entries)
    hidden_at = offset - local_bytes(entries[2])
    pad_name = b"pad.bin"
    directory_at = offset + 30 + len(pad_name)
    payload = central_record(entries[2], hidden_at)
    record_at = directory_at + len(payload)
    payload += struct.pack("<IQHHIIQQQQ", 0x06064B50, 44, 45, 45, 0, 0, 1, 1, len(payload), directory_at)
    payload += struct.pack("<IIQI", 0x07064B50, 0, record_at, 1)
    entries.append(Entry(pad_name, payload + bytes(8192), method=0))
    return archive(entries)


def two_end_records(shown, hidden):
    """Two end records whose comments both reach the end of the file: the
    first lists only the second "scene.json", the last both."""
    entries = [Entry("scene.json", shown, method=0), Entry("scene.json", hidden, method=0)]
    whole = archive(entries)
    directory_at = struct.unpack_from("<I", whole, len(whole) - 6)[0]
    directory = whole[directory_at:len(whole) - 22]
    hidden_directory = central_record(entries[1], local_bytes(entries[0]))
    out = whole[:directory_at] + hidden_directory
    out += end_record(1, len(hidden_directory), directory_at, len(directory) + 22)
    whole_at = len(out)
    return out + directory + end_record(2, len(directory), whole_at)


def shared_entry(json_bytes, content, records):
    """Every content record of the directory names the same local header."""
    entries = [Entry("scene.json", json_bytes, method=0), Entry("big.bin", content, method=0)]
    single = archive(entries)
    directory_at = struct.unpack_from("<I", single, len(single) - 6)[0]
    directory = central_record(entries[0], 0)
    directory += central_record(entries[1], local_bytes(entries[0])) * records
    return single[:directory_at] + directory + end_record(records + 1, len(directory), directory_at)


def metadata(**fields):
    base = {"id": "seed.scene", "name": "Seed", "author": "Tests", "description": "A seed",
            "license": "CC BY 4.0", "tags": ["Calm", "Blue"], "typeFlags": 1,
            "relicensing": True, "date": "2024-05-01T12:00:00"}
    base.update(fields)
    return json.dumps(base).encode()


def nested(depth):
    return ("[" * depth + "]" * depth).encode()


# Numbers a double cannot hold, in keys the readers do not know: written back,
# they must keep every digit.
BIG_NUMBERS = (b'"id64": 9007199254740993, "gamma": 0.1000000000000000055511151231257827,'
               b' "more": [18446744073709551615, -0.0, 1E+2, {"x": 1.5e-7}]')


def write(folder, name, data):
    path = os.path.join(CORPUS, folder)
    os.makedirs(path, exist_ok=True)
    with open(os.path.join(path, name), "wb") as f:
        f.write(data)


def scenes():
    valid = archive([Entry("scene.json", metadata()), Entry("thumbnail.jpg", JPEG, method=0),
                     Entry("shader.glsl", b"void main() { gl_FragColor = vec4(1.0); }\n" * 4)])
    write("scene", "valid.kvc", valid)
    write("scene", "metadata-only.kvc", archive([Entry("scene.json", metadata())]))
    write("scene", "stored.kvc", archive([Entry("scene.json", metadata(), method=0),
                                          Entry("a.txt", b"abc", method=0)]))
    write("scene", "duplicate-metadata.kvc",
          archive([Entry("scene.json", metadata(name="First")),
                   Entry("scene.json", metadata(name="Second"))]))
    write("scene", "duplicate-content.kvc",
          archive([Entry("scene.json", metadata()), Entry("a.txt", b"one"), Entry("a.txt", b"two")]))
    write("scene", "wrong-types.kvc",
          archive([Entry("scene.json", b'{"name": 5, "tags": "x", "typeFlags": -1, "date": 7}')]))
    write("scene", "odd-values.kvc",
          archive([Entry("scene.json", metadata(typeFlags=4294967295, date="99999-1-1T1:1:1",
                                                tags=["", "\u00e9\u4e2d", "x" * 200]))]))
    write("scene", "unknown-keys.kvc",
          archive([Entry("scene.json", metadata(extra={"deep": [1, 2, {"x": None}]})),
                   Entry("t.bin", bytes(range(256)))]))
    write("scene", "nested.kvc", archive([Entry("scene.json", nested(3000))]))
    write("scene", "big-numbers.kvc",
          archive([Entry("scene.json", b"{" + BIG_NUMBERS + b", " + metadata()[1:]), Entry("a.txt", b"a")]))
    write("scene", "deep-unknown-key.kvc",
          archive([Entry("scene.json", metadata()[:-1] + b', "deep": ' + nested(500) + b"}")]))
    write("scene", "many-tags.kvc",
          archive([Entry("scene.json", metadata(tags=["t%d" % i for i in range(300)] + ["x" * 300]))]))
    write("scene", "not-json.kvc", archive([Entry("scene.json", b"\xff\xfe{not json")]))
    write("scene", "declares-gigabytes.kvc",
          archive([Entry("scene.json", metadata(), method=0, declared_size=0xFFFFFFF0)]))
    write("scene", "bad-crc.kvc", archive([Entry("scene.json", metadata(), declared_crc=1),
                                           Entry("b.txt", b"b", declared_crc=2)]))
    write("scene", "encrypted-content.kvc",
          archive([Entry("scene.json", metadata()), Entry("secret", b"xyz", method=0, flags=0x801)]))
    write("scene", "unknown-method.kvc",
          archive([Entry("scene.json", metadata()), Entry("b.bz2", b"BZh9", method=12)]))
    write("scene", "raw-name-bytes.kvc",
          archive([Entry("scene.json", metadata()), Entry(b"\xff\xfe\x80name", b"x", flags=0x800),
                   Entry(b"caf\x82.txt", b"y", flags=0)]))
    write("scene", "long-name.kvc",
          archive([Entry("scene.json", metadata()), Entry("n" * 400, b"x")]))
    write("scene", "extra-and-comment.kvc",
          archive([Entry("scene.json", metadata()),
                   Entry("c.txt", b"c", extra=struct.pack("<HH", 0x5455, 5) + b"\x01\x00\x00\x00\x00",
                         comment=b"a comment")]))
    write("scene", "truncated.kvc", valid[: len(valid) // 2])
    write("scene", "decoy-zip64-records.kvc", decoy_zip64(metadata(name="Shown"), metadata(name="Hidden")))
    write("scene", "two-end-records.kvc", two_end_records(metadata(name="Shown"), metadata(name="Hidden")))
    write("scene", "shared-entry.kvc", shared_entry(metadata(), bytes(range(256)) * 16, 40))
    with_comment = bytearray(valid)
    struct.pack_into("<H", with_comment, len(valid) - 2, 65535)
    write("scene", "longest-comment.kvc", bytes(with_comment) + b"c" * 65535)
    write("scene", "no-metadata.kvc", archive([Entry("thumbnail.jpg", JPEG, method=0)]))
    write("scene", "empty.kvc", b"")
    write("scene", "text.kvc", b"This is not an archive.\n")


def thumbnails():
    write("thumbnail", "jpeg.kvc", archive([Entry("scene.json", metadata()),
                                            Entry("thumbnail.jpg", JPEG, method=0)]))
    write("thumbnail", "jpeg-deflated.kvc", archive([Entry("thumbnail.jpg", JPEG)]))
    write("thumbnail", "png-named-jpg.kvc", archive([Entry("thumbnail.jpg", PNG, method=0)]))
    write("thumbnail", "header-20000x20000.kvc",
          archive([Entry("thumbnail.jpg", jpeg_claiming(20000, 20000), method=0)]))
    write("thumbnail", "header-65535x1.kvc",
          archive([Entry("thumbnail.jpg", jpeg_claiming(65535, 1), method=0)]))
    write("thumbnail", "truncated-jpeg.kvc",
          archive([Entry("thumbnail.jpg", JPEG[: len(JPEG) // 2], method=0)]))
    write("thumbnail", "declares-gigabytes.kvc",
          archive([Entry("thumbnail.jpg", JPEG, method=0, declared_size=0xFFFFFFF0)]))
    write("thumbnail", "duplicate.kvc",
          archive([Entry("thumbnail.jpg", JPEG, method=0), Entry("thumbnail.jpg", PNG, method=0)]))
    write("thumbnail", "missing.kvc", archive([Entry("scene.json", metadata())]))
    write("thumbnail", "text.kvc", b"PK\x03\x04 not really")

    # The marker walk that comes before decoding.
    def thumb(name, data):
        write("thumbnail", name, archive([Entry("thumbnail.jpg", data, method=0)]))
    frame = JPEG.index(b"\xff\xc0")
    scan = JPEG.index(b"\xff\xda")
    thumb("progressive.kvc", PROGRESSIVE)
    thumb("progressive-200-scans.kvc", repeated_last_scan(PROGRESSIVE, 190))
    thumb("progressive-64-scans.kvc", repeated_last_scan(PROGRESSIVE, 54))
    thumb("progressive-claims-3000x3000.kvc", jpeg_claiming(3000, 3000, PROGRESSIVE, b"\xff\xc2"))
    thumb("progressive-claims-2048x2048-40-scans.kvc",
          repeated_last_scan(jpeg_claiming(2048, 2048, PROGRESSIVE, b"\xff\xc2"), 30))
    thumb("baseline-claims-4000x3000.kvc", jpeg_claiming(4000, 3000))
    thumb("zero-height.kvc", jpeg_claiming(8, 0))
    thumb("scan-hidden-after-garbage.kvc", JPEG[:-2] + b"garbage\xff\x00" + JPEG[scan:-2] * 3 + JPEG[-2:])
    thumb("restart-markers-in-data.kvc", JPEG[:-2] + b"\xff\xd0\x12\xff\xff\xd7" + JPEG[-2:])
    thumb("two-frames.kvc", JPEG[:scan] + JPEG[frame:scan] + JPEG[scan:])
    thumb("scan-before-frame.kvc", JPEG[:frame] + JPEG[scan:-2] + JPEG[frame:])
    thumb("frame-cut-short.kvc", JPEG[:frame + 7])
    thumb("segment-length-one.kvc", JPEG[:2] + b"\xff\xe0\x00\x01" + JPEG[2:])
    thumb("segment-length-beyond-end.kvc", JPEG[:2] + b"\xff\xe1\xff\xff" + JPEG[2:])
    thumb("five-components.kvc", JPEG[:frame + 9] + b"\x05" + JPEG[frame + 10:])


def playlists():
    entry = {"id": "seed.scene", "path": "/scenes/seed.kvc", "typeFlags": 1}
    write("playlist", "valid.kvp", json.dumps({
        "background": [entry], "foreground": [], "postprocessing": [],
        "transition": [{"path": "/scenes/t.kvc", "typeFlags": 8}],
        "standalone": [{"id": "", "path": "C:\\Scenes\\s.kvc", "typeFlags": 0}]}).encode())
    write("playlist", "empty-object.kvp", b"{}")
    write("playlist", "wrong-types.kvp",
          b'{"background": {}, "standalone": [1, "x", {"path": 5}, {"id": 3, "path": "p"}]}')
    write("playlist", "odd-flags.kvp", json.dumps({"standalone": [
        {"path": "a", "typeFlags": -1}, {"path": "b", "typeFlags": 4294967295},
        {"path": "c", "typeFlags": 1.5}, {"path": "d", "typeFlags": 1e300}]}).encode())
    write("playlist", "outside-paths.kvp", json.dumps({"standalone": [
        {"path": "../../../etc/passwd"}, {"path": "/dev/zero"}, {"path": ""}]}).encode())
    write("playlist", "unknown-keys.kvp", b'{"version": 3, "extra": {"a": [null, true]}, "background": []}')
    write("playlist", "nested.kvp", nested(5000))
    write("playlist", "big-numbers.kvp",
          b'{' + BIG_NUMBERS + b', "standalone": [{"path": "/a.kvc", "typeFlags": 4294967295}]}')
    write("playlist", "deep-unknown-key.kvp", b'{"deep": ' + nested(500) + b', "background": []}')
    write("playlist", "too-deep-unknown-key.kvp", b'{"deep": ' + nested(1010) + b', "background": []}')
    write("playlist", "trailing-comma.kvp", b'{"standalone": [{"path": "/a.kvc"}, {"path": "/b.kvc"},]}')
    write("playlist", "raw-bytes.kvp", b'{"standalone": [{"path": "\xff\xfe\xc0\xaf"}]}')
    write("playlist", "array.kvp", b"[1, 2, 3]")
    write("playlist", "truncated.kvp", b'{"standalone": [{"path": "a"')
    write("playlist", "empty.kvp", b"")
    write("playlist", "duplicate-keys.kvp",
          b'{"standalone": [{"path": "a"}], "standalone": [{"path": "b"}], "o": [], "o": 1}')


def configs():
    write("config", "valid.json", json.dumps({
        "playlistToRun": "/u/playlists/Default.kvp", "sendUsageStats": False,
        "checkForNewVersion": True, "randNextScene": True, "captureSound": True,
        "maxSoundCaptureSilence": 10, "sceneChangeSilenceTime": 2.0, "minSceneTime": 30,
        "maxSceneTime": 120, "transitionTime": 3.0, "postProcessingProbability": 0.25,
        "renderTargetWidth": 1920, "renderTargetHeight": 1080, "renderTargetSizeVR": 1.0,
        "playerOwnKey": {"x": 1}}).encode())
    write("config", "empty-object.json", b"{}")
    write("config", "wrong-types.json",
          b'{"playlistToRun": 3, "minSceneTime": "30", "transitionTime": true, "captureSound": 1}')
    write("config", "out-of-range.json",
          b'{"minSceneTime": 1e300, "transitionTime": 1e300, "renderTargetWidth": -1e308,'
          b' "maxSceneTime": 2.5, "transitionFromScale": 3.5e38}')
    write("config", "nested.json", nested(5000))
    write("config", "big-numbers.json", b'{' + BIG_NUMBERS + b', "minSceneTime": 31}')
    write("config", "deep-unknown-key.json", b'{"deep": ' + nested(500) + b', "minSceneTime": 31}')
    write("config", "escaped-keys.json",
          b'{"a\\"b": "}],{", "\\u00e9": [" \\\\ "], "x" : { "y" : [ 1 , 2 ] } }')
    write("config", "raw-bytes.json", b'{"playlistToRun": "\xff\xfe\xc0\xaf"}')
    write("config", "truncated.json", b'{"minSceneTime": 3')
    write("config", "empty.json", b"")
    write("config", "duplicate-keys.json",
          b'{"minSceneTime": [1], "minSceneTime": 5, "x": {"a": 1}, "x": {}, "playlistToRun": "a"}')


def text(value):
    units = value.encode("utf-16-le")
    return struct.pack("<I", len(units) // 2) + units


def index_record(tags=("Calm", "Dark"), unknown=b"", flags=1, fields=None, tag_count=None, tail=b""):
    """One catalogue index record as the program encodes it (format 1)."""
    fields = fields or ["id-1", "Scene", "Mira", "Waves", "CC BY 4.0"]
    data = struct.pack("<Bqqqqq", 1, 2049, 131, 20480, 1700000000 * 10**9, 1700000001 * 10**9)
    data += b"".join(text(f) for f in fields)
    data += struct.pack("<I", len(tags) if tag_count is None else tag_count)
    data += b"".join(text(t) for t in tags)
    data += struct.pack("<IB", 2, flags) + struct.pack("<6H", 2024, 5, 17, 10, 20, 30)
    data += struct.pack("<I", len(unknown)) + unknown
    return data + tail


def index_records():
    write("index_record", "valid.bin", index_record())
    write("index_record", "unknown-keys.bin", index_record(unknown=b'{"x-big":12345678901234567890}'))
    write("index_record", "shared-tags.bin", index_record(tags=("Calm", "Calm", "Space", "Calm")))
    write("index_record", "no-tags.bin", index_record(tags=(), fields=["", "", "", "", ""]))
    write("index_record", "too-many-tags.bin", index_record(tags=("t",) * 257))
    write("index_record", "long-tag.bin", index_record(tags=("x" * 300,)))
    write("index_record", "lying-count.bin", index_record(tags=("a",), tag_count=0x7fffffff))
    write("index_record", "bad-unknown.bin", index_record(unknown=b"{not json"))
    write("index_record", "bad-flags.bin", index_record(flags=7))
    write("index_record", "trailing.bin", index_record(tail=b"x"))
    write("index_record", "cut.bin", index_record()[:60])
    write("index_record", "other-format.bin", b"\x02" + index_record()[1:])


if __name__ == "__main__":
    scenes()
    thumbnails()
    playlists()
    configs()
    index_records()
