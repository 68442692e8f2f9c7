#pragma once

// A generated ZIM archive shaped like a real encyclopedia's, for the figures that small articles
// hide (decompression, link scanning): about 25 KB of HTML an article (paragraphs of text drawn
// from a vocabulary by a word-frequency law, an infobox-like table, a few pictures, references with
// external links), about 25 distinct article links an article drawn by a power law over article
// popularity (some written twice, some through redirects, some written "./Path"), one redirect for
// every four articles ("Alias i" for article i; a fifth of the entries), and a main page. Article i is titled
// and addressed as in ZimArchive.h. Written once with libzim's writer and kept in the system's temporary
// folder.

#include "bench/common/ZimArchive.h"

#include <QSet>

#include <cmath>
#include <numeric>
#include <vector>

namespace bench
{

constexpr int kRealSizeArticles = 30000;
constexpr int kRealSizeLinks = 25;
constexpr int kRealSizePictures = 300;
// Article i has a redirect "Alias i" when i is a multiple of this.
constexpr int kRealSizeAliasEvery = 4;

// Draws ranks 1..n with weight r^-exponent (the inverse of the continuous power law's distribution).
class PowerLaw
{
public:
    PowerLaw(quint32 n, double exponent) : m_n(n), m_exponent(exponent)
    {
        m_top = std::pow(double(n) + 1.0, 1.0 - exponent) - 1.0;
    }
    quint32 Draw(QRandomGenerator &random) const
    {
        const double x = std::pow(m_top * random.generateDouble() + 1.0, 1.0 / (1.0 - m_exponent));
        return qMin(quint32(x), m_n) - 1; // 0-based
    }

private:
    quint32 m_n;
    double m_exponent, m_top;
};

class RealSizeWriter
{
public:
    explicit RealSizeWriter(int articles) : m_articles(articles), m_random(quint32(articles) * 31u + 7u)
    {
        // Pronounceable words; the most common few are the short function words of any text.
        static const char *const kSyllables[] = {"ka", "lo", "mi",  "ter", "an",  "su",  "re", "vel", "dor",
                                                 "po", "in", "st",  "ul",  "bra", "gen", "ti", "mon", "es",
                                                 "or", "ne", "qua", "ri",  "cel", "tha", "us", "ex",  "ma"};
        for (const char *w : {"the", "of", "and",  "in",   "a",    "to", "was", "is", "for", "as",
                              "on",  "by", "with", "from", "that", "at", "his", "it", "an",  "which"})
            m_words.emplace_back(w);
        while (m_words.size() < 8000) {
            std::string w;
            const int parts = 1 + int(m_random.bounded(4));
            for (int p = 0; p < parts; ++p)
                w += kSyllables[m_random.bounded(int(std::size(kSyllables)))];
            m_words.push_back(w);
        }
        m_byRank.resize(size_t(articles));
        std::iota(m_byRank.begin(), m_byRank.end(), 0);
        for (int i = articles - 1; i > 0; --i)
            std::swap(m_byRank[size_t(i)], m_byRank[m_random.bounded(i + 1)]);
    }

