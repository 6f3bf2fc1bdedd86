#include "launcher/shell/LauncherWindow.h"

#include "launcher/session/SearchResultListModel.h"
#include "launcher/settings/LauncherNotifications.h"
#include "launcher/settings/LauncherSettingsStores.h"
#include "launcher/shell/LauncherChrome.h"
#include "launcher/shell/ResultRowDelegate.h"
#include "launcher/shell/ThemePalette.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMetaMethod>
#include <QPainter>
#include <QProgressBar>
#include <QScrollBar>
#include <QVBoxLayout>

namespace trovi {

namespace {

ContentViewServices withHost(ContentViewServices services, LauncherHost* host) {
    services.host = host;
    return services;
}

QString cssColour(const QColor& c) {
    return QStringLiteral("rgba(%1, %2, %3, %4)")
        .arg(c.red())
        .arg(c.green())
        .arg(c.blue())
        .arg(c.alphaF(), 0, 'f', 3);
}

bool isCommandKey(int key) {
    return key == Qt::Key_Control || key == Qt::Key_Meta;
}

constexpr int kFieldHeight = 44;
constexpr qreal kFieldRadius = 10;
constexpr qreal kListRadius = 8;

} // namespace

LauncherWindow::LauncherWindow(ContentViewServices services, QWidget* parent)
    : QWidget(parent), m_field(new QLineEdit(this)), m_list(new QListView(this)),
      m_footer(new QLabel(this)), m_progress(new QProgressBar(this)),
      m_delegate(new ResultRowDelegate(this)), m_preferences(services.preferences),
      m_notifications(services.notifications) {
    m_view = std::make_unique<ContentView>(withHost(std::move(services), this));
    m_model = new SearchResultListModel(*m_view, this);

    setWindowTitle(QStringLiteral("Trovi"));
    setObjectName(QStringLiteral("launcherWindow"));
    m_field->setObjectName(QStringLiteral("searchField"));
    m_field->setPlaceholderText(QStringLiteral("Search..."));
    m_field->setFrame(false);
    QFont fieldFont = m_field->font();
    fieldFont.setPixelSize(22);
    m_field->setFont(fieldFont);
    m_field->setFixedHeight(kFieldHeight);
    m_field->setTextMargins(6, 0, 6, 0);
    // The window paints the field's rounded background and outline itself, so
    // a theme change recolours everything through palettes alone.
    m_field->setAutoFillBackground(false);
    m_field->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_field, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu* menu = createFieldContextMenu();
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(m_field->mapToGlobal(at));
    });

    // A thin busy line along the field's bottom edge while a search runs.
    m_progress->setObjectName(QStringLiteral("searchProgress"));
    m_progress->setRange(0, 0);
    m_progress->setTextVisible(false);
    m_progress->hide();

    m_list->setObjectName(QStringLiteral("resultList"));
    m_list->setModel(m_model);
    m_list->setItemDelegate(m_delegate);
    m_list->setFocusPolicy(Qt::NoFocus);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setMouseTracking(true);
    m_list->setUniformItemSizes(false);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setSelectionMode(QAbstractItemView::NoSelection); // the controller owns it
    m_list->viewport()->setAttribute(Qt::WA_Hover);
    m_list->setAutoFillBackground(false);
    m_list->viewport()->setAutoFillBackground(false);

    m_footer->setObjectName(QStringLiteral("versionFooter"));
    m_footer->setAlignment(Qt::AlignCenter);
    QFont footerFont = m_footer->font();
    footerFont.setPixelSize(10);
    m_footer->setFont(footerFont);

    // Sized so the field and the footer both fit the 76-pixel compact bar.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 8, 10, 6);
    layout->setSpacing(4);
    layout->addWidget(m_field);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_footer);
    layout->addStretch(0);
    resize(720, 460);
    applyTheme();

    m_field->installEventFilter(this);
    m_list->installEventFilter(this);
    m_list->viewport()->installEventFilter(this);

    ContentView& view = *m_view;
    connect(m_field, &QLineEdit::textEdited, &view, &ContentView::setQuery);
    connect(&view, &ContentView::queryChanged, this, [this](const QString& query) {
        if (m_field->text() != query)
            m_field->setText(query);
        updateChrome();
    });
    connect(&view, &ContentView::resultsChanged, this, [this] {
        updateChrome();
        syncSelection(m_view->search().selectedIndex.value_or(-1));
    });
    connect(&view, &ContentView::selectionChanged, this, &LauncherWindow::syncSelection);
    connect(&view, &ContentView::resultsVisibilityChanged, this,
            &LauncherWindow::resultsVisibilityChanged);
    connect(&view, &ContentView::presentationChanged, this, &LauncherWindow::updateChrome);
    connect(&view, &ContentView::searchingChanged, m_progress, &QWidget::setVisible);
    connect(m_list, &QListView::clicked, this,
            [this](const QModelIndex& index) { m_view->activateRow(index.row()); });
    connect(m_list, &QListView::entered, this,
            [this](const QModelIndex& index) { m_view->hoverEntered(index.row()); });
    updateChrome();
}

