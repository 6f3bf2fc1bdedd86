#include "launcher/session/startup/LaunchAtLogin.h"
#include "launcher/shell/settings/SettingsEnvironment.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

namespace trovi {

QGroupBox* makeSystemIntegrationSection(const SettingsEnvironment& env, QWidget* parent) {
    QGroupBox* box = makeSection(QStringLiteral("System Integration"),
                                 QStringLiteral("systemIntegrationSection"), parent);
    auto* layout = static_cast<QVBoxLayout*>(box->layout());
    auto* toggle = new QCheckBox(QStringLiteral("Run at &Login"), box);
    toggle->setObjectName(QStringLiteral("runAtLogin"));
    auto* status = new QLabel(box);
    status->setObjectName(QStringLiteral("runAtLoginStatus"));
    status->setWordWrap(true);
    // Shown once there is something to say, so the section keeps no blank line.
    status->hide();
    layout->addWidget(toggle);
    layout->addWidget(makeCaption(launchAtLoginCaption(), box));
    layout->addWidget(status);

    LaunchAtLoginManaging* manager = env.launchAtLogin;
    if (!manager) {
        toggle->setEnabled(false);
        status->setText(QStringLiteral("Run at login is not available on this system."));
        status->show();
        return box;
    }
    toggle->setChecked(manager->currentState() != LaunchAtLoginState::disabled);
    PreferenceStore& preferences = *env.preferences;
    QObject::connect(toggle, &QCheckBox::toggled, box,
                     [&preferences, manager, toggle, status](bool requested) {
                         const LaunchAtLoginToggleOutcome outcome = applyLaunchAtLoginToggle(
                             *manager, LaunchAtLoginSettingsStore(preferences), requested);
                         const QSignalBlocker block(toggle);
                         toggle->setChecked(outcome.enabled);
                         status->setText(outcome.statusMessage);
                         status->setVisible(!outcome.statusMessage.isEmpty());
                     });
    return box;
}

} // namespace trovi
