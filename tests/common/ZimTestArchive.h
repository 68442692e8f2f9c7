#pragma once

#include <QString>

#include <zim/writer/creator.h>
#include <zim/writer/item.h>

#include <string>
#include <vector>

// A small ZIM archive written with libzim's own writer, so tests never need a downloaded file.
class ZimTestArchive
{
public:
    struct Entry {
        std::string path, title, mimetype, content;
        bool front = false;
    };
    struct Redirect {
        std::string path, title, target;
    };

    ZimTestArchive &Article(const std::string &path, const std::string &title, const std::string &body,
                            bool front = true)
    {
        m_entries.push_back({path, title, "text/html",
                             "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" + title +
                                 "</title></head><body>" + body + "</body></html>",
                             front});
        return *this;
    }
    ZimTestArchive &Raw(const std::string &path, const std::string &title, const std::string &mimetype,
                        const std::string &content, bool front = false)
    {
        m_entries.push_back({path, title, mimetype, content, front});
        return *this;
    }
    ZimTestArchive &RedirectTo(const std::string &path, const std::string &title, const std::string &target)
    {
        m_redirects.push_back({path, title, target});
        return *this;
    }
    ZimTestArchive &Main(const std::string &path)
    {
        m_main = path;
        return *this;
    }
    ZimTestArchive &Title(const std::string &title)
    {
        m_title = title;
        return *this;
    }

    // Writes the archive; false when libzim refused it.
    bool Write(const QString &file) const
    {
        try {
            zim::writer::Creator creator;
            creator.configIndexing(false, "eng").configNbWorkers(1).configClusterSize(64 * 1024);
            creator.startZimCreation(file.toStdString());
            for (const Entry &e : m_entries) {
                zim::writer::Hints hints;
                hints[zim::writer::FRONT_ARTICLE] = e.front ? 1 : 0;
                creator.addItem(
                    zim::writer::StringItem::create(e.path, e.mimetype, e.title, hints, e.content));
            }
            for (const Redirect &r : m_redirects)
                creator.addRedirection(r.path, r.title, r.target);
            if (!m_main.empty())
                creator.setMainPath(m_main);
            if (!m_title.empty())
                creator.addMetadata("Title", m_title);
            creator.addMetadata("Language", "eng");
            creator.finishZimCreation();
            return true;
        } catch (...) {
            return false;
        }
    }

private:
    std::vector<Entry> m_entries;
    std::vector<Redirect> m_redirects;
    std::string m_main;
    std::string m_title;
};
