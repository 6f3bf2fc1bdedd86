#include "launcher/platform/linux/DesktopEntryExec.h"

namespace trovi::platform {

namespace {

bool isSeparator(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n';
}

bool escapableInDoubleQuotes(QChar c) {
    return c == u'"' || c == u'`' || c == u'$' || c == u'\\';
}

QStringList localFiles(const QList<QUrl>& urls) {
    QStringList out;
    for (const QUrl& url : urls)
        if (url.isLocalFile())
            out << url.toLocalFile();
    return out;
}

QStringList urlArguments(const QList<QUrl>& urls) {
    QStringList out;
    for (const QUrl& url : urls)
        out << (url.isLocalFile() ? url.toLocalFile() : url.toString(QUrl::FullyEncoded));
    return out;
}

// Expands the codes inside one argument. Returns false in `keep` when the
// argument consisted of codes that expanded to nothing, so it is dropped
// rather than passed on as an empty string.
QString expandInline(const QString& arg, const DesktopEntry& entry, const QStringList& files,
                     const QStringList& urls, bool& keep) {
    QString out;
    bool sawCode = false;
    for (qsizetype i = 0; i < arg.size(); ++i) {
        if (arg[i] != u'%' || i + 1 == arg.size()) {
            out.append(arg[i]);
            continue;
        }
        const QChar code = arg[++i];
        if (code == u'%') {
            out.append(u'%');
            continue;
        }
        sawCode = true;
        switch (code.unicode()) {
        case u'f':
            out.append(files.value(0));
            break;
        case u'u':
            out.append(urls.value(0));
            break;
        case u'c':
            out.append(entry.name);
            break;
        case u'k':
            out.append(entry.filePath);
            break;
        default:
            // %F %U %i only make sense as whole arguments; %d %D %n %N %v %m
            // are deprecated; anything else is not a code. All expand to nothing.
            break;
        }
    }
    keep = !(sawCode && out.isEmpty());
    return out;
}

} // namespace

std::optional<QStringList> splitExecLine(const QString& exec) {
    QStringList args;
    QString current;
    bool inArgument = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        if (isSeparator(c)) {
            if (inArgument)
                args << current;
            current.clear();
            inArgument = false;
            continue;
        }
        inArgument = true;
        if (c == u'"') {
            for (++i;; ++i) {
                if (i == exec.size())
                    return std::nullopt;
                if (exec[i] == u'"')
                    break;
                if (exec[i] == u'\\' && i + 1 < exec.size() && escapableInDoubleQuotes(exec[i + 1]))
                    ++i;
                current.append(exec[i]);
            }
        } else if (c == u'\'') {
            const qsizetype end = exec.indexOf(u'\'', i + 1);
            if (end < 0)
                return std::nullopt;
            current.append(QStringView(exec).mid(i + 1, end - i - 1));
            i = end;
        } else if (c == u'\\' && i + 1 < exec.size()) {
            current.append(exec[++i]);
        } else {
            current.append(c);
        }
    }
    if (inArgument)
        args << current;
    return args;
}

std::optional<QStringList> desktopEntryCommandLine(const DesktopEntry& entry,
                                                   const QList<QUrl>& urls) {
    const auto split = splitExecLine(entry.exec);
    if (!split || split->isEmpty())
        return std::nullopt;
    const QStringList files = localFiles(urls);
    const QStringList urlArgs = urlArguments(urls);

    QStringList command;
    for (const QString& arg : *split) {
        if (arg == u"%f") {
            if (!files.isEmpty())
                command << files.first();
        } else if (arg == u"%F") {
            command << files;
        } else if (arg == u"%u") {
            if (!urlArgs.isEmpty())
                command << urlArgs.first();
        } else if (arg == u"%U") {
            command << urlArgs;
        } else if (arg == u"%i") {
            if (!entry.icon.isEmpty())
                command << QStringLiteral("--icon") << entry.icon;
        } else {
            bool keep = true;
            const QString expanded = expandInline(arg, entry, files, urlArgs, keep);
            if (keep)
                command << expanded;
        }
    }
    if (command.isEmpty() || command.first().isEmpty())
        return std::nullopt;
    return command;
}

} // namespace trovi::platform
