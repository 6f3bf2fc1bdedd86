#include "launcher/shell/settings/SettingsEnvironment.h"
#include "launcher/tools/TranslationSettingsStores.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace trovi {

namespace {

// Engines in priority order, each with its switch and move buttons; every
// change is stored at once.
class EngineList : public QWidget {
public:
    EngineList(PreferenceStore& preferences, QWidget* parent)
        : QWidget(parent), m_store(preferences) {
        m_grid = new QGridLayout(this);
        m_grid->setContentsMargins(0, 0, 0, 0);
        m_preferences = m_store.load();
        rebuild();
    }

private:
    void store() {
        m_store.save(m_preferences.order, m_preferences.enabledEngineIDs);
        m_preferences = m_store.load();
        rebuild();
    }

    void rebuild() {
        while (QLayoutItem* item = m_grid->takeAt(0)) {
            if (QWidget* widget = item->widget()) {
                widget->hide();
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
            auto* up = new QToolButton(this);
            up->setArrowType(Qt::UpArrow);
            up->setObjectName(QStringLiteral("engineUp_") + rawValue(id));
            up->setAccessibleName(QStringLiteral("Move up"));
            up->setEnabled(row > 0);
            connect(up, &QToolButton::clicked, this, [this, row] {
                m_preferences.order.swapItemsAt(row, row - 1);
                store();
            });
            auto* down = new QToolButton(this);
            down->setArrowType(Qt::DownArrow);
            down->setObjectName(QStringLiteral("engineDown_") + rawValue(id));
            down->setAccessibleName(QStringLiteral("Move down"));
            down->setEnabled(row + 1 < order.size());
            connect(down, &QToolButton::clicked, this, [this, row] {
                m_preferences.order.swapItemsAt(row, row + 1);
                store();
            });
            m_grid->addWidget(new QLabel(QString::number(row + 1) + u'.', this), row, 0);
            m_grid->addWidget(enabled, row, 1);
            m_grid->addWidget(up, row, 2);
            m_grid->addWidget(down, row, 3);
        }
        m_grid->setColumnStretch(1, 1);
    }

    TranslationEngineSettingsStore m_store;
    TranslationEnginePreferences m_preferences;
    QGridLayout* m_grid;
};

} // namespace

QGroupBox* makeTranslationSection(const SettingsEnvironment& env, QWidget* parent) {
    QGroupBox* box =
        makeSection(QStringLiteral("Translation"), QStringLiteral("translationSection"), parent);
    auto* layout = static_cast<QVBoxLayout*>(box->layout());
    PreferenceStore& preferences = *env.preferences;
    auto* form = new QFormLayout;

    auto* trigger = new QLineEdit(TranslationCommandSettingsStore(preferences).loadTrigger(), box);
    trigger->setObjectName(QStringLiteral("translationTrigger"));
    QObject::connect(trigger, &QLineEdit::editingFinished, box, [&preferences, trigger] {
        trigger->setText(TranslationCommandSettingsStore(preferences).saveTrigger(trigger->text()));
    });
    form->addRow(QStringLiteral("&Trigger"), trigger);

    const TranslationLanguageSettingsStore languageStore(preferences);
    auto* languages = new QLineEdit(languageStore.load().join(QStringLiteral(", ")), box);
    languages->setObjectName(QStringLiteral("translationLanguages"));
    languages->setPlaceholderText(QStringLiteral("en, de"));
    QObject::connect(languages, &QLineEdit::editingFinished, box, [&preferences, languages] {
        const TranslationLanguageSettingsStore store(preferences);
        store.save(languages->text());
        languages->setText(store.load().join(QStringLiteral(", ")));
    });
    form->addRow(QStringLiteral("Lang&uages"), languages);
    layout->addLayout(form);
    layout->addWidget(makeCaption(
        QStringLiteral("Type the trigger, a space and the text, e.g. \"cc hello\"; up to eight "
                       "language codes."),
        box));
    layout->addWidget(new QLabel(QStringLiteral("Engines, highest priority first"), box));
    layout->addWidget(new EngineList(preferences, box));
    return box;
}

} // namespace trovi
