// The name store and the settings file against a hostile file system: a full disk, other processes
// writing at the same time, links, FIFOs, devices, unreadable and oversized files, killed writes.
#include "core/namestore.h"
#include "core/settings.h"

#include "ordinaryuser.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sched.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utime.h>

using namespace solvenna;
using namespace Qt::Literals::StringLiterals;

namespace {
const QLocale kRussian(QLocale::Russian, QLocale::Russia);

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}
QByteArray entries(int count, const char* prefix = "Person ") {
    QByteArray file;
    for (int i = 0; i < count; ++i)
        file += "[" + QByteArray(prefix) + QByteArray::number(i) +
                "]\r\nDate=15.08.1975\r\nShowMain=1\r\nShowHoroscop=1\r\nHoroscopType=2\r\n";
    return file;
}
template <typename Write> QString refusal(Write&& write) {
    try {
        write();
    } catch (const IniWriteError& e) {
        return e.text();
    }
    return u"<no error>"_s;
}
} // namespace

class StoreFaultsTest : public QObject {
    Q_OBJECT
public:
    // Refused writes need an ordinary user.
    static void initMain() { testsupport::runAsOrdinaryUser(testsupport::SmallFileSystem::Yes); }

private Q_SLOTS:
    void initTestCase();
    void init();

    void fullDisk_refusesAndKeepsTheOldFile_data();
    void fullDisk_refusesAndKeepsTheOldFile();
    void concurrentWriters_keepEveryEntry_data();
    void concurrentWriters_keepEveryEntry();
    void lockOfAKilledWriter_doesNotBlock();
    void sameSizeChangeWithinTheClockResolution_isSeen();
    void fileThatCannotBeRead_isReportedAndNeverWritten_data();
    void fileThatCannotBeRead_isReportedAndNeverWritten();
    void linkToOwnFile_isFollowedAndKeptPrivate();
    void rewrittenNamesFile_isNeverReadableByOthers();
    void writableFileInReadOnlyFolder_isRewrittenInPlace();
    void leftoverTemporaryFiles_areRemovedByWriteAndClear();
    void twentyThousandNames_listClearAndWriteOne();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_tmpfs; // a small file system of our own, when started as root
    QString folder() const { return m_dir->path() + u'/'; }
};

void StoreFaultsTest::initTestCase() {
    // A full disk needs a file system we may fill; only root can mount one, before giving root up.
    m_tmpfs = qEnvironmentVariable("SOLVENNA_TEST_SMALL_FS");
}

void StoreFaultsTest::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void StoreFaultsTest::fullDisk_refusesAndKeepsTheOldFile_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("readOnlyFolder"); // the file is then rewritten in place
    QTest::newRow("names: remove a name") << u"names.ini"_s << false;
    QTest::newRow("names: write a new name") << u"names.ini"_s << false;
    QTest::newRow("settings: ОК") << u"solvenna.ini"_s << false;
    QTest::newRow("names: in place, growing") << u"names.ini"_s << true;
}

void StoreFaultsTest::fullDisk_refusesAndKeepsTheOldFile() {
    QFETCH(QString, file);
    QFETCH(bool, readOnlyFolder);
    if (m_tmpfs.isEmpty()) QSKIP("a full file system needs a tmpfs, which only root can mount");
    QTemporaryDir dir(m_tmpfs + u"/case-XXXXXX"_s);
    QVERIFY(dir.isValid());
    const QString appFolder = dir.path() + u'/';
    const QString path = appFolder + file;
    const QByteArray old = file == u"solvenna.ini"_s
                               ? QByteArray("[main]\r\nStoreNames=1\r\nShowHints=1\r\nSoftScroll=0\r\n"
                                            "ScrollDelay=35\r\nAutoDelay=0\r\n")
                               : entries(5) + QByteArray(4050 - entries(5).size() - 2, ';') + "\r\n";
    QVERIFY(testsupport::writeBytes(path, old));

    // Fill every block that is left.
    {
        QFile filler(appFolder + u"filler"_s);
        QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size()) {
        }
    }
    if (readOnlyFolder)
        QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));

    const QString tag = QString::fromUtf8(QTest::currentDataTag());
    QString error;
    if (file == u"solvenna.ini"_s) {
        IniFile ini(path);
        Settings s;
        s.scrollDelay = 40;
        error = refusal([&] { s.save(ini); });
    } else {
        NameStore store(appFolder, kRussian);
        QCOMPARE(store.names().size(), 5);
        if (tag.contains(u"remove"_s))
            error = refusal([&] { store.remove(u"Person 2"_s); });
        else {
            const auto writeLonger = [&] {
                store.write(u"Новое имя, которое длиннее"_s, {encodeDate(1980, 1, 1), 1, 1, 3});
            };
            error = refusal(writeLonger);
        }
    }
    QFile::setPermissions(dir.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QCOMPARE(error, u"Unable to write to "_s + path);
    QCOMPARE(testsupport::readBytes(path), old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), (QStringList{u"filler"_s, file}));
}

