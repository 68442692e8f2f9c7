// The cluster of an item and the archive's cluster count: exported by libzim 8, but declared only
// behind this switch.
#define ZIM_PRIVATE

#include "site/zim/ZimBlobs.h"

#include "tests/common/ZimTestArchive.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>
#include <map>

#include <zim/archive.h>
#include <zim/item.h>

namespace
{

// Articles from a few hundred bytes to more than one cluster's worth, a picture (stored without
// compression) and an empty text.
QString WriteMixedArchive(const QTemporaryDir &dir, int articles)
{
    ZimTestArchive a;
    QRandomGenerator random(11);
    for (int i = 0; i < articles; ++i) {
        std::string body = "<p>Article " + std::to_string(i) + "</p>";
        const int words = i % 37 == 0 ? 12000 : int(random.bounded(40, 2500));
        for (int w = 0; w < words; ++w)
            body += " w" + std::to_string(random.bounded(5000));
        a.Article("A" + std::to_string(i), "Article " + std::to_string(i), body);
    }
    a.Raw("I/picture.png", "", "image/png", std::string("\x89PNG\r\n\x1a\n", 8) + std::string(3000, '\x7f'));
    a.Raw("empty.txt", "", "text/plain", "");
    a.RedirectTo("Alias", "Alias", "A1");
    const QString file = dir.filePath(QStringLiteral("mixed.zim"));
    return a.Write(file) ? file : QString();
}

QByteArray ReadAll(const QString &file)
{
    QFile f(file);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

} // namespace

TEST(ZimBlobs, EveryItemReadsAsLibzimReadsItAndClustersStayWarm)
{
    QTemporaryDir dir;
    const QString file = WriteMixedArchive(dir, 300);
    ASSERT_FALSE(file.isEmpty());
    const zim::Archive archive(file.toStdString());
    const ZimBlobs blobs(file);
    ASSERT_TRUE(blobs.IsOpen());
    EXPECT_EQ(blobs.ClusterCount(), archive.getClusterCount());

    int html = 0, direct = 0;
    for (zim::entry_index_type i = 0; i < archive.getEntryCount(); ++i) {
        const zim::Entry e = archive.getEntryByPath(i);
        if (e.isRedirect()) {
            EXPECT_FALSE(blobs.PlaceOf(i)) << e.getPath();
            continue;
        }
        const zim::Item item = e.getItem();
        const zim::Blob want = item.getData();
        const std::optional<QByteArray> got = blobs.Read(i);
        const bool isHtml = item.getMimetype() == "text/html";
        html += isHtml;
        // Compressed text is read directly; anything declined is libzim's to read.
        if (isHtml) {
            EXPECT_TRUE(got) << e.getPath();
        }
        if (got) {
            ++direct;
            EXPECT_EQ(*got, QByteArray(want.data(), qsizetype(want.size()))) << e.getPath();
            ASSERT_TRUE(blobs.PlaceOf(i));
            EXPECT_EQ(blobs.PlaceOf(i)->cluster, item.getClusterIndex()) << e.getPath();
        }
    }
    EXPECT_EQ(html, 300);
    EXPECT_GE(direct, html);
    EXPECT_FALSE(blobs.Read(archive.getEntryCount()));
    EXPECT_FALSE(blobs.Read(0xffffffffu));

    // Reading one article again and again decompresses its cluster once.
    const ZimBlobs fresh(file, 2);
    const quint32 index = archive.getEntryByPath("A5").getIndex();
    for (int k = 0; k < 10; ++k)
        ASSERT_TRUE(fresh.Read(index));
    EXPECT_EQ(fresh.Decompressions(), 1);
    // A cold cluster opens as far as the item asked for; a later item opens it whole, once.
    {
        const ZimBlobs cold(file);
        std::map<quint32, std::map<quint32, quint32>> entriesOf; // cluster -> blob -> entry
        for (zim::entry_index_type i = 0; i < archive.getEntryCount(); ++i) {
            if (const auto place = cold.PlaceOf(i))
                entriesOf[place->cluster][place->blob] = i;
        }
        const auto busiest =
            std::max_element(entriesOf.begin(), entriesOf.end(),
                             [](const auto &a, const auto &b) { return a.second.size() < b.second.size(); });
        ASSERT_GE(busiest->second.size(), 3u);
        const quint32 first = busiest->second.begin()->second, last = busiest->second.rbegin()->second,
                      middle = std::next(busiest->second.begin())->second;
        auto libzimBytes = [&](quint32 i) {
            const zim::Blob b = archive.getEntryByPath(i).getItem().getData();
            return QByteArray(b.data(), qsizetype(b.size()));
        };
        EXPECT_EQ(cold.Read(first), libzimBytes(first));
        const auto part = cold.Decompress(busiest->first, busiest->second.begin()->first);
        ASSERT_TRUE(part);
        EXPECT_FALSE(part->IsWhole());
        EXPECT_FALSE(part->Holds(busiest->second.rbegin()->first));
        EXPECT_EQ(cold.Read(last), libzimBytes(last));
        EXPECT_EQ(cold.Read(middle), libzimBytes(middle));
        EXPECT_EQ(cold.Decompressions(), 3) << "one part, one whole (and the part made here)";
    }

    // Two warm clusters: walking three clusters in turn decompresses every time.
    std::vector<quint32> inThree;
    std::vector<quint32> seen;
    for (zim::entry_index_type i = 0; i < archive.getEntryCount() && inThree.size() < 3; ++i) {
        const auto place = fresh.PlaceOf(i);
        if (place && fresh.Read(i) && std::find(seen.begin(), seen.end(), place->cluster) == seen.end()) {
            seen.push_back(place->cluster);
            inThree.push_back(i);
        }
    }
    ASSERT_EQ(inThree.size(), 3u);
    const qint64 before = fresh.Decompressions();
    for (int round = 0; round < 3; ++round) {
        for (const quint32 i : inThree)
            ASSERT_TRUE(fresh.Read(i));
    }
    EXPECT_EQ(fresh.Decompressions() - before, 9);
}

// Whatever is wrong with the file, the reader declines or reads bytes of the right bounds: it
// never crashes, never reads outside the file and never returns what libzim would not.
TEST(ZimBlobs, DamagedFilesAreDeclinedNotTrusted)
{
    QTemporaryDir dir;
    const QString file = WriteMixedArchive(dir, 60);
    ASSERT_FALSE(file.isEmpty());
    const QByteArray whole = ReadAll(file);
    const zim::Archive archive(file.toStdString());
    // Where the header says the list of cluster pointers is.
    quint64 clusterPointers = 0;
    std::memcpy(&clusterPointers, whole.constData() + 48, 8);
    std::vector<QByteArray> originals;
    for (zim::entry_index_type i = 0; i < archive.getEntryCount(); ++i) {
        const zim::Entry e = archive.getEntryByPath(i);
        const zim::Blob b = e.isRedirect() ? zim::Blob() : e.getItem().getData();
        originals.emplace_back(b.data(), qsizetype(b.size()));
    }

    auto with = [&](qsizetype at, const QByteArray &bytes) {
        QByteArray damaged = whole;
        damaged.replace(at, bytes.size(), bytes);
        return damaged;
    };
    QByteArray flipped = whole;
    QRandomGenerator random(5);
    for (int k = 0; k < 200; ++k) {
        const qsizetype at = qsizetype(random.bounded(quint32(80), quint32(clusterPointers)));
        flipped[at] = char(flipped[at] ^ 0x5a);
    }
    struct Row {
        const char *name;
        QByteArray bytes;
        bool sameBytesWhenRead; // what is read at all must be the original
    };
    const Row rows[] = {
        {"empty file", QByteArray(), true},
        {"header only", whole.left(80), true},
        {"cut in the clusters", whole.left(whole.size() / 2), true},
        {"cut before the last bytes", whole.left(whole.size() - 40), true},
        {"not a ZIM file", QByteArray(4096, 'x'), true},
        {"counts beyond the file", with(24, QByteArray("\xff\xff\xff\x7f\xff\xff\xff\x7f", 8)), true},
        {"cluster pointers far away", with(qsizetype(clusterPointers), QByteArray(64, '\xee')), true},
        {"cluster pointers into the header", with(qsizetype(clusterPointers), QByteArray(64, '\0')), true},
        {"bytes flipped in clusters and entries", flipped, false},
    };
    for (const Row &r : rows) {
        const QString damagedFile = dir.filePath(QString::fromLatin1(r.name) + QStringLiteral(".zim"));
        QFile f(damagedFile);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(r.bytes);
        f.close();
        const ZimBlobs blobs(damagedFile);
        for (quint32 c = 0; c < archive.getClusterCount() + 3; ++c) {
            if (const auto cluster = blobs.Decompress(c)) {
                EXPECT_LE(cluster->Bytes(), ZimBlobs::kMaxClusterBytes) << r.name;
            }
        }
        for (quint32 i = 0; i < archive.getEntryCount() + 3; ++i) {
            const std::optional<QByteArray> got = blobs.Read(i);
            if (got && r.sameBytesWhenRead) {
                ASSERT_LT(i, originals.size()) << r.name;
                EXPECT_EQ(*got, originals[i]) << r.name << " entry " << i;
            }
        }
    }
    EXPECT_FALSE(ZimBlobs(dir.filePath(QStringLiteral("missing.zim"))).IsOpen());
    EXPECT_FALSE(ZimBlobs(dir.path()).IsOpen());
}
