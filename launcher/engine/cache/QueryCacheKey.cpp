#include "launcher/engine/cache/QueryCacheKey.h"

namespace trovi {

QString trimmedBlanksAndTabs(const QString& text) {
    auto isBlank = [](QChar c) { return c == u'\t' || c.category() == QChar::Separator_Space; };
    qsizetype begin = 0, end = text.size();
    while (begin < end && isBlank(text.at(begin)))
        ++begin;
    while (end > begin && isBlank(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

QString normalizedQuery(const QString& query) {
    return trimmedBlanksAndTabs(query).toLower();
}

QString queryCacheKey(const QString& query, const SearchRankingPreferences& preferences) {
    return normalizedQuery(query) + u'|' + preferences.cacheKey();
}

} // namespace trovi
