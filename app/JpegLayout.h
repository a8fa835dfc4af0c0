#pragma once

#include <QByteArray>
#include <QSize>

#include <optional>

// What a JPEG stream's markers promise before a single pixel is decoded: the
// frame's size, its colour components and how many scans the decoder will
// have to run. Thumbnails come from downloaded scene files; the decoder's
// cost grows with the frame's area times its scans, and it offers no way to
// stop part-way, so the cost is judged here first.
//
// The walk meets the markers the way the decoder does: it starts at the
// start-of-image marker, skips bytes that are no marker, skips each segment
// by its length and each scan's coded data up to the next marker that is not
// a restart, and stops at the end-of-image marker or the end of the data. A
// scan hidden anywhere the decoder could find it is counted. It is linear in
// the data's size and allocates nothing.
//
// Written here rather than asked of the toolkit's reader: the reader reports
// only the size, and the decoder library behind it has no scan limit in the
// interface the toolkit uses.
struct JpegLayout
{
    QSize frameSize;        // from the frame header
    int components = 0;
    int scans = 0;          // start-of-scan markers met, at most scanLimit + 1
    bool progressive = false;

    // True when the decoder keeps the whole frame's coefficients in memory
    // between scans (a progressive frame, or more than one scan).
    bool layered() const { return progressive || scans > 1; }

    // The layout of data, or nothing when the decoder would refuse the stream
    // anyway: no start-of-image marker at its start, a second one, no frame
    // header, a second frame header, a scan before the frame header, or a
    // segment with an impossible length. A stream cut short after its frame
    // header still has a layout (the decoder shows what it got). Counting
    // stops once scans exceeds scanLimit.
    static std::optional<JpegLayout> read(const QByteArray &data, int scanLimit);
};
