#!/usr/bin/env python3
"""Builds a document index shaped like the companion indexer's database.

    gen_index.py PATH [COUNT]

COUNT documents (default 100000) with file names, folders, tags, open counts,
index times and body text drawn from an English vocabulary with a Zipf-like
spread, so common words hit many documents and rare ones few. The same seed
gives the same file every time.
"""
import os
import random
import sqlite3
import sys

WORDS = """
the of and to in is for that on with as by this be are from at or it an was will
have has not but all can our their more which we report budget meeting notes project
plan review summary draft final proposal invoice contract agenda minutes schedule
team client customer sales revenue quarterly annual monthly weekly analysis data
research design product market strategy policy update status release version
document presentation slides chart table figure appendix section chapter page
account payment order shipping delivery vendor supplier purchase request approval
budgeting forecast estimate cost price expense income tax audit finance legal
compliance security privacy risk issue bug feature requirement specification test
training onboarding handbook guide manual tutorial reference overview introduction
conclusion recommendation decision action item owner deadline milestone roadmap
launch campaign marketing brand content social media website email newsletter
survey feedback interview hiring candidate resume offer salary benefit holiday
travel trip hotel flight receipt reimbursement office building lease insurance
health safety incident response recovery backup server network database cloud
software hardware license subscription renewal support ticket service level
agreement partner partnership board investor shareholder dividend growth profit
loss margin quarter year january february march april may june july august
september october november december monday tuesday wednesday thursday friday
north south east west europe asia america london paris berlin tokyo sydney
research paper thesis study experiment result method sample model theory
lecture course syllabus assignment homework exam grade student teacher school
recipe kitchen garden house family wedding birthday party photo album music
note idea list todo reminder letter memo notice announcement policy procedure
inventory warehouse logistics transport fleet vehicle maintenance repair parts
energy water electricity utility bill statement bank loan mortgage credit card
portfolio investment stock bond fund pension retirement savings allowance grant
application form template sample example checklist worksheet calculator tracker
""".split()

EXTENSIONS = ["pdf", "docx", "txt", "md", "xlsx", "pptx", "pages", "key", "numbers", "csv",
              "html", "rtf", "odt", "app"]
EXT_WEIGHTS = [30, 25, 15, 10, 8, 5, 2, 2, 1, 4, 3, 1, 2, 0.2]
TOP_FOLDERS = ["Documents", "Desktop", "Downloads", "Projects", "Archive", "My Drive"]


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    path = sys.argv[1]
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 100000
    rng = random.Random(20240611)
    weights = [1.0 / (rank + 1) ** 0.9 for rank in range(len(WORDS))]

    def words(n):
        return rng.choices(WORDS, weights, k=n)

    if os.path.exists(path):
        os.remove(path)
    db = sqlite3.connect(path)
    db.executescript("""
        CREATE TABLE files(
            id INTEGER PRIMARY KEY,
            filename TEXT NOT NULL,
            directory TEXT NOT NULL,
            open_count INTEGER NOT NULL DEFAULT 0,
            indexed_at REAL NOT NULL);
        CREATE TABLE file_tags(file_id INTEGER NOT NULL, tag TEXT NOT NULL);
        CREATE INDEX file_tags_file ON file_tags(file_id);
        CREATE VIRTUAL TABLE files_fts USING fts5(filename, content);
    """)
    files, tags, texts = [], [], []
    for i in range(1, count + 1):
        stem_words = words(rng.randint(1, 4))
        if rng.random() < 0.3:
            stem_words.append(str(rng.randint(2015, 2025)))
        separator = rng.choice([" ", "-", "_", " "])
        stem = separator.join(w.capitalize() if rng.random() < 0.5 else w for w in stem_words)
        if rng.random() < 0.02:
            stem += " 50% off"
        ext = rng.choices(EXTENSIONS, EXT_WEIGHTS)[0]
        filename = f"{stem}.{ext}"
        directory = "/home/user/" + "/".join(
            [rng.choice(TOP_FOLDERS)] + [w.capitalize() for w in words(rng.randint(0, 3))])
        open_count = int(rng.paretovariate(1.5)) - 1 if rng.random() < 0.4 else 0
        indexed_at = 1.7e9 + rng.random() * 3.0e7
        files.append((i, filename, directory, open_count, indexed_at))
        for tag in set(words(rng.choice([0, 0, 1, 2, 3]))):
            tags.append((i, tag))
        body = " ".join(words(rng.randint(20, 300)))
        texts.append((i, filename, body))
        if len(files) >= 5000:
            flush(db, files, tags, texts)
    flush(db, files, tags, texts)
    db.execute("INSERT INTO files_fts(files_fts) VALUES ('optimize')")
    db.commit()
    db.execute("VACUUM")
    db.close()


def flush(db, files, tags, texts):
    db.executemany("INSERT INTO files VALUES (?, ?, ?, ?, ?)", files)
    db.executemany("INSERT INTO file_tags VALUES (?, ?)", tags)
    db.executemany("INSERT INTO files_fts(rowid, filename, content) VALUES (?, ?, ?)", texts)
    db.commit()
    files.clear()
    tags.clear()
    texts.clear()


if __name__ == "__main__":
    main()
