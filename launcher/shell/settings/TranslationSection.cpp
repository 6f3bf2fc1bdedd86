#include "launcher/clients/TranslationSettingsStores.h"
#include "launcher/clients/translation/TranslationLookup.h"
#include "launcher/shell/settings/SettingsEnvironment.h"

#include <QApplication>
#include <QCheckBox>
#include <QFuture>
#include <QGridLayout>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPromise>
#include <QStyle>
#include <QThreadPool>
#include <QToolButton>
#include <QVBoxLayout>

namespace trovi {

namespace {

using EngineAvailabilities = QHash<TranslationEngineID, TranslationEngineAvailability>;

// The first check of the local engine starts Python and may take a second,
// so it runs on the pool; later windows reuse the status the engines keep.
QFuture<EngineAvailabilities>
availabilitiesInBackground(std::shared_ptr<TranslationEngines> engines, QStringList languages) {
    auto promise = std::make_shared<QPromise<EngineAvailabilities>>();
    QFuture<EngineAvailabilities> future = promise->future();
    promise->start();
    QThreadPool::globalInstance()->start([engines = std::move(engines), languages, promise] {
        EngineAvailabilities availabilities;
        for (TranslationEngineID id : allTranslationEngineIDs) {
            TranslationEngineAvailability state = engines->availability(id);
            // An engine with some pairs says what the user's own languages need.
            if (state.isAvailable && languages.size() >= 2) {
                for (const auto& [from, to] : {std::pair{languages[0], languages[1]},
                                               std::pair{languages[1], languages[0]}}) {
                    const auto pair = engines->pairAvailability(id, from, to);
                    if (!pair.isAvailable) {
                        state.message += u' ' + pair.message;
                        break;
                    }
                }
            }
            availabilities.insert(id, state);
        }
        promise->addResult(availabilities);
        promise->finish();
    });
    return future;
}

QLabel* makeGroupTitle(const QString& text, QWidget* parent) {
    auto* title = new QLabel(text, parent);
    QFont font = title->font();
    font.setBold(true);
    title->setFont(font);
    return title;
}

// Engines in priority order, each with its switch, availability and move
// buttons; every change is stored at once.
class EngineList : public QWidget {
public:
    EngineList(PreferenceStore& preferences, std::shared_ptr<TranslationEngines> engines,
               QWidget* parent)
        : QWidget(parent), m_store(preferences) {
        m_grid = new QGridLayout(this);
        m_grid->setContentsMargins(0, 0, 0, 0);
        m_grid->setVerticalSpacing(2);
        m_preferences = m_store.load();
        m_checking = engines != nullptr;
        if (engines)
            availabilitiesInBackground(std::move(engines),
                                       TranslationLanguageSettingsStore(preferences).load())
                .then(this, [this](const EngineAvailabilities& availabilities) {
                    m_availabilities = availabilities;
                    m_checking = false;
                    rebuild();
                });
        rebuild();
    }

private:
    void store() {
        m_store.save(m_preferences.order, m_preferences.enabledEngineIDs);
        m_preferences = m_store.load();
        rebuild();
    }

    QString availabilityText(TranslationEngineID id) const {
        if (m_checking)
            return QStringLiteral("Checking availability…");
        return m_availabilities.value(id).message;
    }

    void rebuild() {
        QWidget* focused = QApplication::focusWidget();
        const QString focusedName =
            focused && isAncestorOf(focused) ? focused->objectName() : QString();
        while (QLayoutItem* item = m_grid->takeAt(0)) {
            if (QWidget* widget = item->widget()) {
                widget->hide();
                widget->setObjectName(QString());
                widget->deleteLater();
            }
            delete item;
        }
        const auto& order = m_preferences.order;
        for (int row = 0; row < order.size(); ++row) {
            const TranslationEngineID id = order[row];
            auto* enabled = new QCheckBox(displayName(id), this);
            enabled->setObjectName(QStringLiteral("engineEnabled_") + rawValue(id));
            enabled->setChecked(m_preferences.enabledEngineIDs.contains(id));
            connect(enabled, &QCheckBox::toggled, this, [this, id](bool on) {
                if (on)
                    m_preferences.enabledEngineIDs.insert(id);
                else
                    m_preferences.enabledEngineIDs.remove(id);
                store();
            });
            auto* availability = makeCaption(availabilityText(id), this);
            availability->setObjectName(QStringLiteral("engineAvailability_") + rawValue(id));
            availability->setVisible(!availability->text().isEmpty());
            // Lined up under the engine's name, past the check box.
            availability->setIndent(style()->pixelMetric(QStyle::PM_IndicatorWidth) +
                                    style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing));
            auto* up = new QToolButton(this);
            up->setArrowType(Qt::UpArrow);
            up->setObjectName(QStringLiteral("engineUp_") + rawValue(id));
            up->setAccessibleName(QStringLiteral("Move up"));
            up->setToolTip(QStringLiteral("Move up"));
            up->setEnabled(row > 0);
            connect(up, &QToolButton::clicked, this, [this, row] {
                m_preferences.order.swapItemsAt(row, row - 1);
                store();
            });
            auto* down = new QToolButton(this);
            down->setArrowType(Qt::DownArrow);
            down->setObjectName(QStringLiteral("engineDown_") + rawValue(id));
            down->setAccessibleName(QStringLiteral("Move down"));
            down->setToolTip(QStringLiteral("Move down"));
            down->setEnabled(row + 1 < order.size());
            connect(down, &QToolButton::clicked, this, [this, row] {
                m_preferences.order.swapItemsAt(row, row + 1);
                store();
            });
            m_grid->addWidget(enabled, 2 * row, 0);
            m_grid->addWidget(availability, 2 * row + 1, 0);
            m_grid->addWidget(up, 2 * row, 1, 2, 1, Qt::AlignVCenter);
            m_grid->addWidget(down, 2 * row, 2, 2, 1, Qt::AlignVCenter);
            // Shown now rather than by the layout later, so focus can move here.
            for (QWidget* widget : std::initializer_list<QWidget*>{enabled, up, down})
                widget->show();
        }
        m_grid->setColumnStretch(0, 1);
        // Moving an engine rebuilds the rows: keep the keyboard on that engine,
        // on its other arrow once it reaches the end of the list.
        if (!focusedName.isEmpty()) {
            QString otherArrow = focusedName;
            if (otherArrow.startsWith(QLatin1String("engineUp_")))
                otherArrow.replace(0, 8, QStringLiteral("engineDown"));
            else if (otherArrow.startsWith(QLatin1String("engineDown_")))
                otherArrow.replace(0, 10, QStringLiteral("engineUp"));
            for (const QString& name : {focusedName, otherArrow}) {
                auto* again = findChild<QWidget*>(name);
                if (again && again->isEnabled()) {
                    again->setFocus();
                    break;
                }
            }
        }
    }

