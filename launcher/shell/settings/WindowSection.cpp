#include "launcher/session/hotkey/HotKeySettings.h"
#include "launcher/settings/LauncherSettingsStores.h"
#include "launcher/settings/PreferenceStore.h"
#include "launcher/shell/settings/SettingsEnvironment.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

namespace trovi {

namespace {

// Hiding the tray item while the hotkey is off would leave no way back in.
bool globalHotKeyEnabled(PreferenceStore& preferences) {
    return HotKeySettingsStore(preferences).load().isEnabled;
}

QCheckBox* storedToggle(const QString& text, const QString& objectName, bool checked,
                        QWidget* parent) {
    auto* toggle = new QCheckBox(text, parent);
    toggle->setObjectName(objectName);
    toggle->setChecked(checked);
    return toggle;
}

} // namespace

QGroupBox* makeWindowSection(const SettingsEnvironment& env, QWidget* parent) {
    QGroupBox* box = makeSection(QStringLiteral("Window"), QStringLiteral("windowSection"), parent);
    auto* layout = static_cast<QVBoxLayout*>(box->layout());
    PreferenceStore& preferences = *env.preferences;
    NotificationCenter* center = env.notifications;

    auto* snap = storedToggle(QStringLiteral("S&nap Window to Grid"), QStringLiteral("snapToGrid"),
                              WindowSnapSettingsStore(preferences).load(), box);
    QObject::connect(snap, &QCheckBox::toggled, box, [&preferences, center](bool on) {
        WindowSnapSettingsStore(preferences, center).save(on);
    });
    layout->addWidget(snap);

    auto* refusal = new QLabel(box);
    refusal->setObjectName(QStringLiteral("menuBarIconRefusal"));
    refusal->setWordWrap(true);
    refusal->hide();
    auto* icon =
        storedToggle(QStringLiteral("Show &Tray Icon"), QStringLiteral("showMenuBarIcon"),
                     MenuBarIconVisibilityStore(preferences).load(), box);
    QObject::connect(
        icon, &QCheckBox::toggled, box, [&preferences, center, icon, refusal](bool on) {
            if (!on && !globalHotKeyEnabled(preferences)) {
                const QSignalBlocker block(icon);
                icon->setChecked(true);
                refusal->setText(
                    QStringLiteral("Enable Global Hotkey before hiding the tray icon."));
                refusal->show();
                return;
            }
            refusal->hide();
            MenuBarIconVisibilityStore(preferences, center).save(on);
        });
    layout->addWidget(icon);
    layout->addWidget(refusal);

    auto* version =
        storedToggle(QStringLiteral("Show Version Num&ber"), QStringLiteral("showVersionNumber"),
                     VersionVisibilityStore(preferences).load(), box);
    QObject::connect(version, &QCheckBox::toggled, box, [&preferences, center](bool on) {
        VersionVisibilityStore(preferences, center).save(on);
    });
    layout->addWidget(version);
    layout->addWidget(makeCaption(
        QStringLiteral("Use the global hotkey and type \"settings\" to reopen this window."), box));
    return box;
}

} // namespace trovi
