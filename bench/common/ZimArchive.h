#pragma once

// Generated ZIM archives for the benchmarks, written with libzim's writer and kept in the system's
// temporary folder, so later runs skip the writing. Article i is titled "Article 000000i" (path
// with underscores); every 100th is a disambiguation page, every 10th has a redirect "Alias i",
// and each links kLinksPerArticle uniformly drawn articles and one missing page per paragraph.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QString>

#include <cstdio>
#include <functional>
#include <string>

#include <zim/writer/creator.h>
#include <zim/writer/item.h>

namespace bench
{

constexpr int kLinksPerArticle = 12;

inline QString TitleOf(int i)
{
    return QStringLiteral("Article %1").arg(i, 7, 10, QLatin1Char('0'));
}

inline std::string PathOf(int i)
{
    return TitleOf(i).replace(QLatin1Char(' '), QLatin1Char('_')).toStdString();
}

// Writes an archive through a ".part" file that takes the archive's name only once whole, so an
// interrupted run never leaves a broken archive where the next run looks for one.
inline bool WriteZimFile(const QString &file, const std::function<void(zim::writer::Creator &)> &fill)
{
    const QString part = file + QStringLiteral(".part");
    try {
        zim::writer::Creator creator;
        creator.configIndexing(false, "eng").configNbWorkers(2);
        creator.startZimCreation(part.toStdString());
        fill(creator);
        creator.finishZimCreation();
    } catch (const std::exception &e) {
        std::printf("cannot write %s: %s\n", qPrintable(part), e.what());
        return false;
    }
    QFile::remove(file);
    return QFile::rename(part, file);
}

inline bool WriteArchive(const QString &file, int articles)
{
    return WriteZimFile(file, [articles](zim::writer::Creator &creator) {
        QRandomGenerator random(articles);
        zim::writer::Hints front{{zim::writer::FRONT_ARTICLE, 1}};
        for (int i = 0; i < articles; ++i) {
            std::string html = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" +
                               TitleOf(i).toStdString() +
                               "</title><link rel=\"stylesheet\" href=\"-/style.css\"></head><body><h1>" +
                               TitleOf(i).toStdString() + "</h1>";
            for (int p = 0; p < 3; ++p) {
                html += "<p>This generated paragraph talks about a subject at some length, so that the page "
                        "is about the size of a short real article. It mentions";
                for (int l = 0; l < kLinksPerArticle / 3; ++l) {
                    const int to = int(random.bounded(quint32(articles)));
                    html += " <a href=\"" + PathOf(to) + "\">" + TitleOf(to).toStdString() + "</a>,";
                }
                html += " and a <a href=\"Missing_page\">missing page</a>.</p>";
            }
            if (i % 100 == 99)
                html += "<div class=\"dmbox dmbox-disambig\">This page lists articles.</div>";
            html += "<img src=\"I/picture.png\" alt=\"\"></body></html>";
            creator.addItem(zim::writer::StringItem::create(PathOf(i), "text/html", TitleOf(i).toStdString(),
                                                            front, html));
            if (i % 10 == 0) {
                const std::string alias = QStringLiteral("Alias %1").arg(i).toStdString();
                creator.addRedirection(QString::fromStdString(alias).replace(' ', '_').toStdString(), alias,
                                       PathOf(i));
            }
        }
        creator.addItem(zim::writer::StringItem::create("-/style.css", "text/css", "", zim::writer::Hints(),
                                                        "body{margin:1em}"));
        creator.addItem(zim::writer::StringItem::create(
            "I/picture.png", "image/png", "", zim::writer::Hints(), std::string("\x89PNG\r\n\x1a\n", 8)));
        creator.setMainPath(PathOf(0));
        creator.addMetadata("Title", QStringLiteral("Benchmark %1").arg(articles).toStdString());
    });
}

// The archive of this many articles, written first when the temporary folder does not hold it yet;
// empty when it cannot be written.
inline QString GeneratedArchive(int articles)
{
    const QString file = QDir::tempPath() + QStringLiteral("/quillory-bench-%1.zim").arg(articles);
    if (QFileInfo::exists(file))
        return file;
    QElapsedTimer writing;
    writing.start();
    if (!WriteArchive(file, articles))
        return {};
    std::printf("%d: archive written in %.1f s\n", articles, double(writing.nsecsElapsed()) / 1e9);
    return file;
}

} // namespace bench
