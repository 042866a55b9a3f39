// The stores run by root. Root owns the system's files, so "a link to a file of the user's own" would let a
// planted link make it rewrite any of them: as root no link is followed. This suite keeps root in its own
// process and skips without it.
#include "core/namestore.h"
#include "core/settings.h"

#include "testsupport.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace solvenna;
using namespace Qt::Literals::StringLiterals;

class StoresAsRootTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void linkToARootFile_isRefusedAndTheFileKept_data();
    void linkToARootFile_isRefusedAndTheFileKept();
};

void StoresAsRootTest::linkToARootFile_isRefusedAndTheFileKept_data() {
    QTest::addColumn<QString>("file");
    QTest::newRow("names.ini") << u"names.ini"_s;
    QTest::newRow("solvenna.ini") << u"solvenna.ini"_s;
}

void StoresAsRootTest::linkToARootFile_isRefusedAndTheFileKept() {
    QFETCH(QString, file);
    if (geteuid() != 0) QSKIP("only root owns the system's files");
    QTemporaryDir system; // stands for /etc
    QTemporaryDir program;
    QVERIFY(system.isValid() && program.isValid());
    const QString target = system.filePath(u"shadow"_s);
    const QByteArray old = "[root]\nsecret=1\n";
    QVERIFY(testsupport::writeBytes(target, old));
    QCOMPARE(chmod(QFile::encodeName(target).constData(), 0640), 0);
    const QString path = program.filePath(file);
    QVERIFY(QFile::link(target, path));

    testsupport::MessageRecorder recorder;
    QString error;
    try {
        if (file == u"names.ini"_s) {
            NameStore store(program.path() + u'/', QLocale(QLocale::Russian, QLocale::Russia));
            QVERIFY(store.names().isEmpty());
            store.write(u"Анна"_s, {encodeDate(1990, 2, 1), true, false, 0});
        } else {
            IniFile ini(path);
            Settings::load(ini).save(ini);
        }
    } catch (const IniWriteError& e) {
        error = e.text();
    }
    QCOMPARE(error, u"Unable to write to "_s + path);
    QCOMPARE(recorder.messages.size(), 1); // reported as any other file it cannot read
    QCOMPARE(testsupport::readBytes(target), old);
    struct stat after = {};
    QCOMPARE(stat(QFile::encodeName(target).constData(), &after), 0);
    QCOMPARE(after.st_mode & 07777, 0640u);
    QVERIFY(QFileInfo(path).isSymLink());
}

QTEST_GUILESS_MAIN(StoresAsRootTest)
#include "tst_storesasroot.moc"