    std::string Article(int i)
    {
        // Sizes spread around 25 KB as real articles' do: many short ones, some long.
        const double scale = std::exp((m_random.generateDouble() - 0.5) * 1.6);
        const size_t target = size_t(25000.0 * scale / 1.09);
        const std::string title = TitleOf(i).toStdString();
        std::vector<std::string> links = LinksOf(i);
        std::string html;
        html.reserve(target + 4096);
        html +=
            "<!DOCTYPE html><html class=\"client-js\"><head><meta charset=\"utf-8\"><title>" + title +
            "</title><link rel=\"stylesheet\" href=\"../-/style.css\"><script src=\"../-/site.js\"></script>"
            "</head><body class=\"mw-body\"><div id=\"content\" class=\"mw-body-content\"><h1 "
            "class=\"firstHeading\">" +
            title + "</h1>\n<!-- generated page; <a href=\"Not_a_link\"> inside a comment -->\n";
        html += "<table class=\"infobox vcard\" style=\"width:22em\"><tbody><tr><th colspan=\"2\" "
                "class=\"infobox-above\">" +
                title + "</th></tr><tr><td colspan=\"2\"><a href=\"./I/picture_" +
                std::to_string(m_random.bounded(kRealSizePictures)) +
                ".webp\" class=\"image\"><img src=\"./I/picture_" +
                std::to_string(m_random.bounded(kRealSizePictures)) +
                ".webp\" width=\"220\" height=\"165\" alt=\"\"></a></td></tr>";
        for (int row = 0; row < 8; ++row) {
            html += "<tr><th scope=\"row\" class=\"infobox-label\">" + Words(1 + int(m_random.bounded(2))) +
                    "</th><td class=\"infobox-data\">" + Words(2 + int(m_random.bounded(6)));
            if (row < 3 && !links.empty()) {
                html += " " + links.back();
                links.pop_back();
            }
            html += "</td></tr>";
        }
        html += "</tbody></table>\n";
        int references = 0;
        size_t paragraph = 0;
        while (html.size() < target || !links.empty()) {
            if (paragraph % 4 == 3)
                html += "<h2 id=\"Section_" + std::to_string(paragraph) + "\">" + Words(2) + "</h2>\n";
            html += "<p>";
            for (int sentence = 0; sentence < 5; ++sentence) {
                html += Words(8 + int(m_random.bounded(14)));
                if (!links.empty() && m_random.bounded(3) != 0) {
                    html += " " + links.back();
                    links.pop_back();
                }
                html += ".";
                if (m_random.bounded(4) == 0) {
                    ++references;
                    html += "<sup id=\"cite_ref-" + std::to_string(references) +
                            "\" class=\"reference\"><a href=\"#cite_note-" + std::to_string(references) +
                            "\">[" + std::to_string(references) + "]</a></sup>";
                }
                html += " ";
            }
            html += "</p>\n";
            if (paragraph % 6 == 2) {
                html += "<figure class=\"mw-default-size\"><a href=\"./I/picture_" +
                        std::to_string(m_random.bounded(kRealSizePictures)) +
                        ".webp\"><img src=\"./I/picture_" +
                        std::to_string(m_random.bounded(kRealSizePictures)) +
                        ".webp\" width=\"220\" height=\"147\"></a><figcaption>" + Words(6) +
                        "</figcaption></figure>\n";
            }
            ++paragraph;
        }
        html += "<h2 id=\"References\">References</h2><div class=\"reflist\"><ol class=\"references\">";
        for (int r = 1; r <= references; ++r) {
            html += "<li id=\"cite_note-" + std::to_string(r) + "\"><a href=\"#cite_ref-" +
                    std::to_string(r) +
                    "\">^</a> <cite class=\"citation web\"><a rel=\"nofollow\" class=\"external text\" "
                    "href=\"https://www.example.org/" +
                    Words(1) + "/" + std::to_string(m_random.bounded(100000)) + "?page=" + std::to_string(r) +
                    "&amp;lang=en\">" + Words(5) + "</a>. " + Words(3) + ". Retrieved " +
                    std::to_string(1 + m_random.bounded(28)) + " May 20" +
                    std::to_string(10 + m_random.bounded(14)) + ".</cite></li>";
        }
        html += "</ol></div>\n<script>var links = '<a href=\"Not_a_link_either\">';</script>"
                "</div></body></html>";
        return html;
    }

    std::string MainPage()
    {
        std::string html =
            "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Main Page</title></head>"
            "<body><h1>Welcome</h1><ul>";
        for (int k = 0; k < 60; ++k) {
            const int to = m_byRank[size_t(k)];
            html += "<li><a href=\"" + PathOf(to) + "\">" + TitleOf(to).toStdString() + "</a></li>";
        }
        return html + "</ul></body></html>";
    }

    std::string Picture()
    {
        std::string bytes = "RIFF\0\0\0\0WEBPVP8 ";
        bytes.resize(1500 + m_random.bounded(3000));
        for (size_t k = 16; k < bytes.size(); ++k)
            bytes[k] = char(m_random.generate());
        return bytes;
    }

