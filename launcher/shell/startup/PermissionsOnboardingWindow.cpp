#include "launcher/shell/startup/PermissionsOnboardingWindow.h"

#include "launcher/session/startup/PermissionsOnboarding.h"

#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

namespace trovi {

namespace {

QString statusText(const PermissionWarmupStatus& status) {
    using Kind = PermissionWarmupStatus::Kind;
    // The glyph and colour tell the state at a glance; the text says why.
    const char* glyph = "◌";
    const char* colour = "palette(placeholder-text)";
    switch (status.kind) {
    case Kind::idle:
        break;
    case Kind::running:
        glyph = "↻";
        colour = "#2f6fdf";
        break;
    case Kind::success:
        glyph = "✔";
        colour = "#2e9d4f";
        break;
    case Kind::warning:
        glyph = "⚠";
        colour = "#d9822b";
        break;
    }
    return QStringLiteral("<span style=\"color:%1; font-size:14pt\">%2</span>&nbsp; %3")
        .arg(QLatin1String(colour), QString::fromUtf8(glyph), status.message.toHtmlEscaped());
}

QFrame* card(const QString& title, const QString& text, QPushButton* button, QLabel* status,
             QWidget* parent) {
    auto* frame = new QFrame(parent);
    frame->setFrameShape(QFrame::StyledPanel);
    auto* layout = new QVBoxLayout(frame);
    auto* heading = new QLabel(QStringLiteral("<b>%1</b>").arg(title.toHtmlEscaped()), frame);
    layout->addWidget(heading);
    if (!text.isEmpty()) {
        auto* body = new QLabel(text, frame);
        body->setWordWrap(true);
        layout->addWidget(body);
    }
    if (button) {
        auto* row = new QHBoxLayout;
        row->addWidget(button);
        row->addStretch();
        layout->addLayout(row);
    }
    status->setWordWrap(true);
    status->setTextFormat(Qt::RichText);
    layout->addWidget(status);
    return frame;
}

} // namespace

PermissionsOnboardingWindow::PermissionsOnboardingWindow(PermissionsOnboardingViewModel& model,
                                                         QWidget* parent)
    : QWidget(parent, Qt::Window), m_model(model) {
    const bool firstStart = model.kind() == OnboardingKind::firstStart;
    setObjectName(QStringLiteral("permissionsOnboardingWindow"));
    // Nothing is asked for where there are no consent prompts.
    setWindowTitle(firstStart ? QStringLiteral("Getting Started")
                              : QStringLiteral("Permission Setup"));
    resize(680, 460);

    m_fileButton = new QPushButton(firstStart ? QStringLiteral("&Look Again")
                                              : QStringLiteral("Request &Files && Folders Access"),
                                   this);
    m_fileButton->setObjectName(QStringLiteral("requestFileAccess"));
    m_fileStatus = new QLabel(this);
    m_fileStatus->setObjectName(QStringLiteral("fileAccessStatus"));

    auto* intro = new QLabel(
        firstStart ? QStringLiteral("Trovi finds apps, folders, files and settings as you type. "
                                    "It looks through your folders once now, so the first search "
                                    "is ready.")
                   : QStringLiteral("Before first use, grant the permissions below so "
                                    "prompts happen now instead of during search."),
        this);
    intro->setWordWrap(true);
    auto* skip = new QPushButton(QStringLiteral("&Skip for now"), this);
    skip->setObjectName(QStringLiteral("skipOnboarding"));
    auto* proceed = new QPushButton(QStringLiteral("&Continue to Launcher"), this);
    proceed->setObjectName(QStringLiteral("continueOnboarding"));
    proceed->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 20);
    layout->setSpacing(14);
    layout->addWidget(intro);
    layout->addWidget(
        card(QStringLiteral("Files & Folders"),
             firstStart ? QStringLiteral("Apps and the folders in your home folder are found "
                                         "without asking you for anything.")
                        : QStringLiteral("Needed to index your directories for folder results."),
             m_fileButton, m_fileStatus, this));
    if (firstStart) {
        m_hotKeyAdvice = new QLabel(this);
        m_hotKeyAdvice->setObjectName(QStringLiteral("hotKeyAdvice"));
        layout->addWidget(
            card(QStringLiteral("Opening the Launcher"), QString(), nullptr, m_hotKeyAdvice, this));
        m_hotKeyAdvice->setTextFormat(Qt::PlainText);
        auto* usage = new QLabel(
            QStringLiteral("Type a few letters of an app, folder, file or setting. Return opens "
                           "the selected row; Ctrl+Return shows it in the File Manager. Type "
                           "“settings” for Settings; the Tray Icon's menu brings this window "
                           "back."),
            this);
        layout->addWidget(card(QStringLiteral("Searching"), QString(), nullptr, usage, this));
        skip->hide();
    } else {
        m_browserButton =
            new QPushButton(QStringLiteral("Request &Browser Automation Access"), this);
        m_browserButton->setObjectName(QStringLiteral("requestBrowserAccess"));
        m_browserStatus = new QLabel(this);
        m_browserStatus->setObjectName(QStringLiteral("browserAccessStatus"));
        layout->addWidget(card(QStringLiteral("Browser Automation (Edge/Brave)"),
                               QStringLiteral("Needed to discover and focus open browser tabs."),
                               m_browserButton, m_browserStatus, this));
        connect(m_browserButton, &QPushButton::clicked, &m_model,
                &PermissionsOnboardingViewModel::requestBrowserAutomationAccess);
    }
    layout->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(skip);
    buttons->addWidget(proceed);
    layout->addLayout(buttons);

    connect(m_fileButton, &QPushButton::clicked, &m_model,
            &PermissionsOnboardingViewModel::requestFileAndFolderAccess);
    connect(&m_model, &PermissionsOnboardingViewModel::changed, this,
            &PermissionsOnboardingWindow::refresh);
    connect(skip, &QPushButton::clicked, this, &PermissionsOnboardingWindow::skipRequested);
    connect(proceed, &QPushButton::clicked, this, &PermissionsOnboardingWindow::continueRequested);
    refresh();
}

void PermissionsOnboardingWindow::setHotKeyAdvice(const QString& text) {
    if (m_hotKeyAdvice)
        m_hotKeyAdvice->setText(text);
}

void PermissionsOnboardingWindow::refresh() {
    m_fileStatus->setText(statusText(m_model.fileAccessStatus()));
    m_fileButton->setEnabled(!m_model.isRequestingFileAccess());
    if (m_browserStatus) {
        m_browserStatus->setText(statusText(m_model.browserAccessStatus()));
        m_browserButton->setEnabled(!m_model.isRequestingBrowserAccess());
    }
}

void PermissionsOnboardingWindow::present() {
    if (!m_centred) {
        m_centred = true;
        if (QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
    }
    show();
    raise();
    activateWindow();
    // With nothing to grant, the folders are walked once as the window opens.
    if (m_model.kind() == OnboardingKind::firstStart &&
        m_model.fileAccessStatus().kind == PermissionWarmupStatus::Kind::idle)
        m_model.requestFileAndFolderAccess();
}

} // namespace trovi
