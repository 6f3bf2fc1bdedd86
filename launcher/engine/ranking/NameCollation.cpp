#include "launcher/engine/ranking/NameCollation.h"

#include <QLocale>

namespace trovi {

const QCollator& nameCollator() {
    thread_local const QCollator collator = [] {
        QCollator c(QLocale::system());
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator;
}

} // namespace trovi
