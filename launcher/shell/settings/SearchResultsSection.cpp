#include "launcher/settings/LauncherSettingsStores.h"
#include "launcher/shell/settings/SettingsEnvironment.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

namespace trovi {

namespace {

QSpinBox* boundedSpinBox(const BoundedIntegerSettingStore& store, const QString& suffix,
                         const QString& objectName, QWidget* parent) {
    auto* spin = new QSpinBox(parent);
    spin->setObjectName(objectName);
    spin->setRange(store.minimum(), store.maximum());
    spin->setValue(store.load());
    spin->setSuffix(suffix);
    // Plain integers: no digit grouping.
    spin->setGroupSeparatorShown(false);
    return spin;
}

} // namespace

QGroupBox* makeSearchResultsSection(const SettingsEnvironment& env, QWidget* parent) {
    QGroupBox* box = makeSection(QStringLiteral("Search Results"),
                                 QStringLiteral("searchResultsSection"), parent);
    auto* layout = static_cast<QVBoxLayout*>(box->layout());
    PreferenceStore& preferences = *env.preferences;
    NotificationCenter* center = env.notifications;

    auto* snippets = new QCheckBox(QStringLiteral("Show Search &Snippets"), box);
    snippets->setObjectName(QStringLiteral("showSnippets"));
    snippets->setChecked(ShowSnippetsStore(preferences).load());
    QObject::connect(snippets, &QCheckBox::toggled, box, [&preferences, center](bool on) {
        ShowSnippetsStore(preferences, center).save(on);
    });
    layout->addWidget(snippets);

    auto* scores = new QCheckBox(QStringLiteral("Show Search Sc&ores"), box);
    scores->setObjectName(QStringLiteral("showSearchScores"));
    scores->setChecked(SearchScoreVisibilityStore(preferences).load());
    QObject::connect(scores, &QCheckBox::toggled, box, [&preferences, center](bool on) {
        SearchScoreVisibilityStore(preferences, center).save(on);
    });
    layout->addWidget(scores);

    auto* advanced = new QGroupBox(QStringLiteral("Advanced"), box);
    auto* form = new QFormLayout(advanced);
    const SearchDebounceSettingsStore debounceStore(preferences);
    QSpinBox* debounce = boundedSpinBox(debounceStore, QStringLiteral(" ms"),
                                        QStringLiteral("searchDebounce"), advanced);
    QObject::connect(debounce, &QSpinBox::valueChanged, box, [&preferences, center](int value) {
        SearchDebounceSettingsStore(preferences, center).save(value);
    });
    form->addRow(QStringLiteral("Search &Debounce"), debounce);
    form->addRow(
        QString(),
        makeCaption(QStringLiteral("Lower values feel faster but trigger more frequent searches."),
                    advanced));

    const SessionPersistenceSettingsStore persistenceStore(preferences);
    QSpinBox* persistence = boundedSpinBox(persistenceStore, QStringLiteral(" s"),
                                           QStringLiteral("sessionPersistence"), advanced);
    QObject::connect(persistence, &QSpinBox::valueChanged, box, [&preferences, center](int value) {
        SessionPersistenceSettingsStore(preferences, center).save(value);
    });
    form->addRow(QStringLiteral("Session &Persistence"), persistence);
    form->addRow(QString(),
                 makeCaption(QStringLiteral("Keeps the last search visible when reopening within "
                                            "this window. Use arrow-up to recall the last search "
                                            "anytime."),
                             advanced));
    layout->addWidget(advanced);
    return box;
}

} // namespace trovi
