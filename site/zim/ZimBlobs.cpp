#include "site/zim/ZimBlobs.h"

#include <QFile>
#include <QtEndian>

#include <zstd.h>

#include <limits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// The archive's header: its magic number, and where the counts and the lists it needs are.
constexpr quint32 kMagic = 72173914;
constexpr int kHeaderBytes = 80;
constexpr int kMinorVersionAt = 6;
constexpr int kEntryCountAt = 24;
constexpr int kClusterCountAt = 28;
constexpr int kPathPointersAt = 32;
constexpr int kClusterPointersAt = 48;
// A directory entry starts with its mimetype; content entries have the cluster and the item's
// place in it at bytes 8 and 12. The highest mimetypes mark redirects and other non-content.
constexpr int kEntryHeadBytes = 16;
constexpr quint16 kFirstNonContentMimetype = 0xfffd;
constexpr int kNamespaceAt = 3;
// Archives of the newer layout (minor version 1 on) keep the user's entries in namespace C, which
// libzim numbers from 0; the older ones number every entry.
constexpr quint16 kNewLayoutMinorVersion = 1;
constexpr char kUserNamespace = 'C';
// A cluster starts with a byte whose low half names its compression and whose 0x10 bit says its
// offsets are 64-bit.
constexpr quint8 kCompressionMask = 0x0f;
constexpr quint8 kZstd = 5;
constexpr quint8 kWideOffsets = 0x10;
// Compressed bytes read from the file at a time, and the first size of a cluster's buffer (real
// archives have clusters of about 2 MB of text).
constexpr qint64 kReadChunk = 256 * 1024;
constexpr qsizetype kFirstClusterBuffer = 4 << 20;

template <typename T> T LittleEndianAt(const uchar *p)
{
    return qFromLittleEndian<T>(p);
}

struct ContextDeleter {
    void operator()(ZSTD_DCtx *c) const { ZSTD_freeDCtx(c); }
};

// Each thread keeps one decompression context; making one costs more than a small cluster.
ZSTD_DCtx *ThreadContext()
{
    thread_local std::unique_ptr<ZSTD_DCtx, ContextDeleter> context(ZSTD_createDCtx());
    if (context)
        ZSTD_DCtx_reset(context.get(), ZSTD_reset_session_only);
    return context.get();
}

} // namespace

std::string_view ZimBlobs::Cluster::Blob(quint32 blob) const
{
    if (!Holds(blob))
        return {};
    return std::string_view(m_data.constData() + m_offsets[blob],
                            size_t(m_offsets[blob + 1] - m_offsets[blob]));
}