void StoreFaultsTest::concurrentWriters_keepEveryEntry_data() {
    QTest::addColumn<int>("writers");
    QTest::addColumn<int>("namesEach");
    QTest::newRow("two processes") << 2 << 200;
    QTest::newRow("four processes") << 4 << 100;
}

void StoreFaultsTest::concurrentWriters_keepEveryEntry() {
    QFETCH(int, writers);
    QFETCH(int, namesEach);
    int start[2];
    QCOMPARE(pipe(start), 0);
    QList<pid_t> children;
    for (int w = 0; w < writers; ++w) {
        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            close(start[1]);
            char go;
            [[maybe_unused]] const auto waited = read(start[0], &go, 1); // returns when the parent lets go
            int failures = 0;
            NameStore store(folder(), kRussian);
            for (int i = 0; i < namesEach; ++i) {
                try {
                    store.write(u"Writer %1 name %2"_s.arg(w).arg(i),
                                {encodeDate(1950, 1, 1) + i, true, i % 2 == 0, i % 6});
                } catch (const IniWriteError&) {
                    ++failures;
                }
            }
            _exit(failures == 0 ? 0 : 1);
        }
        children << child;
    }
    close(start[0]);
    close(start[1]); // all writers start at once
    for (const pid_t child : children) {
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY2(WIFEXITED(status) && WEXITSTATUS(status) == 0, "a writer was refused");
    }

    NameStore store(folder(), kRussian);
    QCOMPARE(store.names().size(), writers * namesEach);
    for (int w = 0; w < writers; ++w) {
        for (int i = 0; i < namesEach; ++i) {
            const QString name = u"Writer %1 name %2"_s.arg(w).arg(i);
            const PersonEntry entry = store.read(name, 0);
            QCOMPARE(entry.date, encodeDate(1950, 1, 1) + i);
            QCOMPARE(entry.showMain, true);
            QCOMPARE(entry.showHoroscop, i % 2 == 0);
            if (entry.showHoroscop) QCOMPARE(entry.horoscopType, i % 6);
        }
    }
    QVERIFY(!QFile::exists(folder() + u"names.ini.lock"_s));
}

void StoreFaultsTest::lockOfAKilledWriter_doesNotBlock() {
    const pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        const int lock = open(native(folder() + u"names.ini.lock"_s).constData(), O_RDWR | O_CREAT, 0600);
        _exit(lock >= 0 && flock(lock, LOCK_EX) == 0 ? 0 : 1); // dies holding it
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    QVERIFY(QFile::exists(folder() + u"names.ini.lock"_s));
    NameStore store(folder(), kRussian);
    store.write(u"Анна"_s, {encodeDate(1990, 2, 1), true, false, 0});
    QCOMPARE(store.names(), QStringList{u"Анна"_s});
    QVERIFY(!QFile::exists(folder() + u"names.ini.lock"_s));
}

void StoreFaultsTest::sameSizeChangeWithinTheClockResolution_isSeen() {
    const QString path = folder() + u"names.ini"_s;
    QVERIFY(testsupport::writeBytes(path, "[Anna]\r\nDate=01.02.1990\r\n"));
    struct stat before = {};
    QCOMPARE(stat(native(path).constData(), &before), 0);
    NameStore store(folder(), kRussian);
    QCOMPARE(store.read(u"Anna"_s, 0).date, encodeDate(1990, 2, 1));
    // Another process writes the same number of bytes within the same clock tick.
    QVERIFY(testsupport::writeBytes(path, "[Anna]\r\nDate=09.08.1991\r\n"));
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    QCOMPARE(utimensat(AT_FDCWD, native(path).constData(), times, 0), 0);
    QCOMPARE(store.read(u"Anna"_s, 0).date, encodeDate(1991, 8, 9));
    store.write(u"Boris"_s, {encodeDate(1980, 1, 1), false, false, 0});
    QCOMPARE(NameStore(folder(), kRussian).read(u"Anna"_s, 0).date, encodeDate(1991, 8, 9));
}

