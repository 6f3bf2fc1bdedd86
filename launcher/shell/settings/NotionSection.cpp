#include "launcher/shell/settings/SettingsEnvironment.h"
#include "launcher/session/settings/NotionSettingsSection.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace trovi {

QGroupBox* makeNotionSection(const SettingsEnvironment& env, NotionClient& client,
                             QWidget* parent) {
    namespace texts = notionSettingsTexts;
    QGroupBox* box = makeSection(QStringLiteral("Notion"), QStringLiteral("notionSection"), parent);
    auto* layout = static_cast<QVBoxLayout*>(box->layout());
    auto* logic = new NotionSettingsSection(*env.preferences, env.notifications, client, box);

    auto* enabled = new QCheckBox(QStringLiteral("Search Notion Pa&ges"), box);
    enabled->setObjectName(QStringLiteral("notionSearchEnabled"));
    enabled->setChecked(logic->isEnabled());
    QObject::connect(enabled, &QCheckBox::toggled, logic, &NotionSettingsSection::setEnabled);
    layout->addWidget(enabled);

    auto* row = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("To&ken"), box);
    auto* token = new QLineEdit(logic->token(), box);
    token->setObjectName(QStringLiteral("notionToken"));
    token->setPlaceholderText(texts::tokenPlaceholder);
    token->setEchoMode(QLineEdit::Password);
    label->setBuddy(token);
    QObject::connect(token, &QLineEdit::textEdited, logic, &NotionSettingsSection::setToken);
    auto* reveal = new QPushButton(box);
    reveal->setObjectName(QStringLiteral("notionTokenVisibility"));
    auto showTitle = [logic, reveal] {
        // The mnemonic stays on the same key whichever title shows.
        reveal->setText(logic->isTokenVisible() ? QStringLiteral("&Hide token")
                                                : QStringLiteral("S&how token"));
        reveal->setAccessibleName(logic->visibilityButtonTitle());
    };
    showTitle();
    QObject::connect(reveal, &QPushButton::clicked, logic, [logic, token, showTitle] {
        logic->toggleTokenVisibility();
        token->setEchoMode(logic->isTokenVisible() ? QLineEdit::Normal : QLineEdit::Password);
        showTitle();
    });
    row->addWidget(label);
    row->addWidget(token, 1);
    row->addWidget(reveal);
    layout->addLayout(row);

    layout->addWidget(makeCaption(texts::tokenHint, box));
    auto* integration = makeCaption(
        QStringLiteral("Create an integration at <a href=\"%1\">%1</a>, then share your pages "
                       "with it.")
            .arg(texts::integrationsAddress),
        box);
    integration->setTextFormat(Qt::RichText);
    integration->setOpenExternalLinks(true);
    layout->addWidget(integration);

    auto* testRow = new QHBoxLayout;
    auto* test = new QPushButton(QStringLiteral("Test &connection"), box);
    test->setObjectName(QStringLiteral("notionTestConnection"));
    auto* status = new QLabel(logic->status(), box);
    status->setObjectName(QStringLiteral("notionStatus"));
    status->setWordWrap(true);
    QObject::connect(test, &QPushButton::clicked, logic, &NotionSettingsSection::testConnection);
    QObject::connect(logic, &NotionSettingsSection::statusChanged, status, &QLabel::setText);
    testRow->addWidget(test);
    testRow->addWidget(status, 1);
    layout->addLayout(testRow);
    return box;
}

} // namespace trovi
