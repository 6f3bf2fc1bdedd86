#pragma once
// A document index laid out the way the companion indexer writes it, for the
// tests of what the launcher reads from it and counts in it.

#include "db/SqliteDatabase.h"

#include <QStringList>
#include <QTest>

namespace trovi::test {

struct DocumentIndex {
    db::Connection db;
    explicit DocumentIndex(const QString& path) {
        auto opened = db::Connection::open(path, db::ReadWrite | db::Create);
        QVERIFY2(opened.ok(), "cannot create the document index");
        db = std::move(opened.value());
        QVERIFY(!db.execute(
            "CREATE TABLE files(id INTEGER PRIMARY KEY, filename TEXT NOT NULL, directory TEXT "
            "NOT NULL, open_count INTEGER NOT NULL DEFAULT 0, indexed_at REAL NOT NULL);"
            "CREATE TABLE file_tags(file_id INTEGER NOT NULL, tag TEXT NOT NULL);"
            "CREATE VIRTUAL TABLE files_fts USING fts5(filename, content);"));
    }

    void add(std::int64_t id, const QString& filename, std::int64_t openCount, double indexedAt,
             const QString& content = {}, const QStringList& tags = {},
             const QString& directory = QStringLiteral("/w")) {
        QVERIFY(!db.run("INSERT INTO files VALUES (?, ?, ?, ?, ?)",
                        {id, filename, directory, openCount, indexedAt}));
        QVERIFY(!db.run("INSERT INTO files_fts(rowid, filename, content) VALUES (?, ?, ?)",
                        {id, filename, content}));
        for (const QString& tag : tags)
            QVERIFY(!db.run("INSERT INTO file_tags VALUES (?, ?)", {id, tag}));
    }
};

} // namespace trovi::test