void StoreFaultsTest::fileThatCannotBeRead_isReportedAndNeverWritten_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("FIFO") << u"fifo"_s;
    QTest::newRow("link to /dev/null") << u"/dev/null"_s;
    QTest::newRow("link to /dev/zero") << u"/dev/zero"_s;
    QTest::newRow("link to another user's file") << u"/etc/passwd"_s;
    QTest::newRow("dangling link") << u"dangling"_s;
    QTest::newRow("link to a FIFO") << u"link to fifo"_s;
    QTest::newRow("folder") << u"folder"_s;
    QTest::newRow("no read permission") << u"unreadable"_s;
    QTest::newRow("larger than 16 MiB") << u"huge"_s;
}

void StoreFaultsTest::fileThatCannotBeRead_isReportedAndNeverWritten() {
    QFETCH(QString, kind);
    const QString path = folder() + u"names.ini"_s;
    const QByteArray five = entries(5);
    QTemporaryDir elsewhere;
    const QString outside = elsewhere.filePath(u"created.ini"_s);
    if (kind == u"fifo"_s) {
        QCOMPARE(mkfifo(native(path).constData(), 0600), 0);
    } else if (kind.startsWith(u'/')) {
        QVERIFY(QFile::link(kind, path));
    } else if (kind == u"dangling"_s) {
        QVERIFY(QFile::link(outside, path));
    } else if (kind == u"link to fifo"_s) {
        QCOMPARE(mkfifo(native(outside).constData(), 0600), 0);
        QVERIFY(QFile::link(outside, path));
    } else if (kind == u"folder"_s) {
        QVERIFY(QDir().mkdir(path));
    } else if (kind == u"unreadable"_s) {
        QVERIFY(testsupport::writeBytes(path, five));
        QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
    } else if (kind == u"huge"_s) {
        QVERIFY(testsupport::writeBytes(path, five));
        QVERIFY(QFile::resize(path, IniFile::kMaxFileBytes + 1));
    }
    struct stat before = {};
    lstat(native(path).constData(), &before);

    testsupport::MessageRecorder recorder;
    NameStore store(folder(), kRussian);
    QVERIFY(store.names().isEmpty());
    const QString shown = QFileInfo(path).absoluteFilePath();
    QCOMPARE(recorder.messages.size(), 1);
    QVERIFY2(recorder.messages[0].contains(shown), qPrintable(recorder.messages[0]));
    QVERIFY(store.readRefused());
    for (int attempt = 0; attempt < 2; ++attempt) {
        const auto writeNew = [&] { store.write(u"Новый"_s, {encodeDate(1990, 1, 1), true, true, 1}); };
        QCOMPARE(refusal(writeNew), u"Unable to write to "_s + shown);
        QCOMPARE(refusal([&] { store.clear(); }), u"Unable to write to "_s + shown);
    }
    QCOMPARE(recorder.messages.size(), 1); // said once, not at every attempt

    struct stat after = {};
    QCOMPARE(lstat(native(path).constData(), &after), 0);
    QCOMPARE(after.st_mode, before.st_mode);
    QCOMPARE(after.st_ino, before.st_ino);
    QCOMPARE(qint64(after.st_size), qint64(before.st_size));
    QVERIFY(!QFile::exists(outside) || kind == u"link to fifo"_s);
    if (kind == u"unreadable"_s || kind == u"huge"_s) {
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        QVERIFY(testsupport::readBytes(path).startsWith(five)); // the five names are all still there
    }
    // A store opened later in the same state still reads nothing and writes nothing.
    NameStore later(folder(), kRussian);
    if (kind != u"unreadable"_s && kind != u"huge"_s) QVERIFY(later.names().isEmpty());
}

