#include "JpegLayout.h"

#include <cstring>

namespace {

constexpr uchar kStartOfImage = 0xD8;
constexpr uchar kEndOfImage = 0xD9;
constexpr uchar kStartOfScan = 0xDA;

bool isFrameHeader(uchar marker)
{
    // 0xC4 (Huffman tables), 0xC8 (reserved) and 0xCC (arithmetic
    // conditioning) share the range but start no frame.
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

bool isProgressiveFrame(uchar marker)
{
    return marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
}

// Restart markers and the temporary marker stand alone: no length follows.
bool standsAlone(uchar marker)
{
    return (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01;
}

int bigEndian16(const uchar *at)
{
    return (at[0] << 8) | at[1];
}

class MarkerWalk
{
public:
    explicit MarkerWalk(const QByteArray &data)
        : m_data(reinterpret_cast<const uchar *>(data.constData()))
        , m_size(data.size())
    {
    }

    // The next marker at or after the position, as the decoder finds it
    // between segments: anything before a 0xFF is skipped, fill bytes
    // (repeated 0xFF) too, and a 0xFF followed by 0 is no marker. Leaves the
    // position after the marker.
    bool nextMarker(uchar *marker)
    {
        while (m_pos < m_size) {
            const void *ff = std::memchr(m_data + m_pos, 0xFF, size_t(m_size - m_pos));
            if (!ff)
                break;
            m_pos = static_cast<const uchar *>(ff) - m_data + 1;
            while (m_pos < m_size && m_data[m_pos] == 0xFF)
                ++m_pos;
            if (m_pos >= m_size)
                break;
            const uchar found = m_data[m_pos++];
            if (found != 0) {
                *marker = found;
                return true;
            }
        }
        m_pos = m_size;
        return false;
    }

    // Skips a scan's coded data: up to the first marker that is neither a
    // stuffed zero nor a restart, leaving the position on its 0xFF.
    void skipCodedData()
    {
        while (m_pos < m_size) {
            const void *ff = std::memchr(m_data + m_pos, 0xFF, size_t(m_size - m_pos));
            if (!ff)
                break;
            const qsizetype at = static_cast<const uchar *>(ff) - m_data;
            qsizetype next = at + 1;
            while (next < m_size && m_data[next] == 0xFF)
                ++next;
            if (next >= m_size)
                break;
            const uchar byte = m_data[next];
            if (byte != 0 && !(byte >= 0xD0 && byte <= 0xD7)) {
                m_pos = at;
                return;
            }
            m_pos = next + 1;
        }
        m_pos = m_size;
    }

    const uchar *here() const { return m_data + m_pos; }
    qsizetype left() const { return m_size - m_pos; }
    void skip(qsizetype count) { m_pos += count; }

private:
    const uchar *m_data;
    qsizetype m_size;
    qsizetype m_pos = 2;   // after the start-of-image marker
};

} // namespace

std::optional<JpegLayout> JpegLayout::read(const QByteArray &data, int scanLimit)
{
    if (data.size() < 4 || uchar(data.at(0)) != 0xFF || uchar(data.at(1)) != kStartOfImage)
        return std::nullopt;

    JpegLayout layout;
    bool frameSeen = false;
    MarkerWalk walk(data);
    uchar marker = 0;
    while (walk.nextMarker(&marker)) {
        if (marker == kEndOfImage)
            break;
        if (marker == kStartOfImage)
            return std::nullopt;
        if (standsAlone(marker))
            continue;
        if (walk.left() < 2)
            break;   // cut short
        const int length = bigEndian16(walk.here());
        if (length < 2)
            return std::nullopt;
        if (length > walk.left()) {
            // Cut short inside the segment; a scan header counts all the same.
            if (marker == kStartOfScan && frameSeen)
                ++layout.scans;
            break;
        }
        const uchar *segment = walk.here() + 2;

        if (isFrameHeader(marker)) {
            // Precision, height, width, component count, then three bytes
            // per component.
            if (frameSeen || length < 8 || length != 8 + 3 * segment[5])
                return std::nullopt;
            frameSeen = true;
            layout.frameSize = QSize(bigEndian16(segment + 3), bigEndian16(segment + 1));
            layout.components = segment[5];
            layout.progressive = isProgressiveFrame(marker);
        } else if (marker == kStartOfScan) {
            if (!frameSeen)
                return std::nullopt;
            if (++layout.scans > scanLimit)
                return layout;
            walk.skip(length);
            walk.skipCodedData();
            continue;
        }
        walk.skip(length);
    }
    if (!frameSeen)
        return std::nullopt;
    return layout;
}
