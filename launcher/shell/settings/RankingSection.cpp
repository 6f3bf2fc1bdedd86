#include "launcher/session/settings/RankingRulesEditor.h"
#include "launcher/settings/LauncherNotifications.h"
#include "launcher/settings/NotificationCenter.h"
#include "launcher/shell/settings/SettingsEnvironment.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <memory>

namespace trovi {

namespace {

// The rule rows, rebuilt from the editor whenever a rule is added or removed.
class RankingRulesView : public QWidget {
public:
    RankingRulesView(std::shared_ptr<SearchRankingSettingsStore> store, NotificationCenter* center,
                     QWidget* parent)
        : QWidget(parent), m_store(std::move(store)), m_editor(*m_store), m_center(center) {
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        m_rows = new QWidget(this);
        m_grid = new QGridLayout(m_rows);
        m_grid->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(m_rows);
        m_message = new QLabel(this);
        m_message->setObjectName(QStringLiteral("rankingValidationMessage"));
        m_message->setWordWrap(true);
        layout->addWidget(m_message);

        auto* buttons = new QHBoxLayout;
        auto* add = new QPushButton(QStringLiteral("&Add Rule"), this);
        add->setObjectName(QStringLiteral("addRankingRule"));
        m_save = new QPushButton(QStringLiteral("Sa&ve"), this);
        m_save->setObjectName(QStringLiteral("saveRankingRules"));
        auto* reset = new QPushButton(QStringLiteral("&Reset"), this);
        reset->setObjectName(QStringLiteral("resetRankingRules"));
        buttons->addWidget(add);
        buttons->addStretch();
        buttons->addWidget(reset);
        buttons->addWidget(m_save);
        layout->addLayout(buttons);

        connect(add, &QPushButton::clicked, this, [this] {
            const QUuid id = m_editor.addRule();
            rebuildRows();
            if (QWidget* field = m_rows->findChild<QWidget*>(id.toString()))
                field->setFocus();
        });
        connect(m_save, &QPushButton::clicked, this, [this] {
            if (m_editor.save()) {
                m_center->post(notifications::LauncherRankingSettingsChanged);
                rebuildRows();
            }
        });
        connect(reset, &QPushButton::clicked, this, [this] {
            m_editor.resetToDefaults();
            m_center->post(notifications::LauncherRankingSettingsChanged);
            rebuildRows();
        });
        rebuildRows();
    }

private:
    void rebuildRows() {
        // Later: the delete button being clicked may be among them.
        while (QLayoutItem* item = m_grid->takeAt(0)) {
            if (QWidget* widget = item->widget()) {
                widget->hide();
                widget->setObjectName(QString());
                widget->deleteLater();
            }
            delete item;
        }
        int row = 0;
        for (const ExtensionBoostRule& rule : m_editor.rules()) {
            const QUuid id = rule.id;
            auto* suffix = new QLineEdit(rule.suffix, m_rows);
            suffix->setObjectName(id.toString());
            suffix->setPlaceholderText(QStringLiteral(".pdf"));
            connect(suffix, &QLineEdit::textEdited, this, [this, id](const QString& text) {
                m_editor.setSuffix(id, text);
                refreshState();
            });
            auto* boost = new QSpinBox(m_rows);
            boost->setRange(int(m_store->minimumBoost()), int(m_store->maximumBoost()));
            boost->setPrefix(QStringLiteral("Boost "));
            boost->setValue(int(rule.boost));
            connect(boost, &QSpinBox::valueChanged, this, [this, id](int value) {
                m_editor.setBoost(id, value);
                refreshState();
            });
            auto* remove = new QToolButton(m_rows);
            remove->setIcon(QIcon::fromTheme(QStringLiteral("user-trash"),
                                             style()->standardIcon(QStyle::SP_TrashIcon)));
            remove->setToolTip(QStringLiteral("Delete rule"));
            remove->setAccessibleName(QStringLiteral("Delete rule"));
            connect(remove, &QToolButton::clicked, this, [this, id] {
                m_editor.removeRule(id);
                rebuildRows();
            });
            m_grid->addWidget(suffix, row, 0);
            m_grid->addWidget(boost, row, 1);
            m_grid->addWidget(remove, row, 2);
            // Shown now rather than by the layout later, so focus can move here.
            for (QWidget* widget : {static_cast<QWidget*>(suffix), static_cast<QWidget*>(boost),
                                    static_cast<QWidget*>(remove)})
                widget->show();
            ++row;
        }
        m_grid->setColumnStretch(0, 1);
        refreshState();
    }

    void refreshState() {
        const std::optional<QString> message = m_editor.validationMessage();
        m_message->setText(message.value_or(QString()));
        m_message->setVisible(message.has_value());
        m_save->setEnabled(m_editor.canSave());
    }

    std::shared_ptr<SearchRankingSettingsStore> m_store;
    RankingRulesEditor m_editor;
    NotificationCenter* m_center;
    QWidget* m_rows;
    QGridLayout* m_grid;
    QLabel* m_message;
    QPushButton* m_save;
};

} // namespace

QGroupBox* makeRankingSection(const SettingsEnvironment& env, QWidget* parent) {
    QGroupBox* box =
        makeSection(QStringLiteral("Ranking"), QStringLiteral("rankingSection"), parent);
    auto* layout = static_cast<QVBoxLayout*>(box->layout());
    auto* title = new QLabel(QStringLiteral("<b>File Type Priority</b>"), box);
    layout->addWidget(title);
    layout->addWidget(makeCaption(
        QStringLiteral("More specific suffixes win when multiple rules match the same file."),
        box));
    auto store = std::make_shared<SearchRankingSettingsStore>(*env.preferences);
    layout->addWidget(new RankingRulesView(std::move(store), env.notifications, box));
    return box;
}

} // namespace trovi
