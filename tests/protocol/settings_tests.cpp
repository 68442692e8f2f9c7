#include "settings/Options.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{

class Settings : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        modOptions::SetOptionsDirectory(m_dir.path());
    }
    void TearDown() override { modOptions::SetOptionsDirectory(QString()); }

    QString path(const QString &name) const { return QDir(m_dir.path()).filePath(name + ".dat"); }
    QByteArray bytes(const QString &name) const
    {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    void write(const QString &name, const QByteArray &content) const
    {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
    }

    QTemporaryDir m_dir;
};

TEST_F(Settings, ValuesRoundTripUnchanged)
{
    const QString values[] = {"Ann", "  padded  ", "a=b;c,d", "Zoë Åland", "%p user(s) connected %v", ","};
    for (const QString &v : values) {
        SaveOption("Name", v);
        EXPECT_EQ(LoadOption("Name"), v);
        EXPECT_EQ(bytes("Name"), (v + "\r\n").toUtf8());
    }
}

TEST_F(Settings, MissingSettingReadsEmptyAndIsNotCreated)
{
    EXPECT_EQ(LoadOption("Servers"), "");
    EXPECT_FALSE(QFile::exists(path("Servers")));
}

TEST_F(Settings, EmptyValueTruncatesOnRead)
{
    SaveOption("Password", "");
    EXPECT_EQ(bytes("Password"), "\r\n");
    EXPECT_EQ(LoadOption("Password"), "");
    EXPECT_EQ(bytes("Password"), "");
    EXPECT_EQ(LoadOption("Password"), "");
    EXPECT_EQ(bytes("Password"), "");
}

TEST_F(Settings, OnlyTheFirstLineIsRead)
{
    SaveOption("Welcome", "first line\r\nsecond line");
    EXPECT_EQ(LoadOption("Welcome"), "first line");
    write("Welcome", "bare\nfeed\n");
    EXPECT_EQ(LoadOption("Welcome"), "bare");
    write("Welcome", "no line end");
    EXPECT_EQ(LoadOption("Welcome"), "no line end");
    // A first line that is empty truncates, even with more lines behind it
    write("Welcome", "\r\nhidden\r\n");
    EXPECT_EQ(LoadOption("Welcome"), "");
    EXPECT_EQ(bytes("Welcome"), "");
}

TEST_F(Settings, ReadOnlyFileKeepsItsValueSilently)
{
    SaveOption("Server", "old");
    QFile::setPermissions(path("Server"), QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    SaveOption("Server", "new");
    EXPECT_EQ(LoadOption("Server"), "old");
    QFile::setPermissions(path("Server"), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    SaveOption("Server", "new");
    EXPECT_EQ(LoadOption("Server"), "new");
}

TEST_F(Settings, UnwritableFolderLosesTheValueSilently)
{
    modOptions::SetOptionsDirectory(QDir(m_dir.path()).filePath("does-not-exist"));
    SaveOption("Name", "Ann");
    EXPECT_EQ(LoadOption("Name"), "");
}

} // namespace

#include "settings/SiteSettings.h"

namespace
{

TEST(SiteDomain, KeepsTheLastTwoLabelsOfLongHostNames)
{
    const std::pair<const char *, const char *> cases[] = {
        {"en.wikipedia.org", "wikipedia.org"},
        {"EN.Wikipedia.ORG", "wikipedia.org"},
        {"wiki.lan.example.net:8080", "example.net:8080"},
        {"en.m.wikipedia.org", "wikipedia.org"},
        {"wikipedia.org", "wikipedia.org"},
        {"localhost:7200", "localhost:7200"},
        {"192.168.1.20:7200", "192.168.1.20:7200"},
        {"127.0.0.1", "127.0.0.1"},
    };
    for (const auto &[host, domain] : cases)
        EXPECT_EQ(site::SiteDomain(host), domain) << host;
}

TEST_F(Settings, SiteHostFallsBackToTheGameServer)
{
    EXPECT_EQ(site::ServerSiteHost(), "127.0.0.1:7200");
    EXPECT_EQ(site::ClientSiteHost("10.1.2.3"), "10.1.2.3:7200");
    SaveOption("Site", "wiki.example.org:8000");
    EXPECT_EQ(site::ServerSiteHost(), "wiki.example.org:8000");
    EXPECT_EQ(site::ClientSiteHost("10.1.2.3"), "wiki.example.org:8000");
    EXPECT_EQ(site::EncyclopediaSetting(), "");
}

} // namespace

#include "common/QtPrinting.h"

#include <QCoreApplication>
#include <unistd.h>

namespace
{

// The per-user folder sits in a configuration folder of the test's own.
class SettingsFolder : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_config.isValid() && m_work.isValid());
        m_saved = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
    }
    void TearDown() override
    {
        if (m_saved.isNull())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", m_saved);
    }
    QString work(const QString &name) const { return QDir(m_work.path()).filePath(name); }

    QTemporaryDir m_config;
    QTemporaryDir m_work;
    QByteArray m_saved;
};