LauncherWindow::~LauncherWindow() {
    m_list->setModel(nullptr);
}

void LauncherWindow::setVersionLabel(const QString& label) {
    m_footer->setText(label);
    updateChrome();
}

void LauncherWindow::applyTheme() {
    const LauncherTheme& theme = LauncherThemeCatalog::theme(
        launcherThemeIDFromRawValue(m_view->launcherThemeID()).value_or(LauncherThemeID::graphite));
    if (m_theme == &theme)
        return;
    m_theme = &theme;
    m_delegate->setTheme(theme);
    const LauncherChrome chrome = launcherChrome(theme);

    // Palettes, not style sheets: a widget with a style sheet keeps the
    // palette it had when the sheet was first applied.
    QPalette field = m_field->palette();
    field.setColor(QPalette::Text, chrome.fieldText);
    field.setColor(QPalette::PlaceholderText, chrome.placeholder);
    field.setColor(QPalette::Highlight, chrome.selection);
    field.setColor(QPalette::HighlightedText, chrome.selectionText);
    field.setColor(QPalette::Base, Qt::transparent);
    m_field->setPalette(field);

    QPalette list = m_list->palette();
    list.setColor(QPalette::Base, Qt::transparent);
    list.setColor(QPalette::Window, Qt::transparent);
    m_list->setPalette(list);
    // The scroll bar has no palette of ours, so its sheet is rewritten whole.
    m_list->verticalScrollBar()->setStyleSheet(
        QStringLiteral("QScrollBar:vertical { background: %1; width: 10px; margin: 0; }"
                       "QScrollBar::handle:vertical { background: %2; min-height: 24px; "
                       "border-radius: 3px; margin: 2px; }"
                       "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical "
                       "{ height: 0; }"
                       "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical "
                       "{ background: none; }")
            .arg(cssColour(chrome.scrollTrack), cssColour(chrome.scrollHandle)));

    QPalette progress = m_progress->palette();
    progress.setColor(QPalette::Highlight, chrome.progress);
    progress.setColor(QPalette::Base, chrome.fieldBackground);
    progress.setColor(QPalette::Window, chrome.fieldBackground);
    m_progress->setPalette(progress);

    QPalette footer = m_footer->palette();
    footer.setColor(QPalette::WindowText, chrome.footerText);
    m_footer->setPalette(footer);
    update();
    m_list->viewport()->update();
}

void LauncherWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRectF area = rect();
    p.fillRect(area, themeBackgroundGradient(*m_theme, area));
    const bool dark = hasDarkBackground(*m_theme);
    const LauncherChrome chrome = launcherChrome(*m_theme);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(chrome.fieldOutline, 1));
    p.setBrush(chrome.fieldBackground);
    p.drawRoundedRect(QRectF(m_field->geometry()).adjusted(0.5, 0.5, -0.5, -0.5), kFieldRadius,
                      kFieldRadius);
    if (m_list->isVisible()) {
        p.setPen(Qt::NoPen);
        p.setBrush(chrome.listBackground);
        p.drawRoundedRect(QRectF(m_list->geometry()), kListRadius, kListRadius);
        // Between the field and the list, in the layout's gap.
        const qreal y = (m_field->geometry().bottom() + 1 + m_list->geometry().top()) / 2.0;
        p.setPen(QPen(themeQColor(m_theme->divider, dark), 1));
        p.drawLine(QPointF(m_field->geometry().left(), y), QPointF(m_field->geometry().right(), y));
    }
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(themeQColor(m_theme->border, dark), 1));
    p.drawRect(area.adjusted(0.5, 0.5, -0.5, -0.5));
}

void LauncherWindow::updateChrome() {
    applyTheme();
    const bool hasResults = !m_view->search().results.isEmpty();
    m_list->setVisible(hasResults);
    m_footer->setVisible(!hasResults && m_view->showVersionNumber() &&
                         !m_footer->text().isEmpty() && m_view->search().query.trimmed().isEmpty());
    m_list->viewport()->update();
}

void LauncherWindow::syncSelection(int row) {
    if (row < 0 || row >= m_model->rowCount())
        return;
    // The first row sits at the very top: centring it while the list still
    // has the compact bar's height would leave it scrolled partly out of view.
    if (row == 0)
        m_list->scrollToTop();
    else
        m_list->scrollTo(m_model->index(row), QAbstractItemView::EnsureVisible);
}

