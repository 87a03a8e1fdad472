#include "GifWriter.h"

#include <QFile>
#include <QHash>

namespace {

constexpr int kMinCodeSize = 8;                // 256-entry colour table
constexpr int kClearCode = 1 << kMinCodeSize;  // 256
constexpr int kEndCode = kClearCode + 1;       // 257
constexpr int kCodeBits = kMinCodeSize + 1;    // every code stays 9 bits wide
// The decoder adds one table entry per code; clearing this often keeps the
// table far below 512 entries, so the code width never grows.
constexpr int kSymbolsPerClear = 200;

void putWord(QByteArray& out, int value)
{
    out.append(char(value & 0xff));
    out.append(char((value >> 8) & 0xff));
}

// Packs codes least significant bit first, as GIF wants.
class BitPacker
{
public:
    void put(int code)
    {
        m_acc |= quint32(code) << m_bits;
        m_bits += kCodeBits;
        while (m_bits >= 8) {
            m_bytes.append(char(m_acc & 0xff));
            m_acc >>= 8;
            m_bits -= 8;
        }
    }
    QByteArray finish()
    {
        if (m_bits > 0)
            m_bytes.append(char(m_acc & 0xff));
        m_acc = 0;
        m_bits = 0;
        return m_bytes;
    }

private:
    QByteArray m_bytes;
    quint32 m_acc = 0;
    int m_bits = 0;
};

// Reduces colour precision until all frames fit into 256 colours.
QVector<QRgb> buildPalette(const QVector<QImage>& frames, quint32* maskOut)
{
    for (quint32 mask : {0xffu, 0xfeu, 0xfcu, 0xf8u, 0xf0u, 0xe0u}) {
        const quint32 rgbMask = (mask << 16) | (mask << 8) | mask;
        QVector<QRgb> colours;
        QHash<QRgb, int> seen;
        bool fits = true;
        for (const QImage& frame : frames) {
            for (int y = 0; y < frame.height() && fits; ++y) {
                const QRgb* line = reinterpret_cast<const QRgb*>(frame.constScanLine(y));
                for (int x = 0; x < frame.width(); ++x) {
                    const QRgb c = line[x] & rgbMask;
                    if (!seen.contains(c)) {
                        seen.insert(c, colours.size());
                        colours.append(c);
                        if (colours.size() > 256) {
                            fits = false;
                            break;
                        }
                    }
                }
            }
        }
        if (fits) {
            *maskOut = rgbMask;
            return colours;
        }
    }
    *maskOut = 0;
    return {};
}

} // namespace

bool GifWriter::write(const QString& path, const QVector<QImage>& framesIn, int delayMs,
                      QString* error)
{
    if (framesIn.isEmpty()) {
        *error = QStringLiteral("no frames");
        return false;
    }
    QVector<QImage> frames;
    const QSize size = framesIn.first().size();
    for (const QImage& f : framesIn) {
        if (f.size() != size) {
            *error = QStringLiteral("frames differ in size");
            return false;
        }
        frames.append(f.convertToFormat(QImage::Format_RGB32));
    }

    quint32 mask = 0;
    const QVector<QRgb> palette = buildPalette(frames, &mask);
    if (palette.isEmpty()) {
        *error = QStringLiteral("too many colours");
        return false;
    }
    QHash<QRgb, int> indexOf;
    for (int i = 0; i < palette.size(); ++i)
        indexOf.insert(palette[i], i);

    QByteArray out("GIF89a");
    putWord(out, size.width());
    putWord(out, size.height());
    out.append(char(0xf7)); // global table, 8 bit colour resolution, 256 entries
    out.append(char(0));    // background colour index
    out.append(char(0));    // square pixels
    for (int i = 0; i < 256; ++i) {
        const QRgb c = i < palette.size() ? palette[i] : qRgb(0, 0, 0);
        out.append(char(qRed(c)));
        out.append(char(qGreen(c)));
        out.append(char(qBlue(c)));
    }
    // Loop for ever.
    out.append("\x21\xff\x0bNETSCAPE2.0\x03\x01\x00\x00\x00", 19);

    const int delayCs = qMax(1, delayMs / 10);
    for (const QImage& frame : frames) {
        out.append("\x21\xf9\x04", 3);
        out.append(char(0x04)); // disposal: leave in place, no transparency
        putWord(out, delayCs);
        out.append(char(0));
        out.append(char(0));

        out.append(char(0x2c));
        putWord(out, 0);
        putWord(out, 0);
        putWord(out, size.width());
        putWord(out, size.height());
        out.append(char(0)); // no local table, not interlaced

        BitPacker packer;
        packer.put(kClearCode);
        int sinceClear = 0;
        for (int y = 0; y < frame.height(); ++y) {
            const QRgb* line = reinterpret_cast<const QRgb*>(frame.constScanLine(y));
            for (int x = 0; x < frame.width(); ++x) {
                if (sinceClear == kSymbolsPerClear) {
                    packer.put(kClearCode);
                    sinceClear = 0;
                }
                packer.put(indexOf.value(line[x] & mask));
                ++sinceClear;
            }
        }
        packer.put(kEndCode);
        const QByteArray data = packer.finish();

        out.append(char(kMinCodeSize));
        for (int pos = 0; pos < data.size(); pos += 255) {
            const int n = qMin(255, data.size() - pos);
            out.append(char(n));
            out.append(data.mid(pos, n));
        }
        out.append(char(0));
    }
    out.append(char(0x3b));

    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(out) != out.size()) {
        *error = file.errorString();
        return false;
    }
    return true;
}
