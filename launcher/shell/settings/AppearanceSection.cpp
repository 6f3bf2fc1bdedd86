#include "launcher/settings/LauncherSettingsStores.h"
#include "launcher/shell/settings/SettingsEnvironment.h"
#include "launcher/shell/settings/ThemePreviewCard.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

namespace trovi {

QGroupBox* makeAppearanceSection(const SettingsEnvironment& env, QWidget* parent) {
    QGroupBox* box =
        makeSection(QStringLiteral("Appearance"), QStringLiteral("appearanceSection"), parent);
    auto* layout = static_cast<QVBoxLayout*>(box->layout());
    PreferenceStore& preferences = *env.preferences;
    NotificationCenter* center = env.notifications;

    layout->addWidget(new QLabel(QStringLiteral("Launcher Theme"), box));
    auto* cards = new QWidget(box);
    cards->setObjectName(QStringLiteral("themeCards"));
    auto* grid = new QGridLayout(cards);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(8);
    auto* group = new QButtonGroup(box);
    group->setExclusive(true);
    const QString current = LauncherThemeStore(preferences).load();
    const QList<ThemePreview> previews =
        env.themePreviews ? env.themePreviews() : QList<ThemePreview>();
    constexpr int columns = 3;
    for (int i = 0; i < previews.size(); ++i) {
        auto* card = new ThemePreviewCard(previews[i], cards);
        card->setChecked(previews[i].id == current);
        group->addButton(card);
        grid->addWidget(card, i / columns, i % columns);
        const QString id = previews[i].id;
        QObject::connect(card, &QAbstractButton::clicked, box, [&preferences, center, id] {
            LauncherThemeStore(preferences, center).save(id);
        });
    }
    layout->addWidget(cards);

    auto* icons = new QCheckBox(QStringLiteral("Show Real App &Icons"), box);
    icons->setObjectName(QStringLiteral("useNativeAppIcons"));
    icons->setChecked(LauncherIconSettingsStore(preferences).load());
    QObject::connect(icons, &QCheckBox::toggled, box, [&preferences, center](bool on) {
        LauncherIconSettingsStore(preferences, center).save(on);
    });
    layout->addWidget(icons);
    return box;
}

} // namespace trovi
