#include "launcher/engine/DirectoryWalker.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace trovi;
using namespace Qt::StringLiterals;

namespace {

struct Seen {
    QString path;
    int depth;
    DirectoryEntryType type;
};

QList<Seen> walkAll(const QString& root, int maxDepth,
                    const std::function<WalkAction(const DirectoryEntry&)>& decide = {}) {
    QList<Seen> seen;
    DirectoryWalker::walk(root, maxDepth, [&](const DirectoryEntry& entry) {
        seen.append({entry.path(), entry.depth(), entry.type()});
        return decide ? decide(entry) : WalkAction::descend;
    });
    return seen;
}

QStringList relative(const QString& root, const QList<Seen>& seen) {
    QStringList paths;
    for (const Seen& s : seen)
        paths << QDir(root).relativeFilePath(s.path);
    paths.sort();
    return paths;
}

} // namespace

class TestDirectoryWalker : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        const QString root = m_dir.path();
        QVERIFY(QDir(root).mkpath(u"a/b/c/d"_s));
        QVERIFY(QDir(root).mkpath(u"skip/inner"_s));
        QFile file(root + u"/a/file.txt"_s);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(QFile::link(root + u"/a"_s, root + u"/link"_s));
        QCOMPARE(::mkfifo(QFile::encodeName(root + u"/fifo"_s).constData(), 0600), 0);
    }

    void reportsEveryEntryWithItsDepthAndType() {
        const QString root = m_dir.path();
        const QList<Seen> seen = walkAll(root, 0);
        QCOMPARE(relative(root, seen),
                 (QStringList{u"a"_s, u"a/b"_s, u"a/b/c"_s, u"a/b/c/d"_s, u"a/file.txt"_s,
                              u"fifo"_s, u"link"_s, u"skip"_s, u"skip/inner"_s}));
        for (const Seen& s : seen) {
            const QString rel = QDir(root).relativeFilePath(s.path);
            QCOMPARE(s.depth, int(rel.count(u'/')) + 1);
            if (rel == u"link")
                QVERIFY(s.type == DirectoryEntryType::symlink);
            else if (rel == u"fifo")
                QVERIFY(s.type == DirectoryEntryType::other);
            else if (rel == u"a/file.txt")
                QVERIFY(s.type == DirectoryEntryType::file);
            else
                QVERIFY(s.type == DirectoryEntryType::directory);
        }
    }

    void depthLimitStopsReading() {
        const QString root = m_dir.path();
        const QList<Seen> seen = walkAll(root, 2);
        for (const Seen& s : seen)
            QVERIFY2(s.depth <= 2, qPrintable(s.path));
        QVERIFY(relative(root, seen).contains(u"a/b"_s));
        QVERIFY(!relative(root, seen).contains(u"a/b/c"_s));
    }

    void skippedFoldersAreNotEntered() {
        const QString root = m_dir.path();
        const QList<Seen> seen = walkAll(root, 0, [](const DirectoryEntry& e) {
            return e.name() == u"skip" ? WalkAction::skipDescendants : WalkAction::descend;
        });
        QVERIFY(relative(root, seen).contains(u"skip"_s));
        QVERIFY(!relative(root, seen).contains(u"skip/inner"_s));
    }

    void linkedRootIsFollowedLinksBelowAreNot() {
        const QString root = m_dir.path();
        QCOMPARE(relative(root + u"/link"_s, walkAll(root + u"/link/"_s, 0)),
                 (QStringList{u"b"_s, u"b/c"_s, u"b/c/d"_s, u"file.txt"_s}));
        std::optional<DirectoryEntryType> linkTarget;
        DirectoryWalker::walk(root, 1, [&](const DirectoryEntry& e) {
            if (e.name() == u"link")
                linkTarget = e.followedType();
            return WalkAction::descend;
        });
        QVERIFY(linkTarget == DirectoryEntryType::directory);
    }

    void rootsThatCannotBeWalked() {
        QVERIFY(!DirectoryWalker::walk(m_dir.path() + u"/a/file.txt"_s, 0, {}));
        QVERIFY(!DirectoryWalker::walk(m_dir.path() + u"/missing"_s, 0, {}));
        QVERIFY(!DirectoryWalker::walk(QString(), 0, {}));
    }

    void standardisedPaths_data() {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        QTest::addRow("trailing slash") << "/home/ada/"
                                        << "/home/ada";
        QTest::addRow("doubled slashes") << "//home//ada//"
                                         << "/home/ada";
        QTest::addRow("dot segments") << "/home/./ada/../bob"
                                      << "/home/bob";
        QTest::addRow("root") << "/"
                              << "/";
    }

    void standardisedPaths() {
        QFETCH(QString, input);
        QFETCH(QString, expected);
        QCOMPARE(DirectoryWalker::standardisedPath(input), expected);
    }
};

QTEST_GUILESS_MAIN(TestDirectoryWalker)
#include "tst_directorywalker.moc"
