#include "launcher/shell/settings/SettingsWindow.h"

#include "launcher/settings/PreferenceKeys.h"
#include "launcher/settings/PreferenceStore.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QScrollArea>
#include <QVBoxLayout>

namespace trovi {

namespace {
constexpr int minimumContentWidth = 460;
constexpr int minimumContentHeight = 420;
} // namespace

SettingsWindow::SettingsWindow(SettingsEnvironment environment, SettingsExtraSections extras,
                               QWidget* parent)
    : QWidget(parent, Qt::Window), m_environment(std::move(environment)) {
    setObjectName(QStringLiteral("settingsWindow"));
    setWindowTitle(QStringLiteral("Launcher Settings"));
    setMinimumSize(minimumContentWidth, minimumContentHeight);

    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto* content = new QWidget(scroll);
    m_grid = new QGridLayout(content);
    m_grid->setContentsMargins(16, 16, 16, 16);
    m_grid->setSpacing(14);
    scroll->setWidget(content);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll);

    if (extras.hotKey)
        m_sections << extras.hotKey;
    m_sections << makeSearchResultsSection(m_environment, content)
               << makeRankingSection(m_environment, content)
               << makeWindowSection(m_environment, content)
               << makeSystemIntegrationSection(m_environment, content)
               << makeAppearanceSection(m_environment, content)
               << makeTranslationSection(m_environment, content);
    if (extras.notion)
        m_sections << extras.notion;
    for (QGroupBox* section : m_sections)
        section->setParent(content);
    arrange(1);
}

void SettingsWindow::arrange(int columns) {
    if (columns == m_columns)
        return;
    m_columns = columns;
    for (QGroupBox* section : m_sections)
        m_grid->removeWidget(section);
    // Sections fill the columns top to bottom, in order, so reading order and
    // tab order stay the same in both layouts.
    const int perColumn = int((m_sections.size() + columns - 1) / columns);
    for (int i = 0; i < m_sections.size(); ++i)
        m_grid->addWidget(m_sections[i], i % perColumn, i / perColumn, Qt::AlignTop);
    for (int c = 0; c < 2; ++c)
        m_grid->setColumnStretch(c, c < columns ? 1 : 0);
    m_grid->setRowStretch(perColumn, 1);
}

void SettingsWindow::present() {
    if (!m_sizeRestored) {
        m_sizeRestored = true;
        PreferenceStore* store = m_environment.preferences;
        const auto width = store->realValue(preferenceKeys::launcherSettingsWindowWidth);
        const auto height = store->realValue(preferenceKeys::launcherSettingsWindowHeight);
        if (width && height)
            resize(qMax(int(*width), minimumContentWidth),
                   qMax(int(*height), minimumContentHeight));
        else
            resize(560, 640);
    }
    show();
    raise();
    activateWindow();
}

void SettingsWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    arrange(width() >= wideLayoutMinimumWidth ? 2 : 1);
}

void SettingsWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void SettingsWindow::closeEvent(QCloseEvent* event) {
    m_environment.preferences->setReal(preferenceKeys::launcherSettingsWindowWidth, width());
    m_environment.preferences->setReal(preferenceKeys::launcherSettingsWindowHeight, height());
    QWidget::closeEvent(event);
}

} // namespace trovi
