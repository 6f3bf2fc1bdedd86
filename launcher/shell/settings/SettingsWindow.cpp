#include "launcher/shell/settings/SettingsWindow.h"

#include "launcher/settings/PreferenceKeys.h"
#include "launcher/settings/PreferenceStore.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QScreen>
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
    auto* columns = m_columnRow = new QHBoxLayout(content);
    columns->setContentsMargins(16, 16, 16, 16);
    columns->setSpacing(16);
    for (QVBoxLayout*& column : m_columnLayouts) {
        column = new QVBoxLayout;
        column->setSpacing(14);
        columns->addLayout(column, 1);
    }
    scroll->setWidget(content);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll);

    m_sections << makeHotKeySection(m_environment, content)
               << makeSearchResultsSection(m_environment, content)
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
    for (QVBoxLayout* column : m_columnLayouts) {
        while (QLayoutItem* item = column->takeAt(0))
            delete item;
    }
    // Sections fill the columns top to bottom, in order, so reading order and
    // tab order stay the same in both layouts. Each column sizes on its own.
    const int perColumn = int((m_sections.size() + columns - 1) / columns);
    for (int i = 0; i < m_sections.size(); ++i)
        m_columnLayouts[std::size_t(i / perColumn)]->addWidget(m_sections[i]);
    for (QVBoxLayout* column : m_columnLayouts)
        column->addStretch(1);
    // An empty column takes no width.
    m_columnRow->setStretch(1, columns > 1 ? 1 : 0);
    m_columnRow->setSpacing(columns > 1 ? 16 : 0);
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
        if (QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
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
