#pragma once

#include "site/pages/LruCache.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

// Reads the items of a ZIM archive straight from its file, a zstd cluster at a time: one read of
// the compressed cluster and one decompression, on any number of threads at once. libzim 8 maps
// and unmaps every KiB of a compressed cluster as it decompresses it, which serialises threads on
// the process's memory map; the pages and the link graph of a large archive read through here
// instead. Whatever this reader does not handle (other compressions, damaged or oversized
// clusters) it declines, and the caller asks libzim. Nothing here throws or trusts the file.
class ZimBlobs
{
public:
    // One decompressed cluster: its bytes and where each item starts and ends in them.
    class Cluster
    {
    public:
        Cluster(QByteArray data, std::vector<quint64> offsets, bool whole)
            : m_data(std::move(data)), m_offsets(std::move(offsets)), m_whole(whole)
        {
        }
        quint32 Count() const { return quint32(m_offsets.size() - 1); }
        // Whether this copy holds the item: a cluster opened in part holds its first items only.
        bool Holds(quint32 blob) const
        {
            return blob < Count() && m_offsets[blob + 1] <= quint64(m_data.size());
        }
        bool IsWhole() const { return m_whole; }
        // Empty view when it does not hold that item.
        std::string_view Blob(quint32 blob) const;
        qsizetype Bytes() const { return m_data.size(); }

    private:
        QByteArray m_data;
        std::vector<quint64> m_offsets; // Count() + 1 of them, rising
        bool m_whole;
    };

    // Where an item's bytes are: its cluster and its place in it.
    struct Place {
        quint32 cluster = 0;
        quint32 blob = 0;
    };

    // Decompressed clusters kept for the next reads, and their bound in bytes.
    static constexpr int kWarmClusters = 64;
    static constexpr qint64 kWarmBytes = 256ll << 20;
    // A cluster that decompresses to more than this is left to libzim, which reads only as far as
    // the item asked for.
    static constexpr qint64 kMaxClusterBytes = 64ll << 20;

    // Never fails: a file whose header cannot be read gives a reader that declines everything.
    explicit ZimBlobs(const QString &file, int warmClusters = kWarmClusters, qint64 warmBytes = kWarmBytes);
    ~ZimBlobs();
    ZimBlobs(const ZimBlobs &) = delete;
    ZimBlobs &operator=(const ZimBlobs &) = delete;

    bool IsOpen() const { return m_fd >= 0; }
    quint32 ClusterCount() const { return m_clusterCount; }

    // The place of the item at that index in path order, numbered as libzim numbers the archive's
    // entries; nothing for a redirect, a bad entry or an index past them.
    std::optional<Place> PlaceOf(quint32 entry) const;
    // The cluster, decompressed now without keeping it, whole or as far as item `upTo`; nothing
    // when this reader declines it.
    std::shared_ptr<const Cluster> Decompress(quint32 cluster,
                                              std::optional<quint32> upTo = std::nullopt) const;
    // The item's bytes, through the warm clusters; nothing when this reader declines it.
    std::optional<QByteArray> Read(quint32 entry) const;

    // Clusters decompressed since the reader opened, kept warm or not (for tests and benchmarks).
    qint64 Decompressions() const;

private:
    bool ReadAt(qint64 offset, void *into, qint64 size) const;
    // Entry `index` of a list of 64-bit file positions that starts at `list`.
    std::optional<quint64> PointerAt(quint64 list, quint64 index) const;
    // Where the directory's first entry of that namespace or a later one is.
    quint32 FirstInNamespaceFrom(char ns) const;
    std::shared_ptr<const Cluster> Warm(quint32 cluster, quint32 blob) const;

    int m_fd = -1;
    qint64 m_fileSize = 0;
    quint32 m_firstEntry = 0; // of the entries libzim numbers
    quint32 m_entryCount = 0;
    quint32 m_clusterCount = 0;
    quint64 m_pathPointers = 0;
    quint64 m_clusterPointers = 0;

    mutable LruCache<quint32, std::shared_ptr<const Cluster>> m_warm;
    mutable std::atomic<qint64> m_decompressions{0};
};