ZimBlobs::ZimBlobs(const QString &file, int warmClusters, qint64 warmBytes) : m_warm(warmClusters, warmBytes)
{
    m_fd = ::open(QFile::encodeName(file).constData(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0)
        return;
    struct stat info {
    };
    uchar header[kHeaderBytes];
    if (::fstat(m_fd, &info) != 0 || !S_ISREG(info.st_mode) || (m_fileSize = info.st_size) < kHeaderBytes ||
        !ReadAt(0, header, kHeaderBytes) || LittleEndianAt<quint32>(header) != kMagic) {
        ::close(m_fd);
        m_fd = -1;
        return;
    }
    m_entryCount = LittleEndianAt<quint32>(header + kEntryCountAt);
    m_clusterCount = LittleEndianAt<quint32>(header + kClusterCountAt);
    m_pathPointers = LittleEndianAt<quint64>(header + kPathPointersAt);
    m_clusterPointers = LittleEndianAt<quint64>(header + kClusterPointersAt);
    // Lists that run past the end of the file are read by nobody here.
    const quint64 size = quint64(m_fileSize);
    if (m_pathPointers > size || (size - m_pathPointers) / 8 < m_entryCount)
        m_entryCount = 0;
    if (m_clusterPointers > size || (size - m_clusterPointers) / 8 < m_clusterCount)
        m_clusterCount = 0;
    if (LittleEndianAt<quint16>(header + kMinorVersionAt) >= kNewLayoutMinorVersion) {
        m_firstEntry = FirstInNamespaceFrom(kUserNamespace);
        m_entryCount = FirstInNamespaceFrom(kUserNamespace + 1) - m_firstEntry;
    }
}

quint32 ZimBlobs::FirstInNamespaceFrom(char ns) const
{
    // The directory is sorted by namespace, then path.
    quint32 low = 0, high = m_entryCount;
    while (low < high) {
        const quint32 mid = low + (high - low) / 2;
        const std::optional<quint64> entryAt = PointerAt(m_pathPointers, mid);
        char at = 0;
        if (!entryAt || !ReadAt(qint64(qMin(*entryAt, quint64(m_fileSize))) + kNamespaceAt, &at, 1))
            return 0; // a directory that cannot be read leaves nothing to read
        if (at < ns)
            low = mid + 1;
        else
            high = mid;
    }
    return low;
}

ZimBlobs::~ZimBlobs()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool ZimBlobs::ReadAt(qint64 offset, void *into, qint64 size) const
{
    if (offset < 0 || size < 0 || offset > m_fileSize || m_fileSize - offset < size)
        return false;
    auto *to = static_cast<char *>(into);
    while (size > 0) {
        const ssize_t got = ::pread(m_fd, to, size_t(size), offset);
        if (got <= 0)
            return false;
        to += got;
        offset += got;
        size -= got;
    }
    return true;
}

std::optional<quint64> ZimBlobs::PointerAt(quint64 list, quint64 index) const
{
    uchar pointer[8];
    if (!ReadAt(qint64(list + 8 * index), pointer, 8))
        return std::nullopt;
    return LittleEndianAt<quint64>(pointer);
}

std::optional<ZimBlobs::Place> ZimBlobs::PlaceOf(quint32 entry) const
{
    if (!IsOpen() || entry >= m_entryCount)
        return std::nullopt;
    const std::optional<quint64> entryAt = PointerAt(m_pathPointers, quint64(m_firstEntry) + entry);
    if (!entryAt)
        return std::nullopt;
    const quint64 at = *entryAt;
    uchar head[kEntryHeadBytes];
    if (at > quint64(m_fileSize) || !ReadAt(qint64(at), head, kEntryHeadBytes) ||
        LittleEndianAt<quint16>(head) >= kFirstNonContentMimetype)
        return std::nullopt;
    const Place place{LittleEndianAt<quint32>(head + 8), LittleEndianAt<quint32>(head + 12)};
    if (place.cluster >= m_clusterCount)
        return std::nullopt;
    return place;
}

std::shared_ptr<const ZimBlobs::Cluster> ZimBlobs::Decompress(quint32 cluster,
                                                              std::optional<quint32> upTo) const
{
    if (!IsOpen() || cluster >= m_clusterCount)
        return nullptr;
    const std::optional<quint64> clusterAt = PointerAt(m_clusterPointers, cluster);
    if (!clusterAt)
        return nullptr;
    const quint64 start = *clusterAt;
    quint8 info = 0;
    if (start >= quint64(m_fileSize) || !ReadAt(qint64(start), &info, 1) ||
        (info & kCompressionMask) != kZstd)
        return nullptr;
    ZSTD_DCtx *context = ThreadContext();
    if (!context)
        return nullptr;
    ++m_decompressions;

    // The offsets come first: the first one is the size of their table.
    const size_t width = (info & kWideOffsets) ? 8 : 4;
    QByteArray data(kFirstClusterBuffer, Qt::Uninitialized);
    size_t produced = 0;
    auto offsetAt = [&](size_t i) {
        const auto *p = reinterpret_cast<const uchar *>(data.constData()) + i * width;
        return width == 8 ? LittleEndianAt<quint64>(p) : quint64(LittleEndianAt<quint32>(p));
    };
    std::vector<quint64> offsets;
    // Reads the table once it is in; false when it is not a table.
    auto readTable = [&]() {
        const quint64 table = offsetAt(0);
        if (table < width || table % width != 0 || table > produced)
            return false;
        offsets.resize(size_t(table / width));
        for (size_t i = 0; i < offsets.size(); ++i) {
            offsets[i] = offsetAt(i);
            if (i > 0 && offsets[i] < offsets[i - 1])
                return false;
        }
        return true;
    };
    // Where decompression may stop when one item is wanted: first at the table's first offset, which
    // gives its size; then at the table's end; then at the end of the item. The end of the frame when
    // the whole cluster is wanted.
    enum class Stage { FirstOffset, Table, Item, Frame } stage = upTo ? Stage::FirstOffset : Stage::Frame;
    size_t stopAt = upTo ? width : std::numeric_limits<size_t>::max();
    // Moves to the next stop; false when the table leads nowhere.
    auto nextStop = [&]() {
        if (stage == Stage::FirstOffset) {
            const quint64 table = offsetAt(0);
            if (table < width || table % width != 0 || table > quint64(kMaxClusterBytes))
                return false;
            stage = Stage::Table;
            stopAt = size_t(table);
            return true;
        }
        if (!readTable() || *upTo + 1 >= offsets.size() || offsets[*upTo + 1] > quint64(kMaxClusterBytes))
            return false;
        stage = Stage::Item;
        stopAt = size_t(offsets[*upTo + 1]);
        return true;
    };

    // The compressed stream runs from after the info byte to the end of its zstd frame.
    std::vector<char> chunk(static_cast<size_t>(kReadChunk));
    qint64 offset = qint64(start) + 1;
    bool whole = false, stopped = false;
    while (!whole && !stopped) {
        const qint64 n = qMin(kReadChunk, m_fileSize - offset);
        if (n <= 0 || !ReadAt(offset, chunk.data(), n))
            return nullptr; // cut off before the frame ends
        offset += n;
        if (produced == 0) {
            // Frames written in one piece say how large they open up.
            const unsigned long long size = ZSTD_getFrameContentSize(chunk.data(), size_t(n));
            if (size != ZSTD_CONTENTSIZE_UNKNOWN && size != ZSTD_CONTENTSIZE_ERROR && size > 0 &&
                size <= quint64(kMaxClusterBytes))
                data.resize(qsizetype(size));
        }
        ZSTD_inBuffer in{chunk.data(), size_t(n), 0};
        for (;;) {
            while (produced == stopAt && !stopped) {
                if (stage == Stage::Item)
                    stopped = true;
                else if (!nextStop())
                    return nullptr;
            }
            if (stopped)
                break;
            if (produced == size_t(data.size())) {
                if (data.size() >= kMaxClusterBytes)
                    return nullptr;
                data.resize(qMin<qint64>(kMaxClusterBytes, qint64(data.size()) * 2));
            }
            ZSTD_outBuffer out{data.data(), qMin(size_t(data.size()), stopAt), produced};
            const size_t left = ZSTD_decompressStream(context, &out, &in);
            produced = out.pos;
            if (ZSTD_isError(left))
                return nullptr;
            if (left == 0) {
                whole = true;
                break;
            }
            if (in.pos == in.size && out.pos < out.size)
                break; // wants more input
        }
    }
    data.truncate(qsizetype(produced));
    data.squeeze();
    if (produced < width || !readTable())
        return nullptr;
    // A whole cluster's items all lie in it; a part holds those up to the one asked for.
    if (whole && offsets.back() > produced)
        return nullptr;
    return std::make_shared<const Cluster>(std::move(data), std::move(offsets), whole);
}

std::shared_ptr<const ZimBlobs::Cluster> ZimBlobs::Warm(quint32 cluster, quint32 blob) const
{
    const std::optional<std::shared_ptr<const Cluster>> warm = m_warm.Find(cluster);
    if (warm && (*warm)->Holds(blob))
        return *warm;
    // A cold cluster is opened as far as the item asked for (on average half of it); one opened in
    // part before, whole. Outside any lock, so that other threads read other clusters meanwhile.
    std::shared_ptr<const Cluster> made = Decompress(cluster, warm ? std::nullopt : std::optional(blob));
    if (!made)
        return nullptr;
    return m_warm.Put(cluster, made, made->Bytes(), [&made](const std::shared_ptr<const Cluster> &kept) {
        return kept->Bytes() < made->Bytes();
    });
}

std::optional<QByteArray> ZimBlobs::Read(quint32 entry) const
{
    const std::optional<Place> place = PlaceOf(entry);
    if (!place)
        return std::nullopt;
    const std::shared_ptr<const Cluster> cluster = Warm(place->cluster, place->blob);
    if (!cluster || !cluster->Holds(place->blob))
        return std::nullopt;
    const std::string_view blob = cluster->Blob(place->blob);
    return QByteArray(blob.data(), qsizetype(blob.size()));
}

qint64 ZimBlobs::Decompressions() const
{
    return m_decompressions.load();
}