    TranslationEngineSettingsStore m_store;
    TranslationEnginePreferences m_preferences;
    EngineAvailabilities m_availabilities;
    bool m_checking = false;
    QGridLayout* m_grid;
};

QString triggerCaption(const QString& trigger) {
    return QStringLiteral("Use this prefix in search (for example \"%1 hello\" or \"%1 en:de "
                          "hello\").")
        .arg(trigger);
}

} // namespace

QGroupBox* makeTranslationSection(const SettingsEnvironment& env, QWidget* parent) {
    QGroupBox* box =
        makeSection(QStringLiteral("Translation"), QStringLiteral("translationSection"), parent);
    auto* layout = static_cast<QVBoxLayout*>(box->layout());
    PreferenceStore& preferences = *env.preferences;

    // Stored on every edit; the field shows the normalised form once editing
    // ends, so a half-typed value is not rewritten under the cursor.
    auto* triggerTitle = makeGroupTitle(QStringLiteral("Translation &Trigger"), box);
    auto* trigger = new QLineEdit(TranslationCommandSettingsStore(preferences).loadTrigger(), box);
    trigger->setObjectName(QStringLiteral("translationTrigger"));
    triggerTitle->setBuddy(trigger);
    auto* triggerHint = makeCaption(triggerCaption(trigger->text()), box);
    triggerHint->setObjectName(QStringLiteral("translationTriggerCaption"));
    QObject::connect(
        trigger, &QLineEdit::textEdited, box, [&preferences, triggerHint](const QString& text) {
            triggerHint->setText(
                triggerCaption(TranslationCommandSettingsStore(preferences).saveTrigger(text)));
        });
    QObject::connect(trigger, &QLineEdit::editingFinished, box, [&preferences, trigger] {
        const QString stored = TranslationCommandSettingsStore(preferences).loadTrigger();
        if (trigger->text() != stored)
            trigger->setText(stored);
    });
    layout->addWidget(triggerTitle);
    layout->addWidget(trigger);
    layout->addWidget(triggerHint);

    auto* languagesTitle = makeGroupTitle(QStringLiteral("Translation Lang&uages"), box);
    auto* languages =
        new QLineEdit(TranslationLanguageSettingsStore(preferences).load().join(u','), box);
    languages->setObjectName(QStringLiteral("translationLanguages"));
    languages->setPlaceholderText(QStringLiteral("en,de"));
    languagesTitle->setBuddy(languages);
    QObject::connect(languages, &QLineEdit::textEdited, box, [&preferences](const QString& text) {
        TranslationLanguageSettingsStore(preferences).save(text);
    });
    QObject::connect(languages, &QLineEdit::editingFinished, box, [languages] {
        QStringList codes = TranslationLanguageSettingsStore::normalizedLanguageCodesFromRawValue(
            languages->text());
        if (codes.isEmpty())
            codes = TranslationLanguageSettingsStore::defaultLanguageCodes();
        const QString shown = codes.join(u',');
        if (languages->text() != shown)
            languages->setText(shown);
    });
    layout->addSpacing(6);
    layout->addWidget(languagesTitle);
    layout->addWidget(languages);
    layout->addWidget(makeCaption(QStringLiteral("Comma-separated ISO language codes (for example "
                                                 "\"en,de,fr,es\"). Explicit pairs use \"xx:yy\"."),
                                  box));

    layout->addSpacing(6);
    layout->addWidget(
        makeGroupTitle(QStringLiteral("Translation Engines (priority top -> bottom)"), box));
    layout->addWidget(new EngineList(preferences, env.translationEngines, box));
    return box;
}

} // namespace trovi