TEST_F(SettingsFolder, UserFolderIsOneForBothPrograms)
{
    const QString expected = m_config.path() + "/Quillory";
    const QString before = QCoreApplication::applicationName();
    for (const char *program : {"Quillory", "QuilloryServer"}) {
        QCoreApplication::setApplicationName(program);
        EXPECT_EQ(modOptions::UserOptionsDirectory(), expected) << program;
    }
    QCoreApplication::setApplicationName(before);
}

TEST_F(SettingsFolder, ProgramFolderWhenWritableElseUserFolder)
{
    const QString user = modOptions::UserOptionsDirectory();
    const QString writable = work("portable");
    const QString locked = work("installed");
    ASSERT_TRUE(QDir().mkpath(writable) && QDir().mkpath(locked));
    ASSERT_TRUE(QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    const bool root = ::geteuid() == 0; // root writes in a folder without write permission
    QFile blocker(work("a-file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    struct Case {
        const char *what;
        QString program;
        QString userFolder;
        QString expected;
        bool skipAsRoot;
    };
    const Case cases[] = {
        {"writable program folder", writable, user, writable, false},
        {"folder without write permission", locked, user, user, true},
        {"folder nobody can create files in", "/proc", user, user, false},
        {"missing program folder", work("gone"), user, user, false},
        {"user folder cannot be made either", "/proc", work("a-file") + "/Quillory", "/proc", false},
    };
    for (const Case &c : cases) {
        if (c.skipAsRoot && root)
            continue;
        EXPECT_EQ(modOptions::ChooseOptionsDirectory(c.program, c.userFolder), c.expected) << c.what;
    }
    // The user folder was made on the way, and the trial leaves nothing behind.
    EXPECT_TRUE(QFileInfo(user).isDir());
    EXPECT_EQ(QDir(writable).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList());
    EXPECT_EQ(QDir(user).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
}

// The rule alone, over made-up folders: which of them can be written to is part of each case, so
// root's power to write anywhere is a case like any other.
TEST(SettingsFolderRule, InstalledProgramsNeverKeepSettingsBesideThemselves)
{
    const QString user = "/home/ann/.config/Quillory";
    struct Case {
        const char *what;
        QString program;
        QStringList writable;
        QString expected;
    };
    const Case cases[] = {
        {"installed in /usr/bin", "/usr/bin", {user}, user},
        {"installed in /usr/bin, run as root", "/usr/bin", {"/usr/bin", user}, user},
        {"installed under /opt, run as root", "/opt/x", {"/opt/x", user}, user},
        {"deeper under /usr, writable",
         "/usr/local/games/quillory",
         {"/usr/local/games/quillory", user},
         user},
        {"installed, user folder not writable either", "/usr/bin", {"/usr/bin"}, user},
        {"unpacked copy in the user's home",
         "/home/ann/Games/Quillory",
         {"/home/ann/Games/Quillory", user},
         "/home/ann/Games/Quillory"},
        {"source tree build",
         "/work/quillory/build/bin",
         {"/work/quillory/build/bin"},
         "/work/quillory/build/bin"},
        {"only a name like /usr or /opt", "/usrdata/bin", {"/usrdata/bin", user}, "/usrdata/bin"},
        {"a path that only passes through /usr", "/usr/../srv/q", {"/usr/../srv/q"}, "/usr/../srv/q"},
        {"read-only folder outside /usr and /opt", "/media/cd/quillory", {user}, user},
        {"read-only folder, user folder not writable", "/media/cd/quillory", {}, "/media/cd/quillory"},
    };
    for (const Case &c : cases) {
        const auto canWrite = [&](const QString &folder) { return c.writable.contains(folder); };
        EXPECT_EQ(modOptions::ChooseOptionsDirectory(c.program, user, canWrite), c.expected) << c.what;
    }
}

TEST(SettingsFolderRule, SystemFolders)
{
    const std::pair<QString, bool> cases[] = {
        {"/usr", true},       {"/usr/bin", true},        {"/usr/local/bin/", true}, {"/opt", true},
        {"/opt/x/bin", true}, {"/usr/../home/x", false}, {"/usrx", false},          {"/home/ann/opt", false},
        {"/", false},         {"/srv/usr/bin", false},
    };
    for (const auto &[folder, system] : cases)
        EXPECT_EQ(modOptions::IsSystemFolder(folder), system) << folder.toStdString();
}

} // namespace
