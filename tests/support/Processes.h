#pragma once
// Processes seen through /proc, for tests that check nothing is left running.

#include <QDir>
#include <QFile>
#include <QList>

namespace trovi::test {

// The fields of /proc/PID/stat after "pid (comm) " (state first, then the
// parent); empty when the process is gone. The name may hold spaces and parentheses.
inline QList<QByteArray> statFields(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return {};
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    return close < 0 ? QList<QByteArray>() : line.mid(close + 2).split(' ');
}

// Gone, or a zombie waiting for whoever adopted it.
inline bool hasEnded(qint64 pid) {
    const QList<QByteArray> fields = statFields(pid);
    return fields.isEmpty() || fields[0] == "Z";
}

// A live process whose command line contains `part`, started by a child of
// `ancestor`; 0 if none.
inline qint64 liveGrandchild(qint64 ancestor, const QByteArray& part) {
    const auto parentOf = [](qint64 pid) {
        const QList<QByteArray> fields = statFields(pid);
        return fields.size() < 2 || fields[0] == "Z" ? 0 : fields[1].toLongLong();
    };
    for (const QString& entry : QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const qint64 pid = entry.toLongLong();
        QFile cmdline("/proc/" + entry + "/cmdline");
        if (pid > 0 && parentOf(pid) > 0 && parentOf(parentOf(pid)) == ancestor &&
            cmdline.open(QIODevice::ReadOnly) && cmdline.readAll().contains(part))
            return pid;
    }
    return 0;
}

} // namespace trovi::test