void StoreFaultsTest::linkToOwnFile_isFollowedAndKeptPrivate() {
    // People keep such files in their dotfile folders and link them into place.
    QTemporaryDir dotfiles;
    const QString real = dotfiles.filePath(u"names.ini"_s);
    QVERIFY(testsupport::writeBytes(real, entries(2)));
    QVERIFY(QFile::setPermissions(real, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                            QFileDevice::ReadGroup | QFileDevice::ReadOther));
    QVERIFY(QFile::link(real, folder() + u"names.ini"_s));
    testsupport::MessageRecorder recorder;
    NameStore store(folder(), kRussian);
    QCOMPARE(store.names().size(), 2);
    store.write(u"Вера"_s, {encodeDate(1970, 3, 3), false, false, 0});
    QVERIFY(recorder.messages.isEmpty());
    QVERIFY(QFileInfo(folder() + u"names.ini"_s).isSymLink());
    QCOMPARE(NameStore(dotfiles.path() + u'/', kRussian).names().size(), 3);
    struct stat info = {};
    QCOMPARE(stat(native(real).constData(), &info), 0);
    QCOMPARE(info.st_mode & 0777, 0600u);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{u"names.ini"_s});
}

void StoreFaultsTest::rewrittenNamesFile_isNeverReadableByOthers() {
    QVERIFY(testsupport::writeBytes(folder() + u"names.ini"_s, entries(1)));
    QVERIFY(QFile::setPermissions(folder() + u"names.ini"_s,
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                                      QFileDevice::ReadOther));
    NameStore store(folder(), kRussian);
    store.remove(u"Person 0"_s);
    struct stat info = {};
    QCOMPARE(stat(native(folder() + u"names.ini"_s).constData(), &info), 0);
    QCOMPARE(info.st_mode & 0777, 0600u);
}

void StoreFaultsTest::writableFileInReadOnlyFolder_isRewrittenInPlace() {
    const QString path = folder() + u"names.ini"_s;
    QVERIFY(testsupport::writeBytes(path, entries(3)));
    struct stat before = {};
    QCOMPARE(stat(native(path).constData(), &before), 0);
    QVERIFY(QFile::setPermissions(m_dir->path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    NameStore store(folder(), kRussian);
    store.write(u"Галина"_s, {encodeDate(1960, 6, 6), true, false, 0});
    QVERIFY(store.remove(u"Person 1"_s));
    QFile::setPermissions(m_dir->path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QCOMPARE(NameStore(folder(), kRussian).names(), (QStringList{u"Person 0"_s, u"Person 2"_s, u"Галина"_s}));
    struct stat after = {};
    QCOMPARE(stat(native(path).constData(), &after), 0);
    QCOMPARE(after.st_ino, before.st_ino);
}

void StoreFaultsTest::leftoverTemporaryFiles_areRemovedByWriteAndClear() {
    const QStringList leftovers{u"names.ini.tmp-a1B2c3"_s, u"names.ini.tmp-ZZZZZZ"_s};
    const QStringList others{u"names.ini.backup"_s, u"names.ini.tmp-longer-name"_s, u"solvenna.ini"_s};
    for (const QString& name : leftovers + others)
        QVERIFY(testsupport::writeBytes(folder() + name, "[Killed]\r\nDate=01.01.1990\r\n"));
    NameStore store(folder(), kRussian);
    store.write(u"Анна"_s, {encodeDate(1990, 2, 1), true, false, 0});
    QStringList expected = others + QStringList{u"names.ini"_s};
    expected.sort();
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), expected);

    for (const QString& name : leftovers)
        QVERIFY(testsupport::writeBytes(folder() + name, "[Killed]\r\nDate=01.01.1990\r\n"));
    store.clear();
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), expected);
    QVERIFY(!testsupport::readBytes(folder() + u"names.ini"_s).contains("Date"));
}

void StoreFaultsTest::twentyThousandNames_listClearAndWriteOne() {
    QVERIFY(testsupport::writeBytes(folder() + u"names.ini"_s, entries(20000)));
    NameStore store(folder(), kRussian);
    const QStringList names = store.names();
    QVERIFY(names.size() > 1000 && names.size() < 20000); // the listing stops at its byte limit
    QCOMPARE(names.first(), u"Person 0"_s);
    QCOMPARE(QSet<QString>(names.cbegin(), names.cend()).size(), names.size());
    store.write(u"person 19999"_s, {encodeDate(2000, 1, 1), false, false, 0});
    QCOMPARE(store.read(u"Person 19999"_s, 0).date, encodeDate(2000, 1, 1));
    QCOMPARE(store.read(u"Person 19998"_s, 0).date, encodeDate(1975, 8, 15));
    QCOMPARE(testsupport::readBytes(folder() + u"names.ini"_s).count('['), 20000);
    store.clear();
    QVERIFY(NameStore(folder(), kRussian).names().isEmpty());
}

QTEST_GUILESS_MAIN(StoreFaultsTest)
#include "tst_storefaults.moc"