void LauncherWindow::readCommandKey() {
    // The hotkey's Ctrl may have been let go before the window had focus:
    // ask the keyboard rather than trust the last key event seen.
    m_commandHeld = QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ControlModifier);
    m_view->setCommandKeyHeld(m_commandHeld);
}

void LauncherWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    m_commandHeld = QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ControlModifier);
    // Restores or clears the search before the first paint.
    m_view->viewAppeared();
    activateWindow();
    m_field->setFocus(Qt::ActiveWindowFocusReason);
    // A restored query is ready to be typed over.
    m_field->selectAll();
}

void LauncherWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (!event->spontaneous())
        m_view->viewDisappeared();
}

void LauncherWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        readCommandKey();
}

void LauncherWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // Over the field's bottom edge, inside its rounded corners.
    const QRect field = m_field->geometry();
    m_progress->setGeometry(field.left() + int(kFieldRadius), field.bottom() - 2,
                            field.width() - 2 * int(kFieldRadius), 2);
    m_progress->raise();
}

QMenu* LauncherWindow::createFieldContextMenu() {
    QMenu* menu = m_field->createStandardContextMenu();
    menu->setObjectName(QStringLiteral("searchFieldMenu"));
    if (!m_preferences)
        return menu;
    menu->addSeparator();
    QAction* tray = menu->addAction(QStringLiteral("Show Tray Icon"));
    tray->setCheckable(true);
    tray->setChecked(MenuBarIconVisibilityStore(*m_preferences).load());
    connect(tray, &QAction::triggered, this, [this](bool shown) {
        MenuBarIconVisibilityStore(*m_preferences, m_notifications).save(shown);
    });
    connect(menu->addAction(QStringLiteral("Settings…")), &QAction::triggered, this,
            &LauncherWindow::showSettingsWindow);
    return menu;
}

bool LauncherWindow::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (isCommandKey(key->key()))
            m_commandHeld = event->type() == QEvent::KeyPress;
        else
            m_commandHeld = key->modifiers().testFlag(Qt::ControlModifier);
        m_view->setCommandKeyHeld(m_commandHeld);
        if (event->type() == QEvent::KeyPress && m_view->handleKey(key->key(), key->modifiers()))
            return true;
        if (watched != m_field && event->type() == QEvent::KeyPress && !key->text().isEmpty() &&
            key->text().at(0).isPrint()) {
            // A key that reached the list before the field took focus.
            m_field->setFocus();
            QCoreApplication::sendEvent(m_field, event);
            return true;
        }
        break;
    }
    case QEvent::HoverLeave:
    case QEvent::Leave:
        if (watched == m_list->viewport() && m_view->hoveredResultIdentity()) {
            for (int row = 0; row < m_model->rowCount(); ++row)
                m_view->hoverLeft(row);
        }
        break;
    case QEvent::Resize:
        // The list grows from the bar's height to the panel's: keep the selection in view.
        if (watched == m_list)
            syncSelection(m_view->search().selectedIndex.value_or(-1));
        break;
    case QEvent::WindowDeactivate:
        m_commandHeld = false;
        m_view->setCommandKeyHeld(false);
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void LauncherWindow::keyPressEvent(QKeyEvent* event) {
    // Keys that arrive before the field has focus (right after the hotkey)
    // are the start of the query.
    if (m_view->handleKey(event->key(), event->modifiers()))
        return;
    if (!event->text().isEmpty() && event->text().at(0).isPrint()) {
        m_field->setFocus();
        QCoreApplication::sendEvent(m_field, event);
        return;
    }
    QWidget::keyPressEvent(event);
}

void LauncherWindow::hideLauncher() {
    if (isSignalConnected(QMetaMethod::fromSignal(&LauncherWindow::hideRequested))) {
        Q_EMIT hideRequested();
        return;
    }
    hide(); // the view hears of it in hideEvent()
}

void LauncherWindow::showSettingsWindow() {
    Q_EMIT settingsRequested();
}

void LauncherWindow::terminate() {
    if (isSignalConnected(QMetaMethod::fromSignal(&LauncherWindow::quitRequested))) {
        Q_EMIT quitRequested();
        return;
    }
    QCoreApplication::quit();
}

bool LauncherWindow::isCommandKeyHeld() const {
    return m_commandHeld;
}

QString LauncherWindow::clipboardText() const {
    const QClipboard* clipboard = QGuiApplication::clipboard();
    return clipboard ? clipboard->text() : QString();
}

} // namespace trovi