    static std::string AliasPath(int to) { return "Alias_" + std::to_string(to); }

private:
    std::string Words(int n)
    {
        std::string out;
        for (int k = 0; k < n; ++k) {
            if (k)
                out += ' ';
            out += m_words[m_wordLaw.Draw(m_random)];
        }
        return out;
    }

    // The anchors of an article's links, to be spread over its text.
    std::vector<std::string> LinksOf(int from)
    {
        const int distinct = int(kRealSizeLinks / 2 + m_random.bounded(kRealSizeLinks + 1));
        QSet<int> targets;
        for (int tries = 0; int(targets.size()) < distinct && tries < 4 * distinct; ++tries) {
            const int to = m_byRank[m_articleLaw.Draw(m_random)];
            if (to != from)
                targets.insert(to);
        }
        std::vector<std::string> anchors;
        for (const int to : targets) {
            std::string href;
            const quint32 form = m_random.bounded(20);
            if (form == 0 && to % kRealSizeAliasEvery == 0)
                href = AliasPath(to); // through a redirect
            else if (form < 4)
                href = "./" + PathOf(to);
            else
                href = PathOf(to);
            anchors.push_back("<a href=\"" + href + "\" title=\"" + TitleOf(to).toStdString() + "\">" +
                              Words(1 + int(m_random.bounded(3))) + "</a>");
            if (m_random.bounded(6) == 0) // written twice, as a long article does
                anchors.push_back("<a href=\"" + PathOf(to) + "\">" + Words(2) + "</a>");
        }
        for (size_t k = anchors.size(); k > 1; --k)
            std::swap(anchors[k - 1], anchors[m_random.bounded(quint32(k))]);
        return anchors;
    }

    int m_articles;
    QRandomGenerator m_random;
    std::vector<std::string> m_words;
    PowerLaw m_wordLaw{8000, 1.05};
    std::vector<int> m_byRank;
    PowerLaw m_articleLaw{quint32(m_articles), 0.8};
};

inline bool WriteRealSizeArchive(const QString &file, int articles)
{
    return WriteZimFile(file, [articles](zim::writer::Creator &creator) {
        RealSizeWriter writer(articles);
        const zim::writer::Hints front{{zim::writer::FRONT_ARTICLE, 1}};
        for (int i = 0; i < articles; ++i)
            creator.addItem(zim::writer::StringItem::create(PathOf(i), "text/html", TitleOf(i).toStdString(),
                                                            front, writer.Article(i)));
        for (int to = 0; to < articles; to += kRealSizeAliasEvery)
            creator.addRedirection(RealSizeWriter::AliasPath(to), "Alias " + std::to_string(to), PathOf(to),
                                   front);
        for (int p = 0; p < kRealSizePictures; ++p)
            creator.addItem(zim::writer::StringItem::create("I/picture_" + std::to_string(p) + ".webp",
                                                            "image/webp", "", zim::writer::Hints(),
                                                            writer.Picture()));
        creator.addItem(zim::writer::StringItem::create("-/style.css", "text/css", "", zim::writer::Hints(),
                                                        "body{margin:1em}.infobox{float:right}"));
        creator.addItem(zim::writer::StringItem::create("-/site.js", "application/javascript", "",
                                                        zim::writer::Hints(), "var site = 1;"));
        creator.addItem(zim::writer::StringItem::create("Main_Page", "text/html", "Main Page",
                                                        zim::writer::Hints(), writer.MainPage()));
        creator.setMainPath("Main_Page");
        creator.addMetadata("Title", QStringLiteral("Real-size benchmark %1").arg(articles).toStdString());
        creator.addMetadata("Language", "eng");
    });
}

// The real-size archive of this many articles, written first when the temporary folder does not
// hold it yet; empty when it cannot be written.
inline QString RealSizeArchive(int articles = kRealSizeArticles)
{
    const QString file = QDir::tempPath() + QStringLiteral("/quillory-bench-real-%1.zim").arg(articles);
    if (QFileInfo::exists(file))
        return file;
    QElapsedTimer writing;
    writing.start();
    if (!WriteRealSizeArchive(file, articles))
        return {};
    std::printf("%d real-size articles: archive written in %.1f s\n", articles,
                double(writing.nsecsElapsed()) / 1e9);
    return file;
}

} // namespace bench
